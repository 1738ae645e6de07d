// Names read from sources with a small scanner of their own (the tokeniser
// keeps no names), and weighted against the class.
#include "batch/name_evidence.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "batch/decode.h"
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

// A source as UTF-8, so that a name is the same whether its file was saved
// in GBK, UTF-8 or UTF-16 (read as UTF-8).
std::string as_text(std::string_view bytes) {
  const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  return ascii ? std::string(bytes) : to_utf8(bytes);
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
  std::vector<std::vector<std::string>> found(n);
  parallel_for(n, jobs, [&](std::size_t k) {
    for (const SourceFile& f : subs[k].files) {
      std::vector<std::string> names = names_in(as_text(f.text));
      found[k].insert(found[k].end(), std::make_move_iterator(names.begin()),
                      std::make_move_iterator(names.end()));
    }
  });
  std::unordered_set<std::string> template_names;
  for (std::string_view text : given)
    for (std::string& name : names_in(as_text(text))) template_names.insert(std::move(name));
  // Ids in the names' order, so that the sums come out the same bit for
  // bit however the class is ordered.
  std::unordered_map<std::string, std::uint32_t> id_of;
  for (auto& names : found)
    for (const std::string& name : names)
      if (template_names.count(name) == 0) id_of.emplace(name, 0);
  {
    std::vector<const std::string*> sorted;
    sorted.reserve(id_of.size());
    for (const auto& entry : id_of) sorted.push_back(&entry.first);
    std::sort(sorted.begin(), sorted.end(),
              [](const std::string* x, const std::string* y) { return *x < *y; });
    for (std::size_t k = 0; k < sorted.size(); ++k)
      id_of.find(*sorted[k])->second = static_cast<std::uint32_t>(k);
  }
  std::vector<std::vector<std::uint32_t>> ids(n);
  parallel_for(n, jobs, [&](std::size_t k) {
    for (const std::string& name : found[k]) {
      const auto it = id_of.find(name);
      if (it != id_of.end()) ids[k].push_back(it->second);
    }
    std::vector<std::string>().swap(found[k]);
    std::sort(ids[k].begin(), ids[k].end());
  });
  std::vector<std::uint32_t> users(id_of.size(), 0);
  for (const auto& list : ids)
    for (std::size_t j = 0; j < list.size(); ++j)
      if (j == 0 || list[j] != list[j - 1]) ++users[list[j]];
  std::vector<NameVector> vectors(n);
  parallel_for(n, jobs, [&](std::size_t k) {
    const std::vector<std::uint32_t>& list = ids[k];
    NameVector& v = vectors[k];
    std::vector<double> weights;
    std::vector<std::uint8_t> shared;  // used by another submission too
    double norm = 0;
    for (std::size_t j = 0; j < list.size();) {
      std::size_t uses = 1;
      while (j + uses < list.size() && list[j + uses] == list[j]) ++uses;
      const double rarity = std::log(static_cast<double>(n) / static_cast<double>(users[list[j]]));
      if (rarity > 0) {
        const double w = (1 + std::log(static_cast<double>(uses))) * rarity;
        v.ids.push_back(list[j]);
        weights.push_back(w);
        shared.push_back(users[list[j]] > 1 ? 1 : 0);
        norm += w * w;
      }
      j += uses;
    }
    norm = std::sqrt(norm);
    // A name no other submission uses weighs in the length, never in an
    // agreement: it is not kept.
    std::size_t kept = 0;
    for (std::size_t j = 0; j < weights.size(); ++j) {
      if (!shared[j]) continue;
      v.ids[kept++] = v.ids[j];
      v.weights.push_back(static_cast<float>(weights[j] / norm));
    }
    v.ids.resize(kept);
  });
  return vectors;
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
