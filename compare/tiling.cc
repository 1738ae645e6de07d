// tiling(): the engine behind the comparison.
#include "compare/tiling.h"

#include "compare/reference_scan.h"

namespace compare {

std::vector<Tile> tiling(std::string_view a, std::string_view b, int min_match) {
  return reference_tiling(a, b, min_match);
}

}  // namespace compare
