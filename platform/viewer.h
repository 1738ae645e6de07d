// Hands a file to the desktop's default viewer.
//
// DesktopViewer (desktop_viewer.h) is the real one; tests use a fake.
#pragma once

#include <string>

namespace platform {

class Viewer {
 public:
  virtual ~Viewer() = default;
  /// Starts the viewer on `path` without waiting for it. Returns false only
  /// when no viewer could be started at all.
  virtual bool open(const std::string& path) = 0;
};

}  // namespace platform
