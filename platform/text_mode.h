// Text-mode file contents, as the program's files have them: CR LF line ends
// on disk, LF in memory, and Ctrl-Z (0x1A) as the end of the text.
#pragma once

#include <string>
#include <string_view>

namespace platform {

/// What a text-mode read delivers from `raw` file bytes: each CR LF becomes
/// LF, a lone CR stays as it is, and the first 0x1A ends the text.
std::string decode_text_mode(std::string_view raw);

/// `raw` with every line break read as LF, as editors show them: CR LF, and
/// a lone CR (old Mac files; CR CR LF from a conversion done twice); every
/// other byte kept, 0x1A too.
std::string decode_line_ends(std::string_view raw);

/// What a text-mode write puts on disk for `text`: each LF becomes CR LF.
std::string encode_text_mode(std::string_view text);

}  // namespace platform
