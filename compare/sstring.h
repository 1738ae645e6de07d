// SString: a string with 1-based positions, whose current length is kept by
// the caller beside it, and replace(), which collapses a run into one space.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace compare {

/// The usual capacity of a token string; longer ones are stored all the same.
inline constexpr std::size_t MAXSTRLEN = 10000;

/// Result of replace(): 1 when done, 0 when refused.
using status = int;

/// Position 0 is unused; positions 1..capacity() hold the characters. Bytes
/// past the caller's current length are stale and never read.
struct SString {
  std::vector<char> ch;
  std::ptrdiff_t capacity() const { return static_cast<std::ptrdiff_t>(ch.size()) - 1; }
};

/// An SString holding `text` at positions 1..text.size().
SString make_sstring(std::string_view text);

/// The characters at positions 1..length.
std::string_view view(const SString& s, std::ptrdiff_t length);

/// Collapses the `len` characters from `pos` of `s` (current length `Ls`)
/// into one space, moving the rest left; the new length is Ls - len + 1.
/// Refuses (returns 0, changes nothing) unless 1 <= pos, len >= 1,
/// pos + len - 1 <= Ls and Ls fits the storage.
status replace(SString& s, std::ptrdiff_t pos, std::ptrdiff_t len, std::ptrdiff_t Ls);

}  // namespace compare
