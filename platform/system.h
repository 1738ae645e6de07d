// The console and the viewer of the system the program is built for.
#pragma once

#ifdef _WIN32
#include "platform/shell_viewer.h"
#include "platform/windows_console.h"
namespace platform {
using SystemConsole = WindowsConsole;
using SystemViewer = ShellViewer;
}  // namespace platform
#else
#include "platform/desktop_viewer.h"
#include "platform/stdio_console.h"
namespace platform {
using SystemConsole = StdioConsole;
using SystemViewer = DesktopViewer;
}  // namespace platform
#endif
