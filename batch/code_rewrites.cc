// Each rewrite works on the token list with bracket matching alone: no
// parse tree, and whatever it cannot tell apart it leaves as it is.
#include "batch/code_rewrites.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unordered_map>

#include "batch/code_brackets.h"

namespace batch {
namespace {

RawToken made(std::string_view text, CodeKind kind, const RawToken& at) {
  return RawToken{kind, text, at.begin, at.end, 0, kind == CodeKind::kWord && is_keyword(text)};
}

bool is_type_word(const RawToken& t) {
  static constexpr std::array<std::string_view, 14> kTypes{
      "int",  "long",  "short",  "signed",   "unsigned", "char",     "float",
      "double", "bool", "const", "static", "register", "volatile", "auto"};
  return t.kind == CodeKind::kWord &&
         std::find(kTypes.begin(), kTypes.end(), t.text) != kTypes.end();
}

// A condition that never holds: `0` or `false`.
bool is_never(const RawToken& t) {
  return (t.kind == CodeKind::kNumber && t.text == "0") || is_word(t, "false");
}

// One bound a comparison `name op number` puts on the name.
struct Bound {
  std::string_view name;
  std::string_view op;
  double value;
};

bool bound_at(const std::vector<RawToken>& in, std::size_t k, Bound* b) {
  static constexpr std::array<std::string_view, 5> kOps{"<", "<=", ">", ">=", "=="};
  if (!is_identifier(in[k]) || in[k + 1].kind != CodeKind::kSymbol ||
      std::find(kOps.begin(), kOps.end(), in[k + 1].text) == kOps.end() ||
      in[k + 2].kind != CodeKind::kNumber)
    return false;
  const std::string number(in[k + 2].text);
  char* end = nullptr;
  b->value = std::strtod(number.c_str(), &end);
  b->name = in[k].text;
  b->op = in[k + 1].text;
  return end == number.c_str() + number.size();
}

// No value of the name meets both bounds: `x < 0 && x > 0`, `x == 1 && x == 2`.
bool disjoint(const Bound& a, const Bound& b) {
  double lo = -HUGE_VAL, hi = HUGE_VAL;
  bool lo_open = false, hi_open = false;
  for (const Bound* c : {&a, &b}) {
    const bool eq = c->op == "==";
    if (eq || c->op[0] == '>') {
      if (c->value > lo || (c->value == lo && c->op == ">")) {
        lo = c->value;
        lo_open = c->op == ">";
      }
    }
    if (eq || c->op[0] == '<') {
      if (c->value < hi || (c->value == hi && c->op == "<")) {
        hi = c->value;
        hi_open = c->op == "<";
      }
    }
  }
  return lo > hi || (lo == hi && (lo_open || hi_open));
}

// A condition [b, e) that never holds: `0`, `false`, or two bounds on one
// name that no value meets, joined by `&&`.
bool never_holds(const std::vector<RawToken>& in, std::size_t b, std::size_t e) {
  if (e == b + 1) return is_never(in[b]);
  Bound x, y;
  return e == b + 7 && is_symbol(in[b + 3], "&&") && bound_at(in, b, &x) &&
         bound_at(in, b + 4, &y) && same_text(x.name, y.name) && disjoint(x, y);
}

class Statements {
 public:
  explicit Statements(const std::vector<RawToken>& in) : in_(in) {
    for (const RawToken& t : in)
      if (is_identifier(t)) ++uses_[t.text];
    out_.reserve(in.size());
  }

  std::vector<RawToken> rewritten() {
    copy(0, in_.size());
    return std::move(out_);
  }

 private:
  void copy(std::size_t b, std::size_t e) {
    for (std::size_t k = b; k < e;) k = step(k, e);
  }

  // Rewrites what starts at `k`, within [k, e); returns where it stopped.
  std::size_t step(std::size_t k, std::size_t e) {
    std::size_t past = kNone;
    if ((past = never_run(k, e)) != kNone) return past;
    if ((past = for_loop(k, e)) != kNone) return past;
    if ((past = conditional(k, e)) != kNone) return past;
    if ((past = declaration(k, e)) != kNone) return past;
    if ((past = printing(k, e)) != kNone) return past;
    out_.push_back(in_[k]);
    return k + 1;
  }

  // puts(s) and fputs(s, stdout) as printf(s): a text printed is printed,
  // whichever call prints it.
  std::size_t printing(std::size_t k, std::size_t e) {
    const bool puts = is_word(in_[k], "puts");
    if (!(puts || is_word(in_[k], "fputs")) || k + 1 >= e || !is_symbol(in_[k + 1], "(") ||
        (k > 0 && (is_symbol(in_[k - 1], ".") || is_symbol(in_[k - 1], "->"))))
      return kNone;
    const std::size_t c = closer(in_, k + 1, e);
    if (c == kNone || c == k + 2) return kNone;
    std::size_t text_end = c;
    if (!puts) {
      const std::vector<std::size_t> commas = top_level(in_, k + 2, c, ",");
      if (commas.size() != 1 || commas[0] + 2 != c || !is_word(in_[c - 1], "stdout"))
        return kNone;
      text_end = commas[0];
    }
    out_.push_back(made("printf", CodeKind::kWord, in_[k]));
    out_.push_back(in_[k + 1]);
    copy(k + 2, text_end);
    out_.push_back(in_[c]);
    return c + 1;
  }

  // if (0) ... and while (false) ...: code that never runs.
  std::size_t never_run(std::size_t k, std::size_t e) const {
    const RawToken& t = in_[k];
    if (!(is_word(t, "if") || is_word(t, "while")) || k + 3 >= e || !is_symbol(in_[k + 1], "("))
      return kNone;
    const std::size_t c = closer(in_, k + 1, e);
    if (c == kNone || !never_holds(in_, k + 2, c)) return kNone;
    const std::size_t past = past_statement(in_, k, e);
    return past != kNone && !(past < e && is_word(in_[past], "else")) ? past : kNone;
  }

  // for (a; b; c) s  as  a; while (b) { s c; }; a declaration in `a` as
  // what it sets; an empty loop that calls nothing as nothing.
  std::size_t for_loop(std::size_t k, std::size_t e) {
    if (!is_word(in_[k], "for") || k + 1 >= e || !is_symbol(in_[k + 1], "(")) return kNone;
    const std::size_t c = closer(in_, k + 1, e);
    if (c == kNone) return kNone;
    const std::vector<std::size_t> semis = top_level(in_, k + 2, c, ";");
    const std::size_t past = past_statement(in_, c + 1, e);
    if (semis.size() != 2 || past == kNone) return kNone;
    const std::size_t s1 = semis[0];
    const std::size_t s2 = semis[1];
    bool calls = false;
    for (std::size_t j = s1; j < s2; ++j) calls = calls || is_symbol(in_[j], "(");
    if (past == c + 2 && is_symbol(in_[c + 1], ";") && !calls) return past;
    std::size_t init = k + 2;
    while (init < s1 && is_type_word(in_[init])) ++init;
    copy(init, s1);
    if (s1 > init) out_.push_back(made(";", CodeKind::kSymbol, in_[s1]));
    out_.push_back(made("while", CodeKind::kWord, in_[k]));
    out_.push_back(made("(", CodeKind::kSymbol, in_[k + 1]));
    copy(s1 + 1, s2);
    out_.push_back(made(")", CodeKind::kSymbol, in_[c]));
    out_.push_back(made("{", CodeKind::kSymbol, in_[c]));
    copy(c + 1, past);
    if (c > s2 + 1) {
      copy(s2 + 1, c);
      out_.push_back(made(";", CodeKind::kSymbol, in_[c]));
    }
    out_.push_back(made("}", CodeKind::kSymbol, in_[past - 1]));
    return past;
  }

  // return c ? x : y;  and  v = c ? x : y;  as  if (c) ... ; else ... ;
  std::size_t conditional(std::size_t k, std::size_t e) {
    const RawToken& t = in_[k];
    const bool returns = is_word(t, "return");
    if (!returns && !(is_identifier(t) && k + 1 < e && is_symbol(in_[k + 1], "="))) return kNone;
    const std::size_t from = returns ? k + 1 : k + 2;
    const std::size_t past = past_statement(in_, k, e);
    if (past == kNone || from >= past) return kNone;
    const std::vector<std::size_t> ask = top_level(in_, from, past - 1, "?");
    const std::vector<std::size_t> colon = top_level(in_, from, past - 1, ":");
    if (ask.size() != 1 || colon.size() != 1 || colon[0] < ask[0]) return kNone;
    out_.push_back(made("if", CodeKind::kWord, t));
    out_.push_back(made("(", CodeKind::kSymbol, in_[from]));
    copy(from, ask[0]);
    out_.push_back(made(")", CodeKind::kSymbol, in_[ask[0]]));
    copy(k, from);
    copy(ask[0] + 1, colon[0]);
    out_.push_back(made(";", CodeKind::kSymbol, in_[colon[0]]));
    out_.push_back(made("else", CodeKind::kWord, in_[colon[0]]));
    copy(k, from);
    copy(colon[0] + 1, past);
    return past;
  }

  // int x = 1, y;  as  x = 1;
  std::size_t declaration(std::size_t k, std::size_t e) {
    const bool at_start = k == 0 || is_symbol(in_[k - 1], ";") || is_symbol(in_[k - 1], "{") ||
                          is_symbol(in_[k - 1], "}") || in_[k - 1].directive != 0;
    if (!at_start || !is_type_word(in_[k]) || in_[k].directive != 0) return kNone;
    std::size_t j = k;
    while (j < e && is_type_word(in_[j])) ++j;
    const std::size_t past = past_statement(in_, k, e);
    if (past == kNone || j + 1 >= past || !is_identifier(in_[j]) || is_symbol(in_[j + 1], "("))
      return kNone;  // a function, or not a declaration that can be told
    std::size_t d = j;
    for (std::size_t comma : top_level(in_, j, past - 1, ",")) {
      declarator(d, comma);
      d = comma + 1;
    }
    declarator(d, past - 1);
    return past;
  }

  // One declarator in [b, e): `x`, `a[10]`, `x = 1`.
  void declarator(std::size_t b, std::size_t e) {
    if (b >= e || !is_identifier(in_[b]) || top_level(in_, b, e, "=").empty()) return;
    if (uses_[in_[b].text] <= 1) return;  // set, never used
    copy(b, e);
    out_.push_back(made(";", CodeKind::kSymbol, in_[e - 1]));
  }

  const std::vector<RawToken>& in_;
  std::unordered_map<std::string_view, int> uses_;
  std::vector<RawToken> out_;
};

// Functions no one calls: every use of the name is outside every function,
// right before a `(` (where it is declared or defined), or in its own body
// (it calls itself). Only in the file that holds main: another file's
// functions are called from elsewhere.
std::vector<RawToken> without_uncalled_functions(const std::vector<RawToken>& in) {
  std::unordered_map<std::string_view, int> uses;
  std::unordered_map<std::string_view, int> outside;  // and in its own body
  int depth = 0;
  std::string_view named;  // the last name before a `(` outside every function
  std::string_view body;   // the function whose body is being read
  for (std::size_t k = 0; k < in.size(); ++k) {
    if (is_symbol(in[k], "{") && depth++ == 0) body = named;
    if (is_symbol(in[k], "}") && --depth == 0) body = named = {};
    if (depth == 0 && is_symbol(in[k], ";")) named = {};
    if (!is_identifier(in[k])) continue;
    ++uses[in[k].text];
    if (depth == 0 && k + 1 < in.size() && is_symbol(in[k + 1], "(")) {
      ++outside[in[k].text];
      named = in[k].text;
    } else if (depth > 0 && !body.empty() && same_text(in[k].text, body)) {
      ++outside[in[k].text];
    }
  }
  // A file without main holds functions for the program's other files.
  bool has_main = false;
  for (std::size_t k = 0; k + 1 < in.size(); ++k)
    has_main = has_main || (is_word(in[k], "main") && is_symbol(in[k + 1], "("));
  if (!has_main) return in;
  std::vector<std::uint8_t> drop(in.size(), 0);
  depth = 0;
  std::size_t statement = 0;  // where the top-level declaration being read began
  for (std::size_t k = 0; k < in.size(); ++k) {
    if (depth == 0 && is_identifier(in[k]) && in[k].directive == 0 && k + 1 < in.size() &&
        is_symbol(in[k + 1], "(") && uses[in[k].text] == outside[in[k].text]) {
      const std::size_t c = closer(in, k + 1, in.size());
      std::size_t past = kNone;
      if (c != kNone && c + 1 < in.size() && is_symbol(in[c + 1], ";")) past = c + 2;
      if (c != kNone && c + 1 < in.size() && is_symbol(in[c + 1], "{")) {
        const std::size_t b = closer(in, c + 1, in.size());
        if (b != kNone) past = b + 1;
      }
      if (past != kNone) {
        std::fill(drop.begin() + static_cast<std::ptrdiff_t>(statement),
                  drop.begin() + static_cast<std::ptrdiff_t>(past), 1);
        k = past - 1;
        statement = past;
        continue;
      }
    }
    if (is_symbol(in[k], "{")) ++depth;
    if (is_symbol(in[k], "}") && --depth == 0) statement = k + 1;
    if (depth == 0 && (is_symbol(in[k], ";") || in[k].directive != 0)) statement = k + 1;
  }
  std::vector<RawToken> out;
  out.reserve(in.size());
  for (std::size_t k = 0; k < in.size(); ++k)
    if (!drop[k]) out.push_back(in[k]);
  return out;
}

// Just past a function declaration that starts at `k` (type words, the
// name, its parameters, `;`), or kNone.
std::size_t prototype_at(const std::vector<RawToken>& in, std::size_t k) {
  std::size_t j = k;
  while (j < in.size() && in[j].directive == 0 &&
         (in[j].kind == CodeKind::kWord || is_symbol(in[j], "*") || is_symbol(in[j], "&") ||
          is_symbol(in[j], "::") || is_symbol(in[j], "<") || is_symbol(in[j], ">") ||
          is_symbol(in[j], ",")) &&
         !(is_identifier(in[j]) && j + 1 < in.size() && is_symbol(in[j + 1], "(")))
    ++j;
  if (j == k || j + 1 >= in.size() || !is_identifier(in[j]) || !is_symbol(in[j + 1], "("))
    return kNone;
  const std::size_t c = closer(in, j + 1, in.size());
  if (c == kNone) return kNone;
  for (std::size_t p = j + 2; p < c; ++p)
    if (in[p].kind == CodeKind::kNumber || in[p].kind == CodeKind::kString ||
        in[p].kind == CodeKind::kChar || is_symbol(in[p], "=") || opens(in[p]))
      if (!is_symbol(in[p], "(") && !is_symbol(in[p], "[")) return kNone;
  std::size_t e = c + 1;
  while (e < in.size() && in[e].kind == CodeKind::kWord && in[e].directive == 0) ++e;
  return e < in.size() && is_symbol(in[e], ";") ? e + 1 : kNone;
}

// Declarations of functions outside every function (`int f(int a, char *s);`):
// they restate a definition, and a student adds or leaves them out at will.
std::vector<RawToken> without_prototypes(const std::vector<RawToken>& in) {
  std::vector<RawToken> out;
  out.reserve(in.size());
  int depth = 0;
  bool at_start = true;
  for (std::size_t k = 0; k < in.size();) {
    if (depth == 0 && at_start && in[k].directive == 0) {
      const std::size_t past = prototype_at(in, k);
      if (past != kNone) {
        k = past;
        continue;
      }
    }
    const RawToken& t = in[k];
    if (is_symbol(t, "{")) ++depth;
    if (is_symbol(t, "}")) --depth;
    at_start = t.directive != 0 || (depth == 0 && (is_symbol(t, ";") || is_symbol(t, "}")));
    out.push_back(t);
    ++k;
  }
  return out;
}

}  // namespace

std::vector<RawToken> read_through_aliases(const std::vector<RawToken>& in) {
  std::unordered_map<std::string_view, std::vector<RawToken>> alias;
  auto slice = [&](std::size_t b, std::size_t e) {
    return std::vector<RawToken>(in.begin() + static_cast<std::ptrdiff_t>(b),
                                 in.begin() + static_cast<std::ptrdiff_t>(e));
  };
  for (std::size_t k = 0; k + 2 < in.size(); ++k) {
    if (in[k].directive != 0 && is_symbol(in[k], "#") && is_word(in[k + 1], "define") &&
        in[k + 2].kind == CodeKind::kWord && in[k + 2].directive == in[k].directive) {
      std::size_t e = k + 3;
      while (e < in.size() && in[e].directive == in[k].directive) ++e;
      const bool function_like =
          k + 3 < e && is_symbol(in[k + 3], "(") && in[k + 3].begin == in[k + 2].end;
      if (!function_like && e > k + 3) alias[in[k + 2].text] = slice(k + 3, e);
    } else if (is_word(in[k], "typedef") && in[k].directive == 0) {
      // typedef T... NAME ; with no brackets in between.
      std::size_t e = k + 1;
      while (e < in.size() && !is_symbol(in[e], ";") && !opens(in[e])) ++e;
      if (e < in.size() && is_symbol(in[e], ";") && e >= k + 3 && is_identifier(in[e - 1]))
        alias[in[e - 1].text] = slice(k + 1, e - 1);
    }
  }
  std::vector<RawToken> out;
  out.reserve(in.size());
  for (const RawToken& t : in) {
    const auto it = t.kind == CodeKind::kWord && t.directive == 0 ? alias.find(t.text)
                                                                  : alias.end();
    if (it == alias.end()) {
      out.push_back(t);
      continue;
    }
    for (RawToken r : it->second) {
      r.begin = t.begin;
      r.end = t.end;
      r.directive = 0;
      out.push_back(r);
    }
  }
  return out;
}

std::vector<RawToken> rewrite_statements(const std::vector<RawToken>& in) {
  return Statements(without_uncalled_functions(without_prototypes(in))).rewritten();
}

}  // namespace batch
