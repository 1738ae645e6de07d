// What names need of Unicode to be shown apart: the characters a reader
// cannot see, the combining marks, and whether a name is precomposed (NFC)
// or made of parts (as macOS writes names), which look alike.
#pragma once

#include <vector>

namespace batch {

/// True for a character a reader cannot see or that turns the text around:
/// zero-width spaces and joiners, direction marks and overrides, the
/// byte-order mark, line and paragraph separators, C1 controls, variation
/// selectors, blank fillers, and every space but the ASCII one.
bool is_hidden(char32_t c);

/// True for a combining mark, or a conjoining Hangul letter.
bool is_mark(char32_t c);

/// True if NFC would change `text` (a character it always replaces, such as
/// the Kelvin sign; or one that makes a precomposed character with the one
/// before it): such a name looks like another, precomposed one.
bool is_decomposed(const std::vector<char32_t>& text);

}  // namespace batch
