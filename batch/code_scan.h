// Cutting C and C++ source into tokens that know comments, literals and
// preprocessor lines, for the tokens the batch compares (code_tokens.h).
// ccsim's own tokeniser knows none of these: it cuts every byte alike.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace batch {

enum class CodeKind { kWord, kNumber, kString, kChar, kSymbol };

struct RawToken {
  CodeKind kind;
  std::string_view text;  // in the source, or a word of the program's own
  std::uint32_t begin;    // the source bytes it stands for
  std::uint32_t end;
  int directive;  // the preprocessor line it is on, counted from 1 (0: none)
  bool keyword = false;  // a word that is_keyword(): known once, asked often
};

/// A stretch of the source that is no code: a comment, or a string literal.
struct Aside {
  std::uint32_t begin;
  std::uint32_t end;
};

/// The tokens of `text` (LF line ends) in order: words, numbers, string and
/// character literals whole, and symbols (the longest that fits: `<<=`,
/// `->`, `+=`, `::`). Comments and bytes that are no code (Chinese text
/// outside literals) give no token; the comments and the string literals
/// are listed in `aside`, in order.
std::vector<RawToken> scan_code(std::string_view text, std::vector<Aside>* aside);

/// C and C++ keywords: words no student names.
bool is_keyword(std::string_view word);

/// Library functions that only compute a value (`pow`, `abs`, `strlen`) and
/// `static_cast`: a call to one changes nothing outside the expression.
bool computes_only(const RawToken& t);

// Byte by byte: the texts asked about are a few letters long, shorter than
// a call to memcmp costs.
inline bool same_text(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k)
    if (a[k] != b[k]) return false;
  return true;
}
inline bool is_symbol(const RawToken& t, std::string_view symbol) {
  return t.kind == CodeKind::kSymbol && same_text(t.text, symbol);
}
inline bool is_word(const RawToken& t, std::string_view word) {
  return t.kind == CodeKind::kWord && same_text(t.text, word);
}
inline bool is_assignment(const RawToken& t) {
  if (t.kind != CodeKind::kSymbol || t.text.empty() || t.text.back() != '=') return false;
  const std::string_view op = t.text.substr(0, t.text.size() - 1);
  return op.empty() || op == "+" || op == "-" || op == "*" || op == "/" || op == "%" ||
         op == "&" || op == "|" || op == "^" || op == "<<" || op == ">>";
}
inline bool is_identifier(const RawToken& t) { return t.kind == CodeKind::kWord && !t.keyword; }

}  // namespace batch
