// Expressions split into temporaries, put back together.
//
// A student who hides a copy splits an expression: `x = a * b + c;` becomes
// `t = a * b; x = t + c;`. Each split cuts the run the whole expression
// made. A variable that is set once to a value that calls nothing (but a
// library function that only computes) and read once, in the very next
// statement of the block, before any block of that statement, is a
// temporary: its value is written where it is read, in brackets where an
// operator beside it binds harder than one of the value's own, and the
// setting is left out. A chain of them (`t = a; u = t * 2; x = u + 1;`)
// comes back whole. A name used anywhere else in the file is no temporary.
#pragma once

#include <vector>

#include "batch/code_scan.h"

namespace batch {

/// `in` (after rewrite_statements) with its temporaries written where they
/// are read. Tokens keep the source they stand for.
std::vector<RawToken> without_temporaries(std::vector<RawToken> in);

}  // namespace batch
