// The fast tiling engine: the same runs, in the same order, as the plain
// scan (reference_scan.h), at a cost close to linear in the strings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "compare/match_tiler.h"
#include "compare/suffix_automaton.h"
#include "compare/tile.h"
#include "compare/tile_source.h"

namespace compare {

/// Reusable: its buffers are kept between runs, so tiling many pairs in a
/// row allocates little. Not for use by two threads at once.
class GreedyTiler {
 public:
  /// Tiles `a` against `b`, collapsing runs longer than `min_match` (taken
  /// as 0 if negative), and returns them in the order the passes collapse
  /// them. Spaces and NUL bytes never match; neither does a position p with
  /// allowed_a[p] == 0 (or allowed_b), when those masks are given.
  const std::vector<Match>& run(std::string_view a, std::string_view b, int min_match,
                                const std::uint8_t* allowed_a = nullptr,
                                const std::uint8_t* allowed_b = nullptr);
  /// The same for prepared strings. With grams prepared for `min_match`,
  /// MatchTiler does it unless it declines (long or very repetitive strings).
  const std::vector<Match>& run(const TileSource& a, const TileSource& b, int min_match);

 private:
  // One string's state during a run.
  struct Side {
    const TileSource* source;
    std::vector<std::uint8_t> tiled;         // covered by a collapsed run
    std::vector<std::uint32_t> bound;        // >= the longest common run ending here
    std::vector<std::uint32_t> candidates;   // run ends with a bound above the floor
    std::vector<std::uint32_t> by_bound;     // candidates, grouped by bound
    std::vector<std::uint32_t> bound_begin;  // group v: by_bound[begin[v], begin[v+1])
    std::vector<std::uint64_t> active;       // bit set: run ends with bound >= level
    std::size_t live = 0;                    // members of `active`
    // Run ends whose bound was lowered, by their new bound: linked lists.
    std::vector<std::int32_t> pending_head;
    std::vector<std::int32_t> pending_next;
    std::vector<std::uint32_t> fill;

    void reset(const TileSource& s);
    bool window_free(std::size_t start, std::size_t length) const {
      return source->clear(start, length) && !tiled[start] && !tiled[start + length - 1];
    }
    void tile(std::size_t start, std::size_t length, std::size_t floor);
    void deactivate(std::size_t p);
    void current_free(std::vector<std::uint8_t>* out) const;
    void lower_bound_to(std::size_t p, std::size_t value, std::size_t level, std::size_t floor);
    std::uint32_t collect(std::size_t floor);
    void group(std::size_t cap);
    void activate(std::size_t level);
    template <typename Visit>
    void for_each_active(Visit visit) const;
  };

  void exact_bounds_from_sources();
  void exact_bounds();
  std::size_t regroup(std::size_t cap, std::size_t floor);
  void list_a(std::size_t level);
  void index_b(std::size_t level);
  void sweep_a(std::size_t level);

  Side a_;
  Side b_;
  std::size_t floor_ = 0;
  TileSource own_a_;
  TileSource own_b_;
  SuffixAutomaton automaton_;
  MatchTiler match_tiler_;
  std::vector<std::uint8_t> free_a_;
  std::vector<std::uint8_t> free_b_;
  // B's windows of the current level by hash: open addressing, a slot in use
  // when its stamp is the level's; each chain in ascending position.
  struct Slot {
    std::uint64_t key;
    std::uint32_t stamp;
    std::int32_t head;
    std::int32_t tail;
  };
  struct Node {
    std::uint32_t pos;
    std::int32_t next;
  };
  Slot* find_slot(std::uint64_t key);
  struct Window {
    std::size_t start;
    std::uint64_t key;
  };
  static constexpr std::size_t kFilterBits = 1 << 14;
  std::vector<Window> windows_;  // A's windows of the current level
  std::vector<std::uint64_t> filter_ = std::vector<std::uint64_t>(kFilterBits / 64);
  std::uint32_t stamp_ = 0;
  std::vector<Slot> slots_;
  std::vector<Node> nodes_;
  std::vector<Match> matches_;
};

}  // namespace compare
