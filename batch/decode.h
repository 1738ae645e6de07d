// Source bytes as UTF-8 for showing: kept when they are UTF-8 already, read
// as GB18030 (which covers GBK and GB2312) otherwise.
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

/// Splits `bytes` into whole characters of its encoding (UTF-8 if
/// `utf8`, else GB18030), calling `each(offset, length)` per character.
template <typename Each>
void for_each_character(std::string_view bytes, bool utf8, Each each);

}  // namespace batch

#include "batch/decode_inl.h"
