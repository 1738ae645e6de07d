// Variables that are set and never read.
//
// A student who hides a copy adds variables that do nothing: `int tmp = 0;`
// before a loop, `{ int k = 1; if (k) k++; }` between two statements, a
// counter kept and never looked at. Each one cuts a run the tiling would
// have found. A variable whose name stands only in statements that set it
// (`x = e;`, `x += e;`, `x++;`, where `e` calls nothing but a library
// function that only computes), or in an `if` or a loop that does nothing
// but set it, is left out together with those statements; what that leaves
// unread goes too. A name is read by the file as a whole, whatever its scope:
// a name read anywhere, passed on, pointed to or indexed stays everywhere.
#pragma once

#include <vector>

#include "batch/code_scan.h"

namespace batch {

/// `in` (after rewrite_statements: declarations are settings) without the
/// statements that only set variables no one reads.
std::vector<RawToken> without_unread_settings(std::vector<RawToken> in);

}  // namespace batch
