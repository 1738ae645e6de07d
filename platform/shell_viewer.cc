// ShellViewer: the shell's "open" verb.
#include "platform/shell_viewer.h"

// windows.h first: shellapi.h builds on it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

namespace platform {

bool ShellViewer::open(const std::string& path) {
  // Values above 32 mean the application was started.
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

}  // namespace platform
