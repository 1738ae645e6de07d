// Byte classes of the tokeniser: letters and digits as the "C" locale has
// them. Bytes 0x80 to 0xFF are never letters or digits; no locale is asked.
#pragma once

namespace lexer {

constexpr bool is_digit(unsigned char ch) { return ch >= '0' && ch <= '9'; }

constexpr bool is_alpha(unsigned char ch) {
  return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
}

constexpr bool is_alnum(unsigned char ch) { return is_alpha(ch) || is_digit(ch); }

}  // namespace lexer
