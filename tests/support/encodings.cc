#include "tests/support/encodings.h"

#include <gtest/gtest.h>
#include <iconv.h>

namespace testing_support {
namespace {

std::string convert(std::string_view bytes, const char* from, const char* to) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    ADD_FAILURE() << "no " << from << " to " << to << " conversion";
    return "";
  }
  std::string in(bytes);
  std::string out(in.size() * 4 + 16, '\0');
  char* src = in.data();
  char* dst = out.data();
  std::size_t src_left = in.size();
  std::size_t dst_left = out.size();
  if (iconv(cd, &src, &src_left, &dst, &dst_left) == static_cast<std::size_t>(-1))
    ADD_FAILURE() << "cannot convert to " << to << ": " << bytes;
  iconv_close(cd);
  out.resize(out.size() - dst_left);
  return out;
}

}  // namespace

std::string gbk(std::string_view utf8) { return convert(utf8, "UTF-8", "GBK"); }

std::string utf8_from_gbk(std::string_view bytes) { return convert(bytes, "GBK", "UTF-8"); }

std::string utf16(std::string_view utf8, bool little_endian) {
  return (little_endian ? "\xff\xfe" : "\xfe\xff") +
         convert(utf8, "UTF-8", little_endian ? "UTF-16LE" : "UTF-16BE");
}

std::string encoded(std::string_view utf8, const char* to) { return convert(utf8, "UTF-8", to); }

}  // namespace testing_support
