// Source bytes and their encodings: UTF-8 kept as it is, GB18030 (which
// covers GBK and GB2312) decoded for showing, UTF-16 and UTF-32 read as UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace batch {

bool is_valid_utf8(std::string_view bytes);

/// `bytes` read as GB18030, in UTF-8; a byte that starts no character
/// becomes U+FFFD.
std::string gb18030_to_utf8(std::string_view bytes);

/// `bytes` as UTF-8 text: as they are if valid UTF-8, else from GB18030.
std::string to_utf8(std::string_view bytes);

/// When `bytes` start with a UTF-16 byte-order mark (FF FE, little-endian,
/// or FE FF, big-endian), puts the text after the mark in `out` as UTF-8
/// and returns true; a lone surrogate or an odd last byte becomes U+FFFD.
/// Other bytes (UTF-8, GBK, ...) never start so: false, `out` untouched.
bool utf16_to_utf8(std::string_view bytes, std::string* out);

/// `bytes`, UTF-16 code units without a byte-order mark (little-endian if
/// `little`), as UTF-8; a lone surrogate or an odd last byte becomes U+FFFD.
std::string utf16_units_to_utf8(std::string_view bytes, bool little);

/// `bytes`, UTF-32 code units without a byte-order mark, as UTF-8; a unit
/// that is no character, or a part of one at the end, becomes U+FFFD.
std::string utf32_to_utf8(std::string_view bytes, bool little);

/// Wide text (UTF-16 where wchar_t has 16 bits, as on Windows; else
/// code points) as UTF-8; what is no character becomes U+FFFD.
std::string wide_to_utf8(std::wstring_view wide);

/// Splits `bytes` into whole characters of its encoding (UTF-8 if
/// `utf8`, else GB18030), calling `each(offset, length)` per character.
template <typename Each>
void for_each_character(std::string_view bytes, bool utf8, Each each);

}  // namespace batch

#include "batch/decode_inl.h"
