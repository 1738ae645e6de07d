// UTF-8 validation, and GB18030 decoding by a table of its own (made from
// glibc's iconv, and tested against it): Windows has no iconv.
#include "batch/decode.h"

#include <cerrno>
#include <cstdint>
#include <utility>

namespace batch {
namespace {

#include "batch/gb18030_table.inc"

constexpr std::uint32_t kReplacement = 0xFFFD;  // what a byte that starts no character shows as
constexpr std::uint32_t kNone = 0xFFFFFFFF;     // no character

void append_utf8(std::string* out, std::uint32_t p) {
  if (p < 0x80) {
    *out += static_cast<char>(p);
  } else if (p < 0x800) {
    *out += static_cast<char>(0xC0 | (p >> 6));
    *out += static_cast<char>(0x80 | (p & 0x3F));
  } else if (p < 0x10000) {
    *out += static_cast<char>(0xE0 | (p >> 12));
    *out += static_cast<char>(0x80 | ((p >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (p & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | (p >> 18));
    *out += static_cast<char>(0x80 | ((p >> 12) & 0x3F));
    *out += static_cast<char>(0x80 | ((p >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (p & 0x3F));
  }
}

// `count` UTF-16 code units, `unit(k)` each, onto `out` as UTF-8: a
// surrogate pair makes one character, a lone surrogate U+FFFD.
template <typename Unit>
void append_utf16(std::size_t count, Unit unit, std::string* out) {
  for (std::size_t k = 0; k < count; ++k) {
    const std::uint32_t u = unit(k);
    if (u >= 0xD800 && u <= 0xDBFF && k + 1 < count) {
      const std::uint32_t low = unit(k + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        append_utf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        ++k;
        continue;
      }
    }
    append_utf8(out, u >= 0xD800 && u <= 0xDFFF ? kReplacement : u);
  }
}

// The code point of a four-byte character, or kNone: those of the BMP from
// the table's runs, those past it in one line from U+10000.
std::uint32_t four_byte(std::uint32_t b1, std::uint32_t b2, std::uint32_t b3, std::uint32_t b4) {
  const std::uint32_t linear =
      (((b1 - 0x81) * 10 + (b2 - 0x30)) * 126 + (b3 - 0x81)) * 10 + (b4 - 0x30);
  constexpr std::uint32_t kSupplementary = (((0x90 - 0x81) * 10) * 126) * 10;  // 0x90308130
  if (linear >= kSupplementary) {
    const std::uint32_t point = 0x10000 + (linear - kSupplementary);
    return point <= 0x10FFFF ? point : kNone;
  }
  for (const auto& run : kFourByteRuns)
    if (linear >= run[0] && linear < run[0] + run[2]) return run[1] + (linear - run[0]);
  return kNone;
}

}  // namespace

bool is_valid_utf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t n;
    std::uint32_t cp;
    if (c < 0x80) {
      ++i;
      continue;
    }
    if (c >= 0xC2 && c <= 0xDF) {
      n = 1;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      n = 2;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      n = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + n >= s.size()) return false;
    for (std::size_t k = 1; k <= n; ++k) {
      const auto t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (t & 0x3F);
    }
    if ((n == 2 && cp < 0x800) || (n == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += n + 1;
  }
  return true;
}

std::string to_utf8(std::string_view bytes) {
  return is_valid_utf8(bytes) ? std::string(bytes) : gb18030_to_utf8(bytes);
}

std::string utf16_units_to_utf8(std::string_view bytes, bool little) {
  const auto b = [&](std::size_t k) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[k]));
  };
  const auto unit = [&](std::size_t k) {
    const std::size_t at = 2 * k;
    return little ? b(at) | b(at + 1) << 8 : b(at) << 8 | b(at + 1);
  };
  std::string text;
  text.reserve(bytes.size() * 3 / 2);
  append_utf16(bytes.size() / 2, unit, &text);
  if (bytes.size() % 2 != 0) append_utf8(&text, kReplacement);  // half a unit at the end
  return text;
}

std::string utf32_to_utf8(std::string_view bytes, bool little) {
  const auto b = [&](std::size_t k) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[k]));
  };
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4) {
    const std::uint32_t p = little ? b(at) | b(at + 1) << 8 | b(at + 2) << 16 | b(at + 3) << 24
                                   : b(at) << 24 | b(at + 1) << 16 | b(at + 2) << 8 | b(at + 3);
    append_utf8(&text, p > 0x10FFFF || (p >= 0xD800 && p <= 0xDFFF) ? kReplacement : p);
  }
  if (bytes.size() % 4 != 0) append_utf8(&text, kReplacement);  // part of a unit at the end
  return text;
}

bool utf16_to_utf8(std::string_view bytes, std::string* out) {
  if (bytes.size() < 2) return false;
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
  if (b(0) == 0xFF && b(1) == 0xFE) {
    *out = utf16_units_to_utf8(bytes.substr(2), true);
  } else if (b(0) == 0xFE && b(1) == 0xFF) {
    *out = utf16_units_to_utf8(bytes.substr(2), false);
  } else {
    return false;
  }
  return true;
}

std::string wide_to_utf8(std::wstring_view wide) {
  std::string out;
  out.reserve(wide.size() * 3);
  const auto unit = [&](std::size_t k) { return static_cast<std::uint32_t>(wide[k]); };
  if constexpr (sizeof(wchar_t) == 2) {
    append_utf16(wide.size(), unit, &out);
  } else {
    for (std::size_t k = 0; k < wide.size(); ++k) {
      const std::uint32_t p = unit(k);
      append_utf8(&out, p > 0x10FFFF || (p >= 0xD800 && p <= 0xDFFF) ? kReplacement : p);
    }
  }
  return out;
}

std::string gb18030_to_utf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 3 / 2 + 8);
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t left = bytes.size() - at;
    std::uint32_t point = 0;
    std::size_t length = 1;
    if (b(at) < 0x80) {
      point = b(at);
    } else if (b(at) >= 0x81 && b(at) <= 0xFE && left >= 2 && b(at + 1) >= 0x40 &&
               b(at + 1) <= 0xFE && b(at + 1) != 0x7F) {
      const std::uint32_t trail = b(at + 1) - 0x40 - (b(at + 1) > 0x7F ? 1 : 0);
      point = kTwoByte[(b(at) - 0x81) * 190 + trail];
      if (point == 0) point = kNone;
      length = point == kNone ? 1 : 2;
    } else if (b(at) >= 0x81 && b(at) <= 0xFE && left >= 4 && b(at + 1) >= 0x30 &&
               b(at + 1) <= 0x39 && b(at + 2) >= 0x81 && b(at + 2) <= 0xFE && b(at + 3) >= 0x30 &&
               b(at + 3) <= 0x39) {
      point = four_byte(b(at), b(at + 1), b(at + 2), b(at + 3));
      length = point == kNone ? 1 : 4;
    }
    if (b(at) >= 0x80 && length == 1) point = kReplacement;  // a byte that starts no character
    append_utf8(&out, point);
    at += length;
  }
  return out;
}

}  // namespace batch
