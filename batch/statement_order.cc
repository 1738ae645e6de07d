#include "batch/statement_order.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "batch/code_brackets.h"

namespace batch {
namespace {

// Longest run put in order at once: the order costs the square of it, and
// a longer run of plain statements is generated code, not a student's.
constexpr std::size_t kLongestRun = 48;

bool is_member_name(const std::vector<RawToken>& in, std::size_t k) {
  return k > 0 && (is_symbol(in[k - 1], ".") || is_symbol(in[k - 1], "->"));
}

// Words that make a statement more than plain: it stays where it is.
bool starts_control(const RawToken& t) {
  static constexpr std::array<std::string_view, 13> kControl{
      "return", "break", "continue", "goto", "case", "default", "if",
      "else",   "while", "for",      "do",   "switch", "typedef"};
  return t.kind == CodeKind::kWord &&
         std::find(kControl.begin(), kControl.end(), t.text) != kControl.end();
}

struct Plain {
  std::size_t begin;
  std::size_t end;
  std::string key;
  std::vector<std::string_view> names;  // every variable it names, sorted
  std::vector<std::string_view> sets;   // those it changes
  bool acts = false;  // calls, streams or declares: it stays where it is
};

bool names_any(const std::vector<std::string_view>& sorted, const std::vector<std::string_view>& of) {
  for (std::string_view n : of)
    if (std::binary_search(sorted.begin(), sorted.end(), n)) return true;
  return false;
}

bool conflict(const Plain& a, const Plain& b) {
  return names_any(b.names, a.sets) || names_any(a.names, b.sets);
}

class Orderer {
 public:
  Orderer(const std::vector<RawToken>& in, const StatementKey& key) : in_(in), key_(key) {
    out_.reserve(in.size());
  }

  std::vector<RawToken> ordered() {
    nested(0, in_.size());
    return std::move(out_);
  }

 private:
  // Copies [b, e), putting the statements of every block within in order.
  void nested(std::size_t b, std::size_t e) {
    for (std::size_t k = b; k < e;) {
      if (is_symbol(in_[k], "{")) {
        const std::size_t c = closer(in_, k, e);
        if (c == kNone) {  // unbalanced: the rest as it is
          out_.insert(out_.end(), in_.begin() + static_cast<std::ptrdiff_t>(k),
                      in_.begin() + static_cast<std::ptrdiff_t>(e));
          return;
        }
        out_.push_back(in_[k]);
        block(k + 1, c);
        out_.push_back(in_[c]);
        k = c + 1;
      } else {
        out_.push_back(in_[k++]);
      }
    }
  }

  // The statements of one block, [b, e).
  void block(std::size_t b, std::size_t e) {
    std::vector<Plain> run;
    std::size_t k = b;
    while (k < e) {
      const std::size_t past = past_statement(in_, k, e);
      if (past == kNone) {
        place(&run);
        nested(k, e);
        return;
      }
      Plain p;
      if (plain(k, past) && !(p = read(k, past)).acts) {
        run.push_back(std::move(p));
        if (run.size() == kLongestRun) place(&run);
      } else {
        place(&run);
        nested(k, past);
      }
      k = past;
    }
    place(&run);
  }

  // A statement that ends in `;` with no control word, no preprocessor line
  // and no block of its own.
  bool plain(std::size_t b, std::size_t e) const {
    if (e - b < 2 || !is_symbol(in_[e - 1], ";") || starts_control(in_[b])) return false;
    for (std::size_t k = b; k < e; ++k)
      if (in_[k].directive != 0 || is_symbol(in_[k], "{") || is_symbol(in_[k], ":")) return false;
    return true;
  }

  Plain read(std::size_t b, std::size_t e) const {
    Plain p{b, e, {}, {}, {}, false};
    std::size_t assign = kNone;
    int depth = 0;
    for (std::size_t k = b; k < e; ++k) {
      const RawToken& t = in_[k];
      if (opens(t)) ++depth;
      if (closes(t)) --depth;
      if (depth == 0 && assign == kNone && is_assignment(t)) assign = k;
      if (acting_call(in_, b, k)) p.acts = true;
      if (is_identifier(t) && !is_member_name(in_, k)) p.names.push_back(t.text);
      if ((is_symbol(t, "++") || is_symbol(t, "--"))) {
        if (k + 1 < e && is_identifier(in_[k + 1])) p.sets.push_back(in_[k + 1].text);
        if (k > b && is_identifier(in_[k - 1])) p.sets.push_back(in_[k - 1].text);
      }
    }
    // The name a setting changes: the first one left of its `=`.
    if (assign != kNone) {
      for (std::size_t k = b; k < assign; ++k)
        if (is_identifier(in_[k]) && !is_member_name(in_, k)) {
          p.sets.push_back(in_[k].text);
          break;
        }
    } else if (p.sets.empty()) {
      p.acts = true;  // a bare expression or a declaration: `cin >> x;`, `set<int> s;`
    }
    std::sort(p.names.begin(), p.names.end());
    return p;
  }

  // Writes the run out in its order (see the header) and empties it.
  void place(std::vector<Plain>* run) {
    const std::size_t n = run->size();
    if (n > 1)
      for (Plain& p : *run) p.key = key_(in_, p.begin, p.end);
    std::vector<std::vector<std::size_t>> after(n);
    std::vector<std::size_t> waiting(n, 0);
    for (std::size_t i = 0; i < n; ++i)
      for (std::size_t j = i + 1; j < n; ++j)
        if (conflict((*run)[i], (*run)[j])) {
          after[i].push_back(j);
          ++waiting[j];
        }
    std::vector<bool> done(n, false);
    for (std::size_t placed = 0; placed < n; ++placed) {
      std::size_t next = kNone;
      for (std::size_t i = 0; i < n; ++i)
        if (!done[i] && waiting[i] == 0 && (next == kNone || (*run)[i].key < (*run)[next].key))
          next = i;
      done[next] = true;
      for (std::size_t j : after[next]) --waiting[j];
      const Plain& p = (*run)[next];
      out_.insert(out_.end(), in_.begin() + static_cast<std::ptrdiff_t>(p.begin),
                  in_.begin() + static_cast<std::ptrdiff_t>(p.end));
    }
    run->clear();
  }

  const std::vector<RawToken>& in_;
  const StatementKey& key_;
  std::vector<RawToken> out_;
};

}  // namespace

std::vector<RawToken> order_statements(const std::vector<RawToken>& in, const StatementKey& key) {
  return Orderer(in, key).ordered();
}

}  // namespace batch
