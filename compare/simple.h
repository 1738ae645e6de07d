// The comparison phase of a run: reads the two token files back, holds the
// dialogue, tiles the strings and prints the report and the verdict.
#pragma once

#include "platform/console.h"
#include "platform/viewer.h"

namespace compare {

/// Runs the comparison of "token1.txt" and "token2.txt" with runs counted
/// when longer than `MinMatchLen`. If a token file cannot be opened it says
/// so, waits for a key and returns false; otherwise it prints the whole
/// report and returns true.
bool simple(int MinMatchLen, platform::Console& console, platform::Viewer& viewer);

}  // namespace compare
