// Hands a file to the desktop's default viewer.
//
// DesktopViewer (desktop_viewer.h) is the real one; tests use a fake.
#pragma once

#include <string>
#include <vector>

namespace platform {

class Viewer {
 public:
  virtual ~Viewer() = default;
  /// Starts the viewer on `path` without waiting for it. Returns false only
  /// when no viewer could be started at all.
  virtual bool open(const std::string& path) = 0;
  /// Starts the viewer on each of `paths`, in order; false if any could not
  /// be opened. A viewer that can tell whether each was shown watches them
  /// all at once.
  virtual bool open_all(const std::vector<std::string>& paths) {
    bool all = true;
    for (const std::string& path : paths) all = open(path) && all;
    return all;
  }
};

}  // namespace platform
