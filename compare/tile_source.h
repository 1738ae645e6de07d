// TileSource: a string made ready for tiling, with what depends on it
// alone: which positions may match, substring hashes, its suffix automaton
// and, on request, its grams.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compare/rolling_hash.h"
#include "compare/suffix_automaton.h"

namespace compare {

/// The free substrings of one length of a string (its grams), grouped by
/// hash, each with the byte before it: two equal grams with different bytes
/// before are where a common run may start. Laid out for many lookups by
/// other strings, each touching little memory.
struct GramIndex {
  static constexpr std::uint32_t kNone = 0x100;   // no byte before that can match
  static constexpr std::uint32_t kMixed = 0x1ff;  // a group's grams have different bytes before
  static constexpr unsigned kSizeBits = 23;
  static constexpr unsigned kPositionBits = 21;
  static constexpr std::size_t kMaxText = std::size_t{1} << kPositionBits;  // longer: not indexed
  std::size_t length = 0;
  /// Per group, ascending: its hash's top 32 bits, then its offset in
  /// `groups`. (Grams whose hashes share those bits share a group: runs
  /// are checked byte by byte.)
  std::vector<std::uint64_t> keys;
  /// Per group: (the byte before all its grams, or kMixed) << kSizeBits |
  /// the number of its grams; then each gram's start, ascending, as (byte
  /// before << kPositionBits | start). Eight spare words at the end.
  std::vector<std::uint32_t> groups;
  std::vector<std::int32_t> group_of;  // per position: its gram's group, or -1
  std::vector<std::uint16_t> before;   // per position: the byte before it, or kNone
  /// The text with every never-matching position made a byte the other
  /// side never has: 0 when this string is A, a space when it is B; then
  /// 8 bytes more of the same, so that runs can be extended a word at a
  /// time and always stop.
  std::string as_a;
  std::string as_b;
};

/// A string made ready to be tiled against many others: what depends on it
/// alone is computed once. Keeps a view of the text, which must outlive it.
struct TileSource {
  std::string_view text;
  std::vector<std::uint8_t> free;             // may be part of a run at all
  std::vector<std::uint32_t> blocked_before;  // never-matching positions in [0, k)
  PrefixHash hash;
  SuffixAutomaton automaton;  // of the free stretches
  int grams_for = -1;         // the min_match the gram index serves, if any
  GramIndex grams;

  /// Spaces and NUL bytes never match; neither does a position p with
  /// allowed[p] == 0, when `allowed` is given.
  void prepare(std::string_view s, const std::uint8_t* allowed = nullptr);
  /// Indexes the free substrings of min_match + 1 characters, from which
  /// the runs that count with that min_match can be found directly between
  /// short strings. Call after prepare().
  void prepare_grams(int min_match);

  /// True if no never-matching position lies in [start, start + length).
  bool clear(std::size_t start, std::size_t length) const {
    return blocked_before[start + length] == blocked_before[start];
  }
};

}  // namespace compare
