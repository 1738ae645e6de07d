// find_common(): the distinct grams of all submissions are sorted together,
// so the run of a gram is the number of submissions it occurs in; then each
// submission marks where its common grams lie.
#include "batch/common_code.h"

#include <algorithm>
#include <cmath>

#include "batch/keyed_lists.h"
#include "batch/parallel.h"
#include "compare/rolling_hash.h"
#include "compare/tile.h"

namespace batch {
namespace {

// The hash of every whole gram of `t`, by start; 0 where no whole gram starts.
std::vector<std::uint64_t> gram_hashes(const MaskedText& t, std::size_t gram) {
  const std::size_t n = t.text.size();
  std::vector<std::uint64_t> out(n, 0);
  if (gram == 0 || n < gram) return out;
  compare::PrefixHash hash;
  hash.build(t.text);
  std::size_t free_run = 0;  // allowed characters ending at p
  for (std::size_t p = 0; p < n; ++p) {
    const bool ok = compare::can_match(t.text[p]) && (t.allowed == nullptr || t.allowed[p]);
    free_run = ok ? free_run + 1 : 0;
    if (free_run >= gram) out[p + 1 - gram] = hash.of(p + 1 - gram, gram) | 1;  // never 0
  }
  return out;
}

}  // namespace

std::size_t common_cutoff(const CommonRule& rule, std::size_t count) {
  if (!rule.enabled) return count + 1;
  const auto by_share =
      static_cast<std::size_t>(std::ceil(rule.share * static_cast<double>(count)));
  return std::max({by_share, rule.at_least, std::size_t{1}});
}

std::vector<std::vector<Span>> find_common(const std::vector<MaskedText>& texts,
                                           const CommonRule& rule, unsigned jobs) {
  std::vector<std::vector<Span>> spans(texts.size());
  const std::size_t cutoff = common_cutoff(rule, texts.size());
  if (cutoff > texts.size()) return spans;
  std::vector<std::vector<std::uint64_t>> distinct(texts.size());
  parallel_for(texts.size(), jobs, [&](std::size_t k) {
    std::vector<std::uint64_t> h = gram_hashes(texts[k], rule.gram);
    h.erase(std::remove(h.begin(), h.end(), 0), h.end());
    std::sort(h.begin(), h.end());
    h.erase(std::unique(h.begin(), h.end()), h.end());
    distinct[k] = std::move(h);
  });
  const KeySet common(keys_in_at_least(&distinct, cutoff, jobs));
  parallel_for(texts.size(), jobs, [&](std::size_t k) {
    const std::vector<std::uint64_t> h = gram_hashes(texts[k], rule.gram);
    std::vector<Span>& out = spans[k];
    std::size_t covered_to = 0;  // end of the last span
    for (std::size_t p = 0; p < h.size(); ++p) {
      if (h[p] == 0 || !common.contains(h[p])) continue;
      const std::size_t end = p + rule.gram;
      if (!out.empty() && p <= covered_to)
        out.back().length = static_cast<std::uint32_t>(end - out.back().start);
      else
        out.push_back(Span{static_cast<std::uint32_t>(p), static_cast<std::uint32_t>(rule.gram)});
      covered_to = end;
    }
  });
  return spans;
}

}  // namespace batch
