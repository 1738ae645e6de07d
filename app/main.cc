// ccsim: are file1.c and file2.c suspected copies of one another?
#include "app/run.h"
#include "platform/system.h"

int main() {
  platform::SystemConsole console;
  platform::SystemViewer viewer;
  return app::run(console, viewer);
}
