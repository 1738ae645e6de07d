// Bracket matching over the token list, for the rewrites.
#include "batch/code_brackets.h"

namespace batch {

// The closer of the bracket at `k`, or kNone.
std::size_t closer(const std::vector<RawToken>& in, std::size_t k, std::size_t limit) {
  int depth = 0;
  for (std::size_t j = k; j < limit; ++j) {
    if (opens(in[j])) ++depth;
    if (closes(in[j]) && --depth == 0) return j;
  }
  return kNone;
}

// Just past the statement that starts at `k`, or kNone when it cannot be told.
std::size_t past_statement(const std::vector<RawToken>& in, std::size_t k, std::size_t limit) {
  if (k >= limit) return kNone;
  const RawToken& t = in[k];
  if (is_symbol(t, "{")) {
    const std::size_t c = closer(in, k, limit);
    return c == kNone ? kNone : c + 1;
  }
  if (is_word(t, "if") || is_word(t, "while") || is_word(t, "for") || is_word(t, "switch")) {
    if (k + 1 >= limit || !is_symbol(in[k + 1], "(")) return kNone;
    const std::size_t c = closer(in, k + 1, limit);
    if (c == kNone) return kNone;
    std::size_t e = past_statement(in, c + 1, limit);
    if (e != kNone && is_word(t, "if") && e < limit && is_word(in[e], "else"))
      e = past_statement(in, e + 1, limit);
    return e;
  }
  if (is_word(t, "do")) {
    const std::size_t e = past_statement(in, k + 1, limit);
    if (e == kNone || e + 1 >= limit || !is_word(in[e], "while") || !is_symbol(in[e + 1], "("))
      return kNone;
    const std::size_t c = closer(in, e + 1, limit);
    return c == kNone || c + 1 >= limit || !is_symbol(in[c + 1], ";") ? kNone : c + 2;
  }
  int depth = 0;
  for (std::size_t j = k; j < limit; ++j) {
    if (opens(in[j])) ++depth;
    if (closes(in[j]) && --depth < 0) return kNone;
    if (depth == 0 && is_symbol(in[j], ";")) return j + 1;
  }
  return kNone;
}

// Where `symbol` stands outside every bracket within [b, e).
std::vector<std::size_t> top_level(const std::vector<RawToken>& in, std::size_t b, std::size_t e,
                                   std::string_view symbol) {
  std::vector<std::size_t> at;
  int depth = 0;
  for (std::size_t j = b; j < e; ++j) {
    if (opens(in[j])) ++depth;
    if (closes(in[j])) --depth;
    if (depth == 0 && is_symbol(in[j], symbol)) at.push_back(j);
  }
  return at;
}

bool acting_call(const std::vector<RawToken>& in, std::size_t b, std::size_t k) {
  if (k <= b || !is_symbol(in[k], "(")) return false;
  const RawToken& before = in[k - 1];
  if (is_identifier(before)) return !computes_only(before);
  if (is_symbol(before, ")")) return true;
  if (!is_symbol(before, ">")) return false;
  for (std::size_t j = k - 1; j > b; --j)  // static_cast<T>(
    if (is_symbol(in[j], "<")) return !computes_only(in[j - 1]);
  return true;
}

bool only_computes(const std::vector<RawToken>& in, std::size_t b, std::size_t e) {
  for (std::size_t k = b; k < e; ++k) {
    const RawToken& t = in[k];
    if (t.directive != 0 || is_assignment(t) || is_symbol(t, "++") || is_symbol(t, "--") ||
        is_symbol(t, "{") || is_word(t, "new") || is_word(t, "delete") || acting_call(in, b, k))
      return false;
  }
  return true;
}

}  // namespace batch
