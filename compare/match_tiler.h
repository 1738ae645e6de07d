// MatchTiler: greedy tiling of two short prepared strings straight from
// their longest common runs, for many pairs in a row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "compare/tile.h"
#include "compare/tile_source.h"

namespace compare {

/// Reusable: its buffers are kept between runs. Not for use by two threads
/// at once.
class MatchTiler {
 public:
  /// Tiles `a` against `b` (both with grams prepared for `min_match`, which
  /// must be at least 1) exactly as GreedyTiler does, appending the runs to
  /// `out` in collapse order. Returns false, having appended nothing, when
  /// the strings repeat their shared grams so often that listing their
  /// runs would take more than `budget` steps (0: twice the strings' length
  /// plus 4096), or when they are too long to be indexed.
  bool run(const TileSource& a, const TileSource& b, int min_match, std::vector<Match>* out,
           std::size_t budget = 0);

 private:
  void pair_groups(const GramIndex& a, const GramIndex& b);
  bool list_runs(const TileSource& a, const TileSource& b, std::size_t floor, std::size_t budget);
  void sort_runs();
  void collapse(std::size_t floor, std::vector<Match>* out);
  void push_piece(std::size_t a, std::size_t b, std::size_t length);

  std::vector<std::int32_t> partner_;      // per group of A, after one -1: B's equal group, or -1
  std::vector<std::uint64_t> shared_;      // (B's group << 32 | start) of A's shared grams
  std::vector<std::uint64_t> candidates_;  // (A's start << 32 | B's) where runs may start
  std::vector<std::uint64_t> runs_;        // the longest common runs, as keys
  std::vector<std::uint64_t> sorted_;      // the same, in collapse order
  std::vector<std::uint32_t> count_;       // runs per length
  std::size_t longest_ = 0;
  std::vector<std::uint64_t> pieces_;   // what is left of overlapped runs: a heap
  std::vector<std::uint64_t> tiled_a_;  // bit sets
  std::vector<std::uint64_t> tiled_b_;
};

}  // namespace compare
