// TileSource: preparing a string for tiling.
#include "compare/tile_source.h"

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
  grams.clear();
}

void TileSource::prepare_grams(int min_match) {
  grams_for = min_match;
  grams.clear();
  if (min_match < 1) return;
  const std::size_t shortest = static_cast<std::size_t>(min_match) + 1;
  for (std::size_t length : {shortest, 2 * shortest}) {
    GramIndex index;
    index.length = length;
    index.tag.assign(text.size(), 0);
    for (std::size_t start = 0; start + length <= text.size(); ++start) {
      if (!clear(start, length)) continue;
      const auto tag = static_cast<std::uint16_t>(hash.of(start, length) >> 48);
      index.tag[start + length - 1] = tag == 0 ? 1 : tag;
    }
    index.present.assign(GramIndex::kTags / 64, 0);
    for (std::uint16_t t : index.tag) index.present[t >> 6] |= std::uint64_t{1} << (t & 63);
    index.present[0] &= ~std::uint64_t{1};  // tag 0: no gram
    grams.push_back(std::move(index));
  }
}

}  // namespace compare
