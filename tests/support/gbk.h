// UTF-8 to GBK, through the C library's iconv: an independent route to the
// bytes the program must print.
#pragma once

#include <string>
#include <string_view>

namespace testing_support {

std::string gbk(std::string_view utf8);

}  // namespace testing_support
