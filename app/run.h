// The run driver: the whole run, in order, against a console and a viewer.
#pragma once

#include "platform/console.h"
#include "platform/viewer.h"

namespace app {

/// One complete run; returns the process exit status: 0 when the run
/// completed, 1 when a file could not be opened, read or written, when the
/// dialogue could not be written, or when memory ran out (each of the last
/// two with a line on the console's error stream).
int run(platform::Console& console, platform::Viewer& viewer);

}  // namespace app
