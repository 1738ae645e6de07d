// Token classes: one letter per token, decided by its text alone.
#pragma once

#include <string_view>

namespace lexer {

/// The class letter of one token's text:
///   K integer type keyword, E floating type keyword, A operator symbol,
///   R language symbol, Y other keyword, N number (first byte a digit),
///   C identifier (first byte a letter), H anything else.
/// The tables are tried in that order, then the first byte.
char type(std::string_view str);

}  // namespace lexer
