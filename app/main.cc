// ccsim: are file1.c and file2.c suspected copies of one another?
#include "app/run.h"
#include "platform/file.h"
#include "platform/system.h"

int main() {
  // A reader gone (`ccsim < answers | head -3`) is a dialogue that could
  // not be written: said, with exit status 1, not the end of the process.
  platform::make_closed_pipes_write_errors();
  platform::SystemConsole console;
  platform::SystemViewer viewer;
  return app::run(console, viewer);
}
