// tokenise(): one byte-dispatch loop; a pushed-back byte is simply the next
// one not yet consumed.
#include "lexer/tokeniser.h"

#include "lexer/char_class.h"

namespace lexer {
namespace {

bool pairs_with_equals(char ch) { return ch == '>' || ch == '<' || ch == '!'; }
bool pairs_with_itself(char ch) {
  return ch == '+' || ch == '-' || ch == '&' || ch == '|' || ch == '=';
}

}  // namespace

std::vector<std::string> tokenise(std::string_view text, std::vector<std::size_t>* starts) {
  std::vector<std::string> link;
  std::size_t pos = 0;
  auto next_is = [&](char want) { return pos < text.size() && text[pos] == want; };
  while (pos < text.size()) {
    const std::size_t start = pos;
    const char ch = text[pos++];
    const auto byte = static_cast<unsigned char>(ch);
    if (ch == '\t' || ch == ' ' || ch == '\n') continue;
    if (is_alpha(byte) || is_digit(byte)) {
      while (pos < text.size() && pos - start < kMaxWordLength &&
             is_alnum(static_cast<unsigned char>(text[pos])))
        ++pos;
    } else if (pairs_with_equals(ch)) {
      if (next_is('=')) ++pos;
    } else if (pairs_with_itself(ch)) {
      if (next_is(ch)) ++pos;
    }
    if (starts) starts->push_back(start);
    // The text of a NUL byte ends where it starts.
    link.emplace_back(ch == '\0' ? std::string_view() : text.substr(start, pos - start));
  }
  return link;
}

}  // namespace lexer
