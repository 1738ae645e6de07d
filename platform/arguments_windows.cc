// The command line on Windows: read as UTF-16 and kept as UTF-8.
#include <windows.h>
// After windows.h:
#include <shellapi.h>

#include <algorithm>

#include "platform/arguments.h"

namespace platform {
namespace {

std::string utf8(const wchar_t* text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return std::string();
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
  out.pop_back();  // the terminating NUL
  return out;
}

}  // namespace

std::vector<std::string> arguments(int argc, char** argv) {
  int n = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &n);
  std::vector<std::string> out;
  if (wide == nullptr || n != argc) {
    // Not what the C runtime saw: keep its reading.
    if (wide != nullptr) LocalFree(wide);
    for (int k = 1; k < argc; ++k) out.emplace_back(argv[k]);
  } else {
    for (int k = 1; k < n; ++k) out.push_back(utf8(wide[k]));
    LocalFree(wide);
  }
  for (std::string& a : out) std::replace(a.begin(), a.end(), '\\', '/');
  return out;
}

}  // namespace platform
