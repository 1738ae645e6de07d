// shown_name(): UTF-8, then GB18030, then escapes; controls escaped in all.
#include "batch/names.h"

#include <algorithm>

#include "batch/decode.h"

namespace batch {
namespace {

constexpr std::string_view kGbMark = " (GB18030)";
constexpr char kHex[] = "0123456789abcdef";

void escape_byte(unsigned char c, std::string* out) {
  *out += "\\x";
  *out += kHex[c >> 4];
  *out += kHex[c & 15];
}

// Valid UTF-8 text with controls (C0, DEL) and backslashes escaped.
std::string with_controls_escaped(std::string_view utf8) {
  std::string out;
  for (char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '\\')
      out += "\\\\";
    else if (c < 0x20 || c == 0x7f)
      escape_byte(c, &out);
    else
      out += ch;
  }
  return out;
}

// The length of the UTF-8 character at the start of `s`, or 0 if none.
std::size_t utf8_character(std::string_view s) {
  for (std::size_t n = 1; n <= 4 && n <= s.size(); ++n)
    if (is_valid_utf8(s.substr(0, n))) return n;
  return 0;
}

}  // namespace

std::size_t columns(std::string_view shown) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < shown.size();) {
    const std::size_t n = std::max<std::size_t>(utf8_character(shown.substr(i)), 1);
    char32_t c = static_cast<unsigned char>(shown[i]);
    if (n > 1) {
      c &= 0x3fu >> (n - 1);  // the lead byte's bits
      for (std::size_t k = 1; k < n; ++k)
        c = (c << 6) | (static_cast<unsigned char>(shown[i + k]) & 0x3fu);
    }
    const bool wide = (c >= 0x1100 && c <= 0x115f) || (c >= 0x2e80 && c <= 0xa4cf && c != 0x303f) ||
                      (c >= 0xac00 && c <= 0xd7a3) || (c >= 0xf900 && c <= 0xfaff) ||
                      (c >= 0xfe30 && c <= 0xfe4f) || (c >= 0xff00 && c <= 0xff60) ||
                      (c >= 0xffe0 && c <= 0xffe6) || (c >= 0x20000 && c <= 0x3fffd);
    width += wide ? 2 : 1;
    i += n;
  }
  return width;
}

std::string shown_name(std::string_view raw) {
  if (is_valid_utf8(raw)) {
    std::string out = with_controls_escaped(raw);
    // A name that ends as a GB18030 reading is marked would pass for one.
    if (out.size() >= kGbMark.size() &&
        out.compare(out.size() - kGbMark.size(), kGbMark.size(), kGbMark) == 0)
      out.replace(out.size() - kGbMark.size(), 1, "\\x20");
    return out;
  }
  const std::string gb = gb18030_to_utf8(raw);
  if (gb.find("\xef\xbf\xbd") == std::string::npos)
    return with_controls_escaped(gb) + std::string(kGbMark);
  std::string out;
  for (std::size_t i = 0; i < raw.size();) {
    const std::size_t n = utf8_character(raw.substr(i));
    if (n == 0) {
      escape_byte(static_cast<unsigned char>(raw[i]), &out);
      ++i;
    } else {
      out += with_controls_escaped(raw.substr(i, n));
      i += n;
    }
  }
  return out;
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
