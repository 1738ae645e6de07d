// shown_name(): UTF-8, then GB18030, then escapes; controls, hidden
// characters and the marks of a name made of parts escaped in all.
#include "batch/names.h"

#include <algorithm>
#include <vector>

#include "batch/decode.h"
#include "batch/unicode_names.h"

namespace batch {
namespace {

constexpr std::string_view kGbMark = " (GB18030)";
constexpr char kHex[] = "0123456789abcdef";

void escape_byte(unsigned char c, std::string* out) {
  *out += "\\x";
  *out += kHex[c >> 4];
  *out += kHex[c & 15];
}

void escape_point(char32_t c, std::string* out) {
  const bool wide = c > 0xFFFF;
  *out += wide ? "\\U" : "\\u";
  for (int shift = wide ? 28 : 12; shift >= 0; shift -= 4) *out += kHex[(c >> shift) & 15];
}

// The length of the UTF-8 character at the start of `s`, or 0 if none.
std::size_t utf8_character(std::string_view s) {
  for (std::size_t n = 1; n <= 4 && n <= s.size(); ++n)
    if (is_valid_utf8(s.substr(0, n))) return n;
  return 0;
}

// The code point of the valid UTF-8 character `s`.
char32_t point_of(std::string_view s) {
  char32_t c = static_cast<unsigned char>(s[0]);
  if (s.size() > 1) {
    c &= 0x3fu >> (s.size() - 1);  // the lead byte's bits
    for (std::size_t k = 1; k < s.size(); ++k)
      c = (c << 6) | (static_cast<unsigned char>(s[k]) & 0x3fu);
  }
  return c;
}

// `text` with every byte that is no part of a UTF-8 character written
// \xNN, controls (C0, DEL) so too, backslashes doubled, and what a reader
// could not see or would take for another name written \uNNNN: characters
// that hide or turn the text around, always; in a name that NFC would
// change (a letter made of parts, as macOS writes names), its marks as
// well, so that it never passes for the same name precomposed.
std::string escaped_for_showing(std::string_view text) {
  std::vector<char32_t> points;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = utf8_character(text.substr(i));
    if (n > 0) points.push_back(point_of(text.substr(i, n)));
    i += std::max<std::size_t>(n, 1);
  }
  const bool decomposed = is_decomposed(points);
  std::string out;
  // A mark after an escape would sit on its last letter (`\x9a` and an
  // acute accent would show `\x9á`): it is written out too.
  bool after_escape = true;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = utf8_character(text.substr(i));
    const auto byte = static_cast<unsigned char>(text[i]);
    if (n == 0 || byte < 0x20 || byte == 0x7f) {
      escape_byte(byte, &out);
      after_escape = true;
      i += 1;
      continue;
    }
    const char32_t c = point_of(text.substr(i, n));
    if (c == '\\') {
      out += "\\\\";
      after_escape = true;
    } else if (is_hidden(c) || (decomposed && (is_mark(c) || is_decomposed({c}))) ||
               (after_escape && is_mark(c))) {
      escape_point(c, &out);
      after_escape = true;
    } else {
      out.append(text.substr(i, n));
      after_escape = false;
    }
    i += n;
  }
  return out;
}

}  // namespace

std::size_t columns(std::string_view shown) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < shown.size();) {
    const std::size_t n = std::max<std::size_t>(utf8_character(shown.substr(i)), 1);
    const char32_t c = point_of(shown.substr(i, n));
    const bool wide = (c >= 0x1100 && c <= 0x115f) || (c >= 0x2e80 && c <= 0xa4cf && c != 0x303f) ||
                      (c >= 0xac00 && c <= 0xd7a3) || (c >= 0xf900 && c <= 0xfaff) ||
                      (c >= 0xfe30 && c <= 0xfe4f) || (c >= 0xff00 && c <= 0xff60) ||
                      (c >= 0xffe0 && c <= 0xffe6) || (c >= 0x20000 && c <= 0x3fffd);
    width += wide ? 2 : is_mark(c) ? 0 : 1;  // a mark sits on the character before it
    i += n;
  }
  return width;
}

std::string shown_name(std::string_view raw) {
  if (is_valid_utf8(raw)) {
    std::string out = escaped_for_showing(raw);
    // A name that ends as a GB18030 reading is marked would pass for one.
    if (out.size() >= kGbMark.size() &&
        out.compare(out.size() - kGbMark.size(), kGbMark.size(), kGbMark) == 0)
      out.replace(out.size() - kGbMark.size(), 1, "\\x20");
    return out;
  }
  const std::string gb = gb18030_to_utf8(raw);
  if (gb.find("\xef\xbf\xbd") == std::string::npos)
    return escaped_for_showing(gb) + std::string(kGbMark);
  return escaped_for_showing(raw);
}

std::string escaped_bytes(std::string_view raw) {
  std::string out;
  for (char ch : raw) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c >= 0x7f || c == '\\')
      escape_byte(c, &out);
    else
      out += ch;
  }
  return out;
}

std::string formula_guarded(std::string text) {
  if (!text.empty() && std::string_view("=+-@\t\r").find(text[0]) != std::string_view::npos)
    text.insert(0, 1, '\'');
  return text;
}

bool ends_with_any_case(std::string_view name, std::string_view tail) {
  const auto lower = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  return name.size() >= tail.size() &&
         std::equal(tail.begin(), tail.end(), name.end() - static_cast<std::ptrdiff_t>(tail.size()),
                    [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace batch
