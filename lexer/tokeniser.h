// Cutting source text into tokens.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lexer {

/// The longest word one token holds; a longer run of letters and digits
/// continues as further tokens.
inline constexpr std::size_t kMaxWordLength = 9999;

/// Cuts `text` (as a text-mode read delivers it) into tokens, in order.
/// Tab, space and line feed separate tokens and vanish. A word starts with a
/// letter or digit and runs on through letters and digits; ">=", "<=", "!="
/// and the doubled "++", "--", "&&", "||", "==" are single tokens; any other
/// byte is a token of its own. The token of a NUL byte is empty.
/// When `starts` is given, it receives each token's offset in `text`.
std::vector<std::string> tokenise(std::string_view text,
                                  std::vector<std::size_t>* starts = nullptr);

}  // namespace lexer
