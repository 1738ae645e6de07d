// Bracket matching alone, as in the other rewrites: a statement that cannot
// be told is kept, and so is every name it holds.
#include "batch/unread_settings.h"

#include <string_view>
#include <utility>
#include <unordered_map>

#include "batch/code_brackets.h"

namespace batch {
namespace {

// Leaving a variable out can leave another unread (`t = u * 2;` was all
// that read `u`); a few rounds reach the end of any chain a student makes.
constexpr int kRounds = 4;

class Unread {
 public:
  explicit Unread(const std::vector<RawToken>& in) : in_(in) {}

  // Marks the statements that only set names no one reads; false if none.
  bool mark(std::vector<std::uint8_t>* drop) {
    inner(0, in_.size());
    if (candidates_.empty()) return false;
    std::unordered_map<std::string_view, int> all;
    for (const RawToken& t : in_)
      if (is_identifier(t)) ++all[t.text];
    std::unordered_map<std::string_view, int> setting;
    for (const Candidate& c : candidates_)
      for (std::size_t k = c.begin; k < c.end; ++k)
        if (is_identifier(in_[k]) && same_text(in_[k].text, c.name)) ++setting[c.name];
    bool any = false;
    for (const Candidate& c : candidates_) {
      if (setting[c.name] != all[c.name]) continue;
      for (std::size_t k = c.begin; k < c.end; ++k) (*drop)[k] = 1;
      any = true;
    }
    return any;
  }

 private:
  struct Candidate {
    std::size_t begin;
    std::size_t end;
    std::string_view name;
  };

  // The blocks within [b, e), each read as statements.
  void inner(std::size_t b, std::size_t e) {
    each_block(in_, b, e, [this](std::size_t from, std::size_t to) { statements(from, to); });
  }

  void statements(std::size_t b, std::size_t e) {
    for (std::size_t k = b; k < e;) {
      const std::size_t past = past_statement(in_, k, e);
      if (past == kNone) {
        inner(k, e);
        return;
      }
      const std::string_view name = sets_only(k, past);
      if (name.empty()) {
        inner(k, past);
      } else {
        candidates_.push_back(Candidate{k, past, name});
      }
      k = past;
    }
  }

  // The one name statement [b, e) does nothing but set, or none.
  std::string_view sets_only(std::size_t b, std::size_t e) const {
    const RawToken& t = in_[b];
    if (is_symbol(t, "{")) {
      std::string_view name;
      for (std::size_t k = b + 1; k + 1 < e;) {
        const std::size_t past = past_statement(in_, k, e - 1);
        const std::string_view one = past == kNone ? std::string_view() : sets_only(k, past);
        if (one.empty() || (!name.empty() && !same_text(one, name))) return {};
        name = one;
        k = past;
      }
      return name;
    }
    if (is_word(t, "if") || is_word(t, "while")) {
      const std::size_t c = b + 1 < e && is_symbol(in_[b + 1], "(") ? closer(in_, b + 1, e) : kNone;
      if (c == kNone || c + 2 > e || !only_computes(in_, b + 2, c)) return {};
      if (past_statement(in_, c + 1, e) != e) return {};  // an else
      return sets_only(c + 1, e);
    }
    if (e - b < 3 || !is_symbol(in_[e - 1], ";")) return {};
    const bool step = is_symbol(t, "++") || is_symbol(t, "--");
    if (step && e - b == 3 && is_identifier(in_[b + 1])) return in_[b + 1].text;
    if (!is_identifier(t) || t.directive != 0) return {};
    const RawToken& op = in_[b + 1];
    if ((is_symbol(op, "++") || is_symbol(op, "--")) && e - b == 3) return t.text;
    return is_assignment(op) && e - b > 3 && only_computes(in_, b + 2, e - 1) ? t.text : std::string_view();
  }

  const std::vector<RawToken>& in_;
  std::vector<Candidate> candidates_;
};

}  // namespace

std::vector<RawToken> without_unread_settings(std::vector<RawToken> in) {
  std::vector<RawToken> out = std::move(in);
  for (int round = 0; round < kRounds; ++round) {
    std::vector<std::uint8_t> drop(out.size(), 0);
    if (!Unread(out).mark(&drop)) break;
    std::vector<RawToken> kept;
    kept.reserve(out.size());
    for (std::size_t k = 0; k < out.size(); ++k)
      if (!drop[k]) kept.push_back(out[k]);
    out = std::move(kept);
  }
  return out;
}

}  // namespace batch
