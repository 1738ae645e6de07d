// The five keyword tables, each searched in row order by whole-word match.
// The class a table gives is in classify.cc (ORDER TABLES: a, b, c, d, e).
#pragma once

#include <array>
#include <string_view>

namespace lexer {

/// Integer type keywords: class K, written as "zh".
inline constexpr std::array<std::string_view, 3> a{"int", "long", "short"};
/// Floating type keywords: class E, written as "fu".
inline constexpr std::array<std::string_view, 2> b{"float", "double"};
/// Operator symbols: class A.
inline constexpr std::array<std::string_view, 15> c{"&&", "||", "++", "--", "+",  "-", "*", "/",
                                                    "=",  ">=", "<=", "==", "!=", ">", "<"};
/// Language symbols (punctuation): class R.
inline constexpr std::array<std::string_view, 11> d{"[", "]", "{", "}", "(", ")",
                                                    ",", ";", "'", "#", "."};
/// Every other keyword: class Y. "main" and "printf" are here on purpose;
/// "char" and "unsigned" are here, not among the integer types.
inline constexpr std::array<std::string_view, 29> e{
    "auto",     "break",    "case",   "char",   "const",   "continue", "default", "do",
    "else",     "enum",     "extern", "for",    "goto",    "if",       "main",    "printf",
    "register", "return",   "signed", "sizeof", "static",  "struct",   "switch",  "typedef",
    "union",    "unsigned", "void",   "while",  "volatile"};

}  // namespace lexer
