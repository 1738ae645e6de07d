// Tables made from Unicode's data (unicode_names_table.py), and Hangul's
// syllables by their arithmetic.
#include "batch/unicode_names.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace batch {
namespace {

#include "batch/unicode_names_table.inc"

template <std::size_t N>
bool in(const std::uint32_t (&table)[N][2], char32_t c) {
  const auto* it =
      std::upper_bound(std::begin(table), std::end(table), std::uint32_t{c},
                       [](std::uint32_t p, const std::uint32_t(&r)[2]) { return p < r[0]; });
  return it != std::begin(table) && c <= (*(it - 1))[1];
}

// True if `first` and `second` make one precomposed character.
bool composes(char32_t first, char32_t second) {
  // Hangul: a leading and a vowel letter, or such a syllable and a trailing one.
  if (first >= 0x1100 && first <= 0x1112 && second >= 0x1161 && second <= 0x1175) return true;
  if (first >= 0xAC00 && first <= 0xD7A3 && (first - 0xAC00) % 28 == 0 && second >= 0x11A8 &&
      second <= 0x11C2)
    return true;
  const auto* it = std::lower_bound(
      std::begin(kPairs), std::end(kPairs),
      std::make_pair(std::uint32_t{first}, std::uint32_t{second}),
      [](const std::uint32_t(&r)[3], const std::pair<std::uint32_t, std::uint32_t>& p) {
        return r[0] < p.first || (r[0] == p.first && r[1] < p.second);
      });
  return it != std::end(kPairs) && (*it)[0] == first && (*it)[1] == second;
}

}  // namespace

bool is_hidden(char32_t c) { return in(kHidden, c); }

bool is_mark(char32_t c) { return in(kMarks, c); }

bool is_decomposed(const std::vector<char32_t>& text) {
  for (std::size_t k = 0; k < text.size(); ++k) {
    if (in(kNotNfc, text[k])) return true;
    if (k > 0 && composes(text[k - 1], text[k])) return true;
  }
  return false;
}

}  // namespace batch
