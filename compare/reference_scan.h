// The plain exhaustive tiling scan: every pair of start positions in every
// pass. It defines the result the fast engine must reproduce exactly.
#pragma once

#include <string_view>
#include <vector>

#include "compare/sstring.h"
#include "compare/tile.h"

namespace compare {

/// One pass over A[1..La] and B[1..Lb]: the longest common run longer than
/// `min_match` (smallest start in A, then in B, among equals). False if none.
bool longest_run(const SString& A, std::ptrdiff_t La, const SString& B, std::ptrdiff_t Lb,
                 int min_match, Tile* found);

/// All passes: finds the longest run, collapses it in both strings, and
/// repeats until a pass finds none. Returns the collapsed runs in pass order.
/// Costs about La x Lb per pass; for tests and benchmarks.
std::vector<Tile> reference_tiling(std::string_view a, std::string_view b, int min_match);

}  // namespace compare
