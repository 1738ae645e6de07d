// Tiling of two token strings: the runs collapsed pass by pass.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "compare/greedy_tiler.h"
#include "compare/tile.h"

namespace compare {

/// The runs longer than `min_match` that the passes collapse, in pass order,
/// each at its positions in the strings as they stood at that pass: exactly
/// what reference_tiling() gives, computed by GreedyTiler.
std::vector<Tile> tiling(std::string_view a, std::string_view b, int min_match);

/// The same, by the route ccsim-batch takes: prepared strings with their
/// grams indexed, tiled by MatchTiler unless it hands them to the sweep.
std::vector<Tile> tiling_from_grams(std::string_view a, std::string_view b, int min_match);

/// Moves runs given at positions of the original strings to the 1-based
/// positions they have at their own pass, after the earlier collapses.
std::vector<Tile> to_pass_positions(const std::vector<Match>& matches, std::size_t length_a,
                                    std::size_t length_b);

}  // namespace compare
