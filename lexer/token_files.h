// The two files made from a token list: the token string and the list table.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lexer {

/// What one token contributes to the token string: "id", "zh", "fu", the
/// word itself, or nothing (class H).
std::string_view written_form(std::string_view word);

/// The token string: identifiers as "id", integer types as "zh", floating
/// types as "fu", class H tokens left out, every other token as written.
/// No separators, no line end.
std::string token_string(const std::vector<std::string>& link);

/// The list file's text with LF line ends: the legend, then one line
/// "(class,text,index)" per token, indices from 0.
std::string list_text(const std::vector<std::string>& link);

}  // namespace lexer
