// Text in other encodings, through the C library's iconv: an independent
// route to the bytes the programs must print or read.
#pragma once

#include <string>
#include <string_view>

namespace testing_support {

/// `utf8` in GBK.
std::string gbk(std::string_view utf8);

/// GBK `bytes` in UTF-8.
std::string utf8_from_gbk(std::string_view bytes);

/// `utf8` in UTF-16, little- or big-endian, behind its byte-order mark.
std::string utf16(std::string_view utf8, bool little_endian);

/// `utf8` in the encoding iconv calls `to` ("UTF-16LE", "UTF-32BE", ...),
/// without a byte-order mark.
std::string encoded(std::string_view utf8, const char* to);

}  // namespace testing_support
