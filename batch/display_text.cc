// Line by line decoding for display.
#include "batch/display_text.h"

#include <algorithm>
#include <cctype>

#include "batch/decode.h"

namespace batch {
namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

// UTF-16 units of UTF-8 text: one per character, two for those past U+FFFF.
std::uint32_t utf16_length(std::string_view utf8) {
  std::uint32_t n = 0;
  for (char c : utf8) {
    const auto u = static_cast<unsigned char>(c);
    if ((u & 0xC0) != 0x80) n += u >= 0xF0 ? 2 : 1;
  }
  return n;
}

// One character of `line` at `at`: its length in bytes, and it in UTF-8.
std::size_t decode_one(std::string_view line, std::size_t at, Encoding e, std::string* out) {
  const auto lead = static_cast<unsigned char>(line[at]);
  if (e == Encoding::kLatin1) {
    if (lead < 0x80) {
      *out = std::string(1, static_cast<char>(lead));
    } else {
      *out = std::string{static_cast<char>(0xC0 | (lead >> 6)),
                         static_cast<char>(0x80 | (lead & 0x3F))};
    }
    return 1;
  }
  const bool utf8 = e == Encoding::kUtf8;
  const std::size_t n = character_length(line, at, utf8);
  const std::string_view bytes = line.substr(at, n);
  if (utf8) {
    *out = is_valid_utf8(bytes) ? std::string(bytes) : std::string(kReplacement);
    return is_valid_utf8(bytes) ? n : 1;
  }
  *out = gb18030_to_utf8(bytes);
  return n;
}

}  // namespace

bool parse_encoding(std::string_view name, Encoding* encoding) {
  std::string n(name);
  std::transform(n.begin(), n.end(), n.begin(), [](unsigned char c) { return std::tolower(c); });
  if (n == "auto")
    *encoding = Encoding::kAuto;
  else if (n == "utf-8" || n == "utf8")
    *encoding = Encoding::kUtf8;
  else if (n == "gb18030" || n == "gbk" || n == "gb2312" || n == "cp936")
    *encoding = Encoding::kGb18030;
  else if (n == "latin1" || n == "latin-1" || n == "iso-8859-1")
    *encoding = Encoding::kLatin1;
  else
    return false;
  return true;
}

ShownFile shown_file(std::string_view bytes, Encoding encoding, std::size_t limit) {
  if (encoding == Encoding::kAuto)
    encoding = is_valid_utf8(bytes) ? Encoding::kUtf8 : Encoding::kGb18030;
  ShownFile out;
  if (bytes.size() > limit) {
    const std::size_t end = bytes.rfind('\n', limit);
    bytes = bytes.substr(0, end == std::string_view::npos ? limit : end + 1);
    out.clipped = true;
  }
  out.line_of.assign(bytes.size() + 1, 0);
  out.column_of.assign(bytes.size() + 1, 0);
  std::size_t begin = 0;
  for (;;) {
    const std::size_t end = std::min(bytes.find('\n', begin), bytes.size());
    const std::string_view line = bytes.substr(begin, end - begin);
    const auto number = static_cast<std::uint32_t>(out.lines.size());
    std::string text, one;
    std::uint32_t column = 0;
    for (std::size_t at = 0; at < line.size();) {
      const std::size_t n = decode_one(line, at, encoding, &one);
      for (std::size_t k = 0; k < n; ++k) {
        out.line_of[begin + at + k] = number;
        out.column_of[begin + at + k] = column;
      }
      text += one;
      column += utf16_length(one);
      at += n;
    }
    out.line_of[end] = number;  // the line end, or the end of the text
    out.column_of[end] = column;
    out.lines.push_back(std::move(text));
    if (end >= bytes.size()) break;
    begin = end + 1;
  }
  return out;
}

}  // namespace batch
