// Opens files with the desktop's default application (xdg-open).
#pragma once

#include "platform/viewer.h"

namespace platform {

class DesktopViewer : public Viewer {
 public:
  /// Starts `xdg-open path` detached from this process: no shell, its
  /// standard streams on /dev/null, not waited for, never left a zombie.
  bool open(const std::string& path) override;
};

}  // namespace platform
