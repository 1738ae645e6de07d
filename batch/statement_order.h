// Statements that do not depend on one another, put in one order.
//
// A student who hides a copy swaps statements whose order does not matter:
// two settings of different variables, a running total kept before or
// after a step. Each such swap cuts the runs the tiling finds. Here every
// run of settings within a block (`x = e;`, `x += e;`, `i++;`: no call, no
// stream, no control flow, no block of their own) is put in one order that
// depends only on which of them must stay before which: among those whose
// predecessors are all placed, the one that reads first (by its written
// form) goes next. Two copies that differ by such swaps come out alike.
//
// A setting stays on its side of every setting that names what it sets.
// A library function that only computes a value (`pow`, `abs`, `strlen`)
// is read as an operator. Other calls and streams end a run: what a program does to the outside stays in
// its order, and nothing moves across it (moving settings past calls made
// honest copies that were edited here and there less alike than before).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "batch/code_scan.h"

namespace batch {

/// How a statement [b, e) of `in` reads, for the order: its written form.
using StatementKey = std::function<std::string(const std::vector<RawToken>& in, std::size_t b,
                                               std::size_t e)>;

/// `in` with each run of settings in every block reordered as said above.
/// Tokens are moved, never changed; what cannot be told is left as it is.
std::vector<RawToken> order_statements(const std::vector<RawToken>& in, const StatementKey& key);

}  // namespace batch
