// tiling() and the move from original to per-pass positions.
#include "compare/tiling.h"

namespace compare {
namespace {

// Sums over positions, updated one position at a time (a Fenwick tree).
class PrefixSums {
 public:
  explicit PrefixSums(std::size_t n) : tree_(n + 1, 0) {}
  void add(std::size_t pos, std::size_t value) {
    for (std::size_t k = pos + 1; k < tree_.size(); k += k & (~k + 1)) tree_[k] += value;
  }
  /// The sum over positions [0, pos).
  std::size_t before(std::size_t pos) const {
    std::size_t sum = 0;
    for (std::size_t k = pos; k > 0; k -= k & (~k + 1)) sum += tree_[k];
    return sum;
  }

 private:
  std::vector<std::size_t> tree_;
};

}  // namespace

std::vector<Tile> to_pass_positions(const std::vector<Match>& matches, std::size_t length_a,
                                    std::size_t length_b) {
  // Each earlier collapse before a position moved it left by length - 1.
  PrefixSums shift_a(length_a);
  PrefixSums shift_b(length_b);
  std::vector<Tile> tiles;
  tiles.reserve(matches.size());
  for (const Match& m : matches) {
    tiles.push_back(Tile{m.a + 1 - shift_a.before(m.a), m.b + 1 - shift_b.before(m.b), m.length});
    shift_a.add(m.a, m.length - 1);
    shift_b.add(m.b, m.length - 1);
  }
  return tiles;
}

std::vector<Tile> tiling_from_grams(std::string_view a, std::string_view b, int min_match) {
  TileSource sa;
  TileSource sb;
  sa.prepare(a);
  sb.prepare(b);
  sa.prepare_grams(min_match);
  sb.prepare_grams(min_match);
  GreedyTiler tiler;
  return to_pass_positions(tiler.run(sa, sb, min_match), a.size(), b.size());
}

std::vector<Tile> tiling(std::string_view a, std::string_view b, int min_match) {
  GreedyTiler tiler;
  return to_pass_positions(tiler.run(a, b, min_match), a.size(), b.size());
}

}  // namespace compare
