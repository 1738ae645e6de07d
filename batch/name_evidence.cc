// Names read from sources with a small scanner of their own (the tokeniser
// keeps no names), and weighted against the class. Every source is read as
// UTF-8 first (GBK decoded), so that a name is the same whether its file was
// saved in GBK, UTF-8 or UTF-16.
#include "batch/name_evidence.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "batch/decode.h"
#include "batch/fnv.h"
#include "batch/keyed_lists.h"
#include "batch/parallel.h"
#include "lexer/keywords.h"

namespace batch {
namespace {

bool is_ascii_word(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool starts_identifier(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool is_keyword(std::string_view w) {
  static const auto sorted = [] {
    std::array<std::string_view, lexer::a.size() + lexer::b.size() + lexer::e.size()> all{};
    auto end = std::copy(lexer::a.begin(), lexer::a.end(), all.begin());
    end = std::copy(lexer::b.begin(), lexer::b.end(), end);
    std::copy(lexer::e.begin(), lexer::e.end(), end);
    std::sort(all.begin(), all.end());
    return all;
  }();
  return std::binary_search(sorted.begin(), sorted.end(), w);
}

// The words of a comment's text: runs of ASCII letters, digits and
// underscores (in lower case), and runs of bytes above 0x7F.
void comment_words(std::string_view text, std::vector<std::string>* out) {
  std::size_t k = 0;
  while (k < text.size()) {
    const auto c = static_cast<unsigned char>(text[k]);
    const bool high = c >= 0x80;
    if (!high && !is_ascii_word(c)) {
      ++k;
      continue;
    }
    std::string word = "c:";
    for (; k < text.size(); ++k) {
      const auto d = static_cast<unsigned char>(text[k]);
      if (high ? d < 0x80 : !is_ascii_word(d)) break;
      word += static_cast<char>(d >= 'A' && d <= 'Z' ? d - 'A' + 'a' : d);
    }
    out->push_back(std::move(word));
  }
}

// The end of a quoted literal opened at `k`: past its closing quote, or at
// the end of its line when it has none.
std::size_t literal_end(std::string_view s, std::size_t k) {
  const char quote = s[k];
  for (++k; k < s.size() && s[k] != '\n'; ++k) {
    if (s[k] == '\\') {
      if (k + 1 < s.size() && s[k + 1] != '\n') ++k;
    } else if (s[k] == quote) {
      return k + 1;
    }
  }
  return k;
}

// A name as a 64-bit key: two names sharing one are too unlikely to matter.
std::uint64_t name_key(std::string_view name) {
  std::uint64_t h = fnv1a(name);  // then mixed, for the buckets keys are sorted in
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  return h ^ (h >> 33);
}

}  // namespace

std::vector<std::string> names_in(std::string_view s) {
  std::vector<std::string> names;
  std::size_t k = 0;
  while (k < s.size()) {
    const auto c = static_cast<unsigned char>(s[k]);
    if (c == '/' && k + 1 < s.size() && s[k + 1] == '/') {
      const std::size_t end = std::min(s.find('\n', k), s.size());
      comment_words(s.substr(k + 2, end - k - 2), &names);
      k = end;
    } else if (c == '/' && k + 1 < s.size() && s[k + 1] == '*') {
      const std::size_t close = s.find("*/", k + 2);
      const std::size_t end = close == std::string_view::npos ? s.size() : close;
      comment_words(s.substr(k + 2, end - k - 2), &names);
      k = close == std::string_view::npos ? s.size() : close + 2;
    } else if (c == '"' || c == '\'') {
      const std::size_t end = literal_end(s, k);
      if (c == '"') names.push_back("s:" + std::string(s.substr(k, end - k)));
      k = end;
    } else if (starts_identifier(c) || (c >= '0' && c <= '9')) {
      // A number's letters (0x1F, 1e5, 10UL) are no name.
      std::size_t end = k;
      while (end < s.size() &&
             (is_ascii_word(static_cast<unsigned char>(s[end])) || (c <= '9' && s[end] == '.')))
        ++end;
      const std::string_view word = s.substr(k, end - k);
      if (c > '9' && !is_keyword(word)) names.push_back("i:" + std::string(word));
      k = end;
    } else {
      ++k;
    }
  }
  return names;
}

std::vector<NameVector> name_vectors(const std::vector<Submission>& subs,
                                     const std::vector<std::string_view>& given, unsigned jobs) {
  const std::size_t n = subs.size();
  std::unordered_set<std::uint64_t> template_names;
  for (std::string_view text : given)
    for (const std::string& name : names_in(to_utf8(text))) template_names.insert(name_key(name));
  // Per submission: its distinct names (as keys, ascending) and how often
  // it uses each.
  std::vector<std::vector<std::uint64_t>> keys(n);
  std::vector<std::vector<std::uint32_t>> uses(n);
  parallel_for(n, jobs, [&](std::size_t k) {
    std::vector<std::uint64_t> all;
    for (const SourceFile& f : subs[k].files)
      for (const std::string& name : names_in(to_utf8(f.text))) {
        const std::uint64_t key = name_key(name);
        if (template_names.count(key) == 0) all.push_back(key);
      }
    std::sort(all.begin(), all.end());
    for (std::size_t j = 0; j < all.size(); ++j) {
      if (j > 0 && all[j] == all[j - 1]) {
        ++uses[k].back();
      } else {
        keys[k].push_back(all[j]);
        uses[k].push_back(1);
      }
    }
  });
  // Ids in the keys' order, so that the sums come out the same bit for bit
  // however the class is ordered; each submission's arrive ascending, in the
  // order of its keys.
  std::vector<std::vector<std::uint32_t>> ids(n);
  std::vector<std::vector<std::uint32_t>> users(n);   // of each of its names
  std::vector<std::vector<std::uint64_t>> key_of(n);  // and their keys again
  {
    const std::vector<KeyedEntry> entries = group_by_key(&keys, jobs);
    std::uint32_t id = 0;
    for (std::size_t b = 0; b < entries.size(); ++id) {
      std::size_t e = b + 1;
      while (e < entries.size() && entries[e].first == entries[b].first) ++e;
      for (std::size_t k = b; k < e; ++k) {
        ids[entries[k].second].push_back(id);
        key_of[entries[k].second].push_back(entries[k].first);
        users[entries[k].second].push_back(static_cast<std::uint32_t>(e - b));
      }
      b = e;
    }
  }
  std::vector<NameVector> vectors(n);
  parallel_for(n, jobs, [&](std::size_t k) {
    NameVector& v = vectors[k];
    std::vector<double> weights;
    double norm = 0;
    for (std::size_t j = 0; j < ids[k].size(); ++j) {
      const double rarity = std::log(static_cast<double>(n) / static_cast<double>(users[k][j]));
      const double w = (1 + std::log(static_cast<double>(uses[k][j]))) * rarity;
      norm += w * w;
      // A name no other submission uses weighs in the length, never in an
      // agreement: it is not kept.
      if (users[k][j] > 1 && rarity > 0) {
        v.ids.push_back(ids[k][j]);
        v.keys.push_back(key_of[k][j]);
        weights.push_back(w);
      }
    }
    norm = std::sqrt(norm);
    double kept = 0;
    for (double w : weights) {
      v.weights.push_back(static_cast<float>(w / norm));
      kept += static_cast<double>(v.weights.back()) * static_cast<double>(v.weights.back());
    }
    // Over by a little more than the rounding of any sum of products of
    // these weights can bring.
    v.reach = std::min(1.0, std::sqrt(kept) * (1 + 1e-9) + 1e-12);
  });
  return vectors;
}

std::vector<std::string> shared_names(const Submission& a, const NameVector& x, const Submission& b,
                                      const NameVector& y, std::size_t most) {
  std::unordered_map<std::uint64_t, double> in_x;
  for (std::size_t k = 0; k < x.keys.size(); ++k) in_x.emplace(x.keys[k], x.weights[k]);
  std::unordered_map<std::uint64_t, double> both;  // key -> the product of its weights
  for (std::size_t k = 0; k < y.keys.size(); ++k) {
    const auto it = in_x.find(y.keys[k]);
    if (it != in_x.end()) both.emplace(y.keys[k], it->second * y.weights[k]);
  }
  // The names themselves, read again from either side (both hold them).
  std::vector<std::pair<double, std::string>> found;
  for (const Submission* s : {&a, &b}) {
    for (const SourceFile& f : s->files)
      for (std::string& name : names_in(to_utf8(f.text))) {
        const auto it = both.find(name_key(name));
        if (it == both.end()) continue;
        found.emplace_back(it->second, std::move(name));
        both.erase(it);
      }
  }
  std::sort(found.begin(), found.end(), [](const auto& p, const auto& q) {
    return p.first != q.first ? p.first > q.first : p.second < q.second;
  });
  std::vector<std::string> names;
  for (std::size_t k = 0; k < found.size() && k < most; ++k)
    names.push_back(std::move(found[k].second));
  return names;
}

std::string name_as_written(std::string_view name, std::size_t longest) {
  std::string shown(name.size() >= 2 ? name.substr(2) : name);
  if (name.substr(0, 2) == "c:") shown = "// " + shown;
  if (shown.size() <= longest) return shown;
  // Cut at a character's start, so that UTF-8 stays whole.
  std::size_t cut = longest;
  while (cut > 0 && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80) --cut;
  return shown.substr(0, cut) + "\xe2\x80\xa6";
}

double name_agreement(const NameVector& x, const NameVector& y) {
  double dot = 0;
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < x.ids.size() && j < y.ids.size()) {
    if (x.ids[i] < y.ids[j]) {
      ++i;
    } else if (y.ids[j] < x.ids[i]) {
      ++j;
    } else {
      dot += static_cast<double>(x.weights[i]) * static_cast<double>(y.weights[j]);
      ++i;
      ++j;
    }
  }
  return std::clamp(dot, 0.0, 1.0);
}

void SpreadNames::spread(const NameVector& x) {
  clear();
  if (!x.ids.empty() && weight_.size() <= x.ids.back()) weight_.resize(x.ids.back() + 1, 0.0f);
  for (std::size_t k = 0; k < x.ids.size(); ++k) weight_[x.ids[k]] = x.weights[k];
  spread_ = &x;
}

// The same products, added in the same order (of ids), as name_agreement():
// the names x lacks add zeros.
double SpreadNames::agreement(const NameVector& y) const {
  if (spread_ == nullptr || spread_->ids.empty()) return 0;
  const std::uint32_t last = spread_->ids.back();
  double dot = 0;
  for (std::size_t k = 0; k < y.ids.size() && y.ids[k] <= last; ++k)
    dot += static_cast<double>(weight_[y.ids[k]]) * static_cast<double>(y.weights[k]);
  return std::clamp(dot, 0.0, 1.0);
}

void SpreadNames::clear() {
  if (spread_ != nullptr)
    for (std::uint32_t id : spread_->ids) weight_[id] = 0.0f;
  spread_ = nullptr;
}

}  // namespace batch
