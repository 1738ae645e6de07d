// TileSource: a string made ready for tiling, with what depends on it
// alone: which positions may match, substring hashes, its suffix automaton
// and, on request, its grams.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "compare/rolling_hash.h"
#include "compare/suffix_automaton.h"

namespace compare {

/// The free substrings of one length of a string, each by a 16-bit tag of
/// its hash: equal substrings have equal tags.
struct GramIndex {
  static constexpr std::size_t kTags = std::size_t{1} << 16;
  std::size_t length = 0;
  std::vector<std::uint16_t> tag;      // per end position; 0 where no free gram ends
  std::vector<std::uint64_t> present;  // bit set of the tags that occur (never 0)
};

/// A string made ready to be tiled against many others: what depends on it
/// alone is computed once. Keeps a view of the text, which must outlive it.
struct TileSource {
  std::string_view text;
  std::vector<std::uint8_t> free;             // may be part of a run at all
  std::vector<std::uint32_t> blocked_before;  // never-matching positions in [0, k)
  PrefixHash hash;
  SuffixAutomaton automaton;            // of the free stretches
  int grams_for = -1;  // the min_match the gram indexes serve, if any
  std::vector<GramIndex> grams;

  /// Spaces and NUL bytes never match; neither does a position p with
  /// allowed[p] == 0, when `allowed` is given.
  void prepare(std::string_view s, const std::uint8_t* allowed = nullptr);
  /// Indexes the free substrings of min_match + 1 and of twice as many
  /// characters, which lets runs with that min_match start from cheaper
  /// bounds. Call after prepare().
  void prepare_grams(int min_match);

  /// True if no never-matching position lies in [start, start + length).
  bool clear(std::size_t start, std::size_t length) const {
    return blocked_before[start + length] == blocked_before[start];
  }
};

}  // namespace compare
