// A small C and C++ scanner: enough to tell code from comments and literals
// and to find the preprocessor's lines; no preprocessing.
#include "batch/code_scan.h"

#include <algorithm>
#include <array>

namespace batch {
namespace {

bool is_word_start(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$';
}

bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }

bool is_word_char(unsigned char c) { return is_word_start(c) || is_digit(c); }

// Longest first, so that the first that fits is the token.
constexpr std::array<std::string_view, 28> kSymbols{
    "<<=", ">>=", "...", "->", "++", "--", "<<", ">>", "<=", ">=", "==", "!=", "&&", "||",
    "+=",  "-=",  "*=",  "/=", "%=", "&=", "|=", "^=", "::", "##", "<:", ":>", "<%", "%>"};

// Past the literal opened by the quote at `k`: its closing quote, or the end
// of its line when it has none.
std::size_t literal_end(std::string_view s, std::size_t k) {
  const char quote = s[k];
  std::size_t e = k + 1;
  for (; e < s.size() && s[e] != '\n'; ++e) {
    if (s[e] == '\\') {
      if (e + 1 < s.size() && s[e + 1] != '\n') ++e;
    } else if (s[e] == quote) {
      return e + 1;
    }
  }
  return e;
}

// Past the number at `k`: digits, letters, dots, digit separators, and the
// sign of an exponent (1e-9, 0x1p+3).
std::size_t number_end(std::string_view s, std::size_t k) {
  std::size_t e = k + 1;
  while (e < s.size()) {
    const auto d = static_cast<unsigned char>(s[e]);
    const char before = s[e - 1];
    const bool sign = (d == '+' || d == '-') &&
                      (before == 'e' || before == 'E' || before == 'p' || before == 'P');
    if (!is_word_char(d) && d != '.' && d != '\'' && !sign) break;
    ++e;
  }
  return e;
}

}  // namespace

std::vector<RawToken> scan_code(std::string_view s, std::vector<Aside>* aside) {
  std::vector<RawToken> out;
  int directives = 0;
  int directive = 0;  // the directive of the line being read (0: none)
  bool line_start = true;
  auto add = [&](CodeKind kind, std::size_t begin, std::size_t end) {
    const std::string_view text = s.substr(begin, end - begin);
    out.push_back(RawToken{kind, text, static_cast<std::uint32_t>(begin),
                           static_cast<std::uint32_t>(end), directive,
                           kind == CodeKind::kWord && is_keyword(text)});
    line_start = false;
  };
  auto set_aside = [&](std::size_t begin, std::size_t end) {
    aside->push_back(Aside{static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(end)});
  };
  std::size_t k = 0;
  while (k < s.size()) {
    const auto c = static_cast<unsigned char>(s[k]);
    if (c == '\n') {
      // A directive runs on over a line that ends with a backslash.
      if (!(directive != 0 && k > 0 && s[k - 1] == '\\')) directive = 0;
      line_start = true;
      ++k;
    } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v' || c == '\\') {
      ++k;
    } else if (c == '/' && k + 1 < s.size() && (s[k + 1] == '/' || s[k + 1] == '*')) {
      std::size_t e;
      if (s[k + 1] == '/') {
        e = std::min(s.find('\n', k), s.size());
      } else {
        const std::size_t close = s.find("*/", k + 2);
        e = close == std::string_view::npos ? s.size() : close + 2;
      }
      set_aside(k, e);
      k = e;
    } else if (c == '"' || c == '\'') {
      const std::size_t e = literal_end(s, k);
      add(c == '"' ? CodeKind::kString : CodeKind::kChar, k, e);
      if (c == '"') set_aside(k, e);
      k = e;
    } else if (is_digit(c) || (c == '.' && k + 1 < s.size() && is_digit(s[k + 1]))) {
      const std::size_t e = number_end(s, k);
      add(CodeKind::kNumber, k, e);
      k = e;
    } else if (is_word_start(c)) {
      std::size_t e = k + 1;
      while (e < s.size() && is_word_char(static_cast<unsigned char>(s[e]))) ++e;
      add(CodeKind::kWord, k, e);
      k = e;
    } else if (c >= 0x80 || c < 0x20 || c == 0x7f) {
      ++k;  // no code: Chinese text outside literals, stray control bytes
    } else {
      if (c == '#' && line_start) directive = ++directives;
      std::size_t length = 1;
      for (std::string_view symbol : kSymbols)
        if (s.compare(k, symbol.size(), symbol) == 0) {
          length = symbol.size();
          break;
        }
      add(CodeKind::kSymbol, k, k + length);
      k += length;
    }
  }
  return out;
}

bool is_keyword(std::string_view w) {
  static const std::array<std::string_view, 62> kWords = [] {
    std::array<std::string_view, 62> words{
        "alignas",   "alignof",  "auto",      "bool",     "break",    "case",     "catch",
        "char",      "class",    "const",     "constexpr", "continue", "default", "define",
        "delete",    "do",       "double",    "else",      "enum",     "explicit", "extern",
        "false",     "float",    "for",       "friend",    "goto",     "if",       "inline",
        "int",       "long",     "main",      "mutable",   "namespace", "new",     "nullptr",
        "operator",  "printf",   "private",   "protected", "public",   "register", "return",
        "short",     "signed",   "sizeof",    "static",    "struct",   "switch",   "template",
        "this",      "throw",    "true",      "try",       "typedef",  "typename", "union",
        "unsigned",  "using",    "virtual",   "void",      "volatile", "while"};
    std::sort(words.begin(), words.end());
    return words;
  }();
  return std::binary_search(kWords.begin(), kWords.end(), w);
}

bool computes_only(const RawToken& t) {
  static constexpr std::array<std::string_view, 36> kPure{
      "abs",     "labs",    "llabs",   "fabs",    "sqrt",    "cbrt",   "pow",     "exp",
      "log",     "log2",    "log10",   "floor",   "ceil",    "round",  "trunc",   "fmod",
      "hypot",   "sin",     "cos",     "tan",     "atan",    "atan2",  "min",     "max",
      "strlen",  "strcmp",  "isdigit", "isalpha", "isalnum", "isupper", "islower", "isspace",
      "toupper", "tolower", "static_cast", "sizeof"};
  return t.kind == CodeKind::kWord &&
         std::find(kPure.begin(), kPure.end(), t.text) != kPure.end();
}

}  // namespace batch
