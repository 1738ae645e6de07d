#include "tests/support/gbk.h"

#include <gtest/gtest.h>
#include <iconv.h>

namespace testing_support {

std::string gbk(std::string_view utf8) {
  iconv_t cd = iconv_open("GBK", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    ADD_FAILURE() << "no UTF-8 to GBK conversion";
    return "";
  }
  std::string in(utf8);
  std::string out(in.size() * 2 + 16, '\0');
  char* src = in.data();
  char* dst = out.data();
  std::size_t src_left = in.size();
  std::size_t dst_left = out.size();
  if (iconv(cd, &src, &src_left, &dst, &dst_left) == static_cast<std::size_t>(-1))
    ADD_FAILURE() << "cannot convert to GBK: " << utf8;
  iconv_close(cd);
  out.resize(out.size() - dst_left);
  return out;
}

}  // namespace testing_support
