// Code common to much of a class: the runs nobody needs to have copied
// (includes, the read loop, the output line every solution prints), found
// by counting in how many submissions each stretch of tokens occurs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace batch {

/// A stretch of a token string: [start, start + length).
struct Span {
  std::uint32_t start = 0;
  std::uint32_t length = 0;
  bool operator==(const Span& o) const { return start == o.start && length == o.length; }
};

/// When a gram counts as common: it occurs in at least `share` of the
/// submissions and in at least `at_least` of them.
struct CommonRule {
  bool enabled = true;
  std::size_t gram = 24;  // token-string characters
  double share = 0.2;
  std::size_t at_least = 10;
};

/// How many submissions of `count` a gram must occur in to be common (more
/// than `count` when nothing can be).
std::size_t common_cutoff(const CommonRule& rule, std::size_t count);

/// One string to look through: its text, and which positions may count at
/// all (nullptr: every one but spaces and NUL bytes).
struct MaskedText {
  std::string_view text;
  const std::uint8_t* allowed = nullptr;
};

/// For each text, the stretches covered by a gram of `rule.gram` allowed
/// characters that occurs in at least common_cutoff() of the texts, merged
/// and in order. The same for any order of the texts and any `jobs`.
std::vector<std::vector<Span>> find_common(const std::vector<MaskedText>& texts,
                                           const CommonRule& rule, unsigned jobs);

}  // namespace batch
