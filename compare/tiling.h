// Tiling of two token strings: the runs collapsed pass by pass.
#pragma once

#include <string_view>
#include <vector>

#include "compare/tile.h"

namespace compare {

/// The runs longer than `min_match` that the passes collapse, in pass order,
/// each at its positions in the strings as they stood at that pass: exactly
/// what reference_tiling() gives.
std::vector<Tile> tiling(std::string_view a, std::string_view b, int min_match);

}  // namespace compare
