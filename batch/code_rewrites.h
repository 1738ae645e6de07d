// Rewrites of a scanned source that keep what the program does and drop
// how it is spelled out: the forms a student who hides a copy turns code
// into, made one form again.
#pragma once

#include <vector>

#include "batch/code_scan.h"

namespace batch {

/// Object-like macros (`#define LOOP for`) and plain typedefs (`typedef
/// long long num;`) read through: each use of the name becomes the tokens
/// it stands for, placed where the name stands. The lines that make them
/// stay (a shared block of them is evidence too). One level deep.
std::vector<RawToken> read_through_aliases(const std::vector<RawToken>& in);

/// The statements as what they do:
/// - declarations of functions outside every function are left out;
/// - in the file that holds `main`, a function no one calls (every use of
///   its name is where it is declared or defined, outside every function)
///   is left out; a file without `main` holds functions other files call;
/// - `if (0) ...` and `while (0) ...` with no `else` (or a condition of two
///   bounds on one name that no value meets, `x < 0 && x > 0`), and a `for` loop with
///   an empty body and no call in its condition, are left out;
/// - `for (a; b; c) s` is `a; while (b) { s c; }`;
/// - `return c ? x : y;` and `v = c ? x : y;` are `if (c) ... else ...`;
/// - a declaration keeps only what it sets: `int x = 1, y;` is `x = 1;`, and
///   a variable named nowhere else is left out.
std::vector<RawToken> rewrite_statements(const std::vector<RawToken>& in);

}  // namespace batch
