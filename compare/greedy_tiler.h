// The fast tiling engine: the same runs, in the same order, as the plain
// scan (reference_scan.h), at a cost close to linear in the strings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "compare/rolling_hash.h"
#include "compare/suffix_automaton.h"

namespace compare {

/// A collapsed run at 0-based positions of the strings as given.
struct Match {
  std::size_t a;
  std::size_t b;
  std::size_t length;
  bool operator==(const Match& o) const { return a == o.a && b == o.b && length == o.length; }
};

/// A string made ready to be tiled against many others: what depends on it
/// alone is computed once. Keeps a view of the text, which must outlive it.
struct TileSource {
  std::string_view text;
  std::vector<std::uint8_t> free;             // may be part of a run at all
  std::vector<std::uint32_t> blocked_before;  // never-matching positions in [0, k)
  PrefixHash hash;
  SuffixAutomaton automaton;  // of the free stretches

  /// Spaces and NUL bytes never match; neither does a position p with
  /// allowed[p] == 0, when `allowed` is given.
  void prepare(std::string_view s, const std::uint8_t* allowed = nullptr);
};

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
  /// The same for prepared strings.
  const std::vector<Match>& run(const TileSource& a, const TileSource& b, int min_match);

 private:
  struct Side {
    const TileSource* source;
    std::string_view text;
    std::vector<std::uint8_t> free;     // may still be part of a run
    std::vector<std::uint8_t> tiled;    // covered by a collapsed run
    std::vector<std::uint32_t> bound;   // >= the longest common run ending here
    std::vector<std::uint32_t> by_bound;        // run ends, grouped by bound
    std::vector<std::uint32_t> bound_begin;     // group v: by_bound[begin[v], begin[v+1])
    std::vector<std::uint32_t> active;  // run ends with bound >= level, ascending
    std::vector<std::uint32_t> merged;

    void reset(const TileSource& s);
    bool window_free(std::size_t start, std::size_t length) const;
    void tile(std::size_t start, std::size_t length);
    std::uint32_t group(std::size_t cap);
    void activate(std::size_t level);
  };

  void refresh_bounds();
  void initial_bounds();
  std::size_t regroup(std::size_t cap);
  void index_b(std::size_t level);
  void sweep_a(std::size_t level);

  Side a_;
  Side b_;
  TileSource own_a_;
  TileSource own_b_;
  SuffixAutomaton automaton_;
  std::vector<std::uint64_t> slot_key_;
  std::vector<std::int32_t> slot_head_;
  std::vector<std::uint32_t> node_pos_;
  std::vector<std::int32_t> node_next_;
  std::vector<Match> matches_;
};

}  // namespace compare
