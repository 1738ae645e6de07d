// UTF-8 validation and GB18030 decoding through iconv.
#include "batch/decode.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

namespace batch {

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

std::string gb18030_to_utf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 3 / 2 + 8);
  iconv_t cd = iconv_open("UTF-8", "GB18030");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(bytes);
  std::string in(bytes);
  char* src = in.data();
  std::size_t src_left = in.size();
  char buf[4096];
  while (src_left > 0) {
    char* dst = buf;
    std::size_t dst_left = sizeof buf;
    const std::size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
    out.append(buf, static_cast<std::size_t>(dst - buf));
    if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
      out += "\xEF\xBF\xBD";  // a byte that is no character: U+FFFD, go on
      ++src;
      --src_left;
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace batch
