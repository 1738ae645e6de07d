// Opens files with the desktop's default application (xdg-open).
#pragma once

#include "platform/viewer.h"

namespace platform {

class DesktopViewer : public Viewer {
 public:
  /// Starts `xdg-open path` detached from this process: no shell, its
  /// standard streams on /dev/null, never left a zombie. It is watched for
  /// two seconds at most: false if it could not be started, or exited
  /// within them saying it could not open the file (as on a machine
  /// without a desktop); one still running then is showing it.
  bool open(const std::string& path) override;
  /// The same for each of `paths`, watched all at once.
  bool open_all(const std::vector<std::string>& paths) override;
};

}  // namespace platform
