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
  const std::size_t n = text.size();
  if (min_match < 1 || n >= GramIndex::kMaxText) return;
  const std::size_t length = static_cast<std::size_t>(min_match) + 1;
  grams.length = length;
  grams.before.resize(n);
  grams.as_a.assign(n + 8, '\0');
  grams.as_b.assign(n + 8, ' ');
  for (std::size_t p = 0; p < n; ++p) {
    grams.before[p] = static_cast<std::uint16_t>(
        p > 0 && free[p - 1] ? static_cast<unsigned char>(text[p - 1]) : GramIndex::kNone);
    if (free[p]) grams.as_a[p] = grams.as_b[p] = text[p];
  }
  // (hash, start), sorted: groups, and their starts in order.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> all;
  for (std::size_t p = 0; p + length <= n; ++p)
    if (clear(p, length))
      all.emplace_back(static_cast<std::uint32_t>(hash.of(p, length) >> 32),
                       static_cast<std::uint32_t>(p));
  std::sort(all.begin(), all.end());
  grams.group_of.assign(n, -1);
  for (std::size_t first = 0; first < all.size();) {
    std::size_t last = first;
    while (last < all.size() && all[last].first == all[first].first) ++last;
    grams.keys.push_back((std::uint64_t{all[first].first} << 32) | grams.groups.size());
    const std::size_t header = grams.groups.size();
    std::uint32_t common = grams.before[all[first].second];
    grams.groups.push_back(0);
    for (std::size_t k = first; k < last; ++k) {
      const std::uint32_t p = all[k].second;
      if (grams.before[p] != common) common = GramIndex::kMixed;
      grams.groups.push_back((std::uint32_t{grams.before[p]} << GramIndex::kPositionBits) | p);
      grams.group_of[p] = static_cast<std::int32_t>(grams.keys.size() - 1);
    }
    grams.groups[header] =
        (common << GramIndex::kSizeBits) | static_cast<std::uint32_t>(last - first);
    first = last;
  }
  grams.groups.resize(grams.groups.size() + 8, 0);  // lets readers take a group eight at a time
}

}  // namespace compare
