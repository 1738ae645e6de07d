// ShellViewer: the shell's "open" verb.
#include "platform/shell_viewer.h"

// windows.h first: shellapi.h builds on it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <filesystem>

#include "platform/file.h"

namespace platform {

bool ShellViewer::open(const std::string& path) {
  // The path is UTF-8 text: handed over in UTF-16, as a name in Chinese
  // would not survive the system's code page, with the system's own
  // separators.
  std::filesystem::path file = fs_path(path);
  if (file.empty()) return false;
  file.make_preferred();
  // Values above 32 mean the application was started.
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

}  // namespace platform
