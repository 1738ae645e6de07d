// ccsim: are file1.c and file2.c suspected copies of one another?
#include "app/run.h"
#include "platform/desktop_viewer.h"
#include "platform/stdio_console.h"

int main() {
  platform::StdioConsole console;
  platform::DesktopViewer viewer;
  return app::run(console, viewer);
}
