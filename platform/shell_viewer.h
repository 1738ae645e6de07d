// Opens files with the application Windows associates with them.
#pragma once

#include "platform/viewer.h"

namespace platform {

class ShellViewer : public Viewer {
 public:
  /// ShellExecuteW "open" on `path` (UTF-8 text); not waited for.
  bool open(const std::string& path) override;
};

}  // namespace platform
