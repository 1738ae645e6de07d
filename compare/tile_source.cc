// TileSource: preparing a string for tiling.
#include "compare/tile_source.h"

#include <algorithm>
#include <utility>

#include "compare/tile.h"

namespace compare {

void TileSource::prepare(std::string_view s, const std::uint8_t* allowed) {
  text = s;
  free.resize(s.size());
  blocked_before.resize(s.size() + 1);
  blocked_before[0] = 0;
  for (std::size_t p = 0; p < s.size(); ++p) {
    free[p] = can_match(s[p]) && (allowed == nullptr || allowed[p]);
    blocked_before[p + 1] = blocked_before[p] + (free[p] ? 0 : 1);
  }
  hash.build(s);
  automaton.build(s, free.data());
  grams_for = -1;
  grams = GramIndex{};
}

void TileSource::prepare_grams(int min_match) {
  grams_for = min_match;
  grams = GramIndex{};
  if (min_match < 1) return;
  const std::size_t n = text.size();
  const std::size_t length = static_cast<std::size_t>(min_match) + 1;
  grams.length = length;
  std::vector<std::pair<std::uint64_t, std::uint32_t>> all;
  for (std::size_t p = 0; p + length <= n; ++p)
    if (clear(p, length)) all.emplace_back(hash.of(p, length), static_cast<std::uint32_t>(p));
  std::sort(all.begin(), all.end());
  grams.group_of.assign(n, -1);
  grams.start.reserve(all.size());
  for (const auto& [key, p] : all) {
    if (grams.key.empty() || grams.key.back() != key) {
      grams.key.push_back(key);
      grams.begin.push_back(static_cast<std::uint32_t>(grams.start.size()));
    }
    grams.group_of[p] = static_cast<std::int32_t>(grams.key.size() - 1);
    grams.start.push_back(p);
  }
  grams.begin.push_back(static_cast<std::uint32_t>(grams.start.size()));
  grams.before.resize(n);
  for (std::size_t p = 0; p < n; ++p)
    grams.before[p] = p > 0 && free[p - 1] ? static_cast<unsigned char>(text[p - 1]) : GramIndex::kNone;
  grams.free_until.resize(n);
  auto next = static_cast<std::uint32_t>(n);
  for (std::size_t p = n; p-- > 0;) {
    if (!free[p]) next = static_cast<std::uint32_t>(p);
    grams.free_until[p] = next;
  }
}

}  // namespace compare
