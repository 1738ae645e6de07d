// Bracket matching alone, as in the other rewrites: what cannot be told is
// left as it is.
#include "batch/temporaries.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <unordered_map>

#include "batch/code_brackets.h"

namespace batch {
namespace {

// A chain of temporaries comes back one link a round.
constexpr int kRounds = 4;

// How hard a binary operator binds (higher: harder); -1 for none.
int binding(const RawToken& t) {
  if (t.kind != CodeKind::kSymbol) return -1;
  const std::string_view s = t.text;
  if (s == "*" || s == "/" || s == "%") return 9;
  if (s == "+" || s == "-") return 8;
  if (s == "<<" || s == ">>") return 7;
  if (s == "<" || s == "<=" || s == ">" || s == ">=") return 6;
  if (s == "==" || s == "!=") return 5;
  if (s == "&" || s == "^" || s == "|") return 4;
  if (s == "&&" || s == "||") return 3;
  if (s == "?" || s == ":") return 2;
  return -1;
}

// The token at `k` stands where an operand begins: `-` or `&` there is unary.
bool operand_starts(const std::vector<RawToken>& in, std::size_t k) {
  if (k == 0) return true;
  const RawToken& before = in[k - 1];
  return binding(before) >= 0 || is_assignment(before) || is_symbol(before, "(") ||
         is_symbol(before, "[") || is_symbol(before, ",") || is_word(before, "return");
}

struct Plan {
  std::size_t set_begin;  // the setting `t = value;`
  std::size_t set_end;
  std::size_t read_at;    // where `t` is read
};

class Temporaries {
 public:
  explicit Temporaries(const std::vector<RawToken>& in) : in_(in) {
    for (const RawToken& t : in)
      if (is_identifier(t)) ++uses_[t.text];
  }

  // The tokens with this round's temporaries written where they are read;
  // false if there are none.
  bool rewrite(std::vector<RawToken>* out) {
    inner(0, in_.size());
    if (plans_.empty()) return false;
    std::sort(plans_.begin(), plans_.end(),
              [](const Plan& a, const Plan& b) { return a.set_begin < b.set_begin; });
    out->clear();
    out->reserve(in_.size());
    std::size_t p = 0;
    for (std::size_t k = 0; k < in_.size(); ++k) {
      while (p < plans_.size() && plans_[p].read_at < k) ++p;
      if (p < plans_.size() && k == plans_[p].set_begin) {
        k = plans_[p].set_end - 1;
        continue;
      }
      if (p < plans_.size() && k == plans_[p].read_at) {
        write_value(plans_[p], out);
        continue;
      }
      out->push_back(in_[k]);
    }
    return true;
  }

 private:
  // The blocks within [b, e), each read as statements.
  void inner(std::size_t b, std::size_t e) {
    each_block(in_, b, e, [this](std::size_t from, std::size_t to) { statements(from, to); });
  }

  void statements(std::size_t b, std::size_t e) {
    std::size_t before = kNone;  // the statement before, if it may be a temporary's setting
    for (std::size_t k = b; k < e;) {
      const std::size_t past = past_statement(in_, k, e);
      if (past == kNone) {
        inner(k, e);
        return;
      }
      const std::size_t read = before == kNone ? kNone : read_of(before, k, past);
      if (read != kNone) {
        plans_.push_back(Plan{before, k, read});
        before = kNone;  // this statement changes: its own temporary waits a round
      } else {
        before = sets_temporary(k, past) ? k : kNone;
      }
      inner(k, past);
      k = past;
    }
  }

  // `t = value;` with a value that only computes, `t` named once more.
  bool sets_temporary(std::size_t b, std::size_t e) const {
    const RawToken& t = in_[b];
    return e - b > 3 && is_identifier(t) && t.directive == 0 && is_symbol(in_[b + 1], "=") &&
           is_symbol(in_[e - 1], ";") && uses_.at(t.text) == 2 && only_computes(in_, b + 2, e - 1);
  }

  // Where statement [b, e) reads the temporary set at `set`, before any
  // block of its own and as a value (not set, stepped or pointed to), or kNone.
  std::size_t read_of(std::size_t set, std::size_t b, std::size_t e) const {
    const std::string_view name = in_[set].text;
    for (std::size_t k = b; k < e && !is_symbol(in_[k], "{"); ++k) {
      if (!is_identifier(in_[k]) || !same_text(in_[k].text, name)) continue;
      const RawToken* prev = k > b ? &in_[k - 1] : nullptr;
      const RawToken* next = k + 1 < e ? &in_[k + 1] : nullptr;
      if (prev && (is_symbol(*prev, ".") || is_symbol(*prev, "->") || is_symbol(*prev, "::") ||
                   is_symbol(*prev, "++") || is_symbol(*prev, "--") || is_symbol(*prev, "&")))
        return kNone;
      if (next && (is_assignment(*next) || is_symbol(*next, "++") || is_symbol(*next, "--")))
        return kNone;
      return k;
    }
    return kNone;
  }

  // The value of the plan's temporary, bracketed where an operator beside
  // the read binds harder than the value's loosest.
  void write_value(const Plan& p, std::vector<RawToken>* out) const {
    const std::size_t vb = p.set_begin + 2;
    const std::size_t ve = p.set_end - 1;
    int loosest = 100;
    int depth = 0;
    for (std::size_t k = vb; k < ve; ++k) {
      if (opens(in_[k])) ++depth;
      if (closes(in_[k])) --depth;
      if (depth == 0 && !operand_starts(in_, k) && binding(in_[k]) >= 0)
        loosest = std::min(loosest, binding(in_[k]));
    }
    const std::size_t r = p.read_at;
    int beside = -1;
    if (r > 0 && (is_symbol(in_[r - 1], "!") || is_symbol(in_[r - 1], "~")))
      beside = 10;  // unary: hardest
    else if (r > 0 && binding(in_[r - 1]) >= 0)
      beside = operand_starts(in_, r - 1) ? 10 : binding(in_[r - 1]);
    // c - (a + b), c / (a * b): what stands right of these binds as tight.
    if (r > 0 && !operand_starts(in_, r - 1) &&
        (is_symbol(in_[r - 1], "-") || is_symbol(in_[r - 1], "/") || is_symbol(in_[r - 1], "%")))
      ++beside;
    if (r + 1 < in_.size()) beside = std::max(beside, binding(in_[r + 1]));
    const bool brackets = loosest < beside;
    if (brackets) out->push_back(with_text(in_[r], "("));
    out->insert(out->end(), in_.begin() + static_cast<std::ptrdiff_t>(vb),
                in_.begin() + static_cast<std::ptrdiff_t>(ve));
    if (brackets) out->push_back(with_text(in_[r], ")"));
  }

  static RawToken with_text(const RawToken& at, std::string_view text) {
    return RawToken{CodeKind::kSymbol, text, at.begin, at.end, 0, false};
  }

  const std::vector<RawToken>& in_;
  std::unordered_map<std::string_view, int> uses_;
  std::vector<Plan> plans_;
};

}  // namespace

std::vector<RawToken> without_temporaries(std::vector<RawToken> in) {
  std::vector<RawToken> out = std::move(in);
  std::vector<RawToken> next;
  for (int round = 0; round < kRounds && Temporaries(out).rewrite(&next); ++round) out.swap(next);
  return out;
}

}  // namespace batch
