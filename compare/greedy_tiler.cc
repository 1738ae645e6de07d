// GreedyTiler.
//
// Each pass of the plain scan collapses the longest common run, the first in
// A (then in B) among equals. Two facts make that cheap to reproduce:
//  - runs only ever shrink, so once the longest is L, every later one is at
//    most L; and
//  - a collapse of length L leaves every other run of length L whole unless
//    it overlaps the collapse; so the passes that collapse runs of length L
//    are exactly one left-to-right sweep over A in which each free window of
//    length L takes the first free equal window of B.
// So for L from an upper bound of the longest run down to min_match + 1:
//    index the free windows of B of length L by hash;
//    sweep A's free windows of length L in order, each taking its first free
//    equal partner in B (bytes compared, not just hashes).
// Only windows whose end may carry a run of length L are looked at: `bound`
// holds, per position, at least the longest common run ending there (from
// suffix automata); it stays an upper bound as runs shrink. Ends just after
// a new tile have their bounds lowered at once; all bounds are recomputed
// exactly once the sweeps have spent more than the strings' length on stale
// ones. B's windows are only indexed when a small filter of A's window
// hashes lets them through.
//
// A window of length L is free if it holds no never-matching position and
// neither of its ends is tiled: every tile so far is at least L long, so
// one cannot lie inside the window without covering an end.
//
// Short strings with grams prepared go to MatchTiler instead, unless they
// repeat their shared grams too often for it.
#include "compare/greedy_tiler.h"

#include <algorithm>
#include <cstring>

namespace compare {

void GreedyTiler::Side::reset(const TileSource& s) {
  source = &s;
  tiled.assign(s.text.size(), 0);
  active.assign(s.text.size() / 64 + 1, 0);
}

void GreedyTiler::Side::tile(std::size_t start, std::size_t length, std::size_t floor) {
  std::fill_n(tiled.begin() + static_cast<std::ptrdiff_t>(start), length, 1);
  for (std::size_t p = start; p < start + length;) {  // leave the active set, a word at a time
    const std::size_t bits = std::min<std::size_t>(64 - p % 64, start + length - p);
    const std::uint64_t mask = (bits == 64 ? ~std::uint64_t{0} : ((std::uint64_t{1} << bits) - 1))
                               << (p % 64);
    live -= static_cast<std::size_t>(__builtin_popcountll(active[p / 64] & mask));
    active[p / 64] &= ~mask;
    p += bits;
  }
  // A run ending just after the tile cannot reach back into it: lower the
  // bounds there now, rather than sweep those ends level by level. (This
  // sweep is at level `length`; ends further on keep windows of that length.)
  const std::size_t end = start + length;
  const std::vector<std::uint8_t>& usable = source->free;
  for (std::size_t e = end; e < tiled.size() && e + 1 < end + length && usable[e] && !tiled[e]; ++e)
    lower_bound_to(e, e + 1 - end, length, floor);
}

void GreedyTiler::Side::deactivate(std::size_t p) {
  const std::uint64_t bit = std::uint64_t{1} << (p % 64);
  live -= (active[p / 64] & bit) != 0;
  active[p / 64] &= ~bit;
}

// Lowers the bound of run end `p` to `value` below the current `level`: it
// leaves the active set and comes back at level `value`, if that can count.
void GreedyTiler::Side::lower_bound_to(std::size_t p, std::size_t value, std::size_t level,
                                       std::size_t floor) {
  if (value >= bound[p]) return;
  bound[p] = static_cast<std::uint32_t>(value);
  if (value >= level) return;
  deactivate(p);
  if (value <= floor) return;
  pending_next[p] = pending_head[value];
  pending_head[value] = static_cast<std::int32_t>(p);
}

// Lists the run ends whose bound is above `floor` (the only ones that can
// end a run that counts); returns the largest bound.
std::uint32_t GreedyTiler::Side::collect(std::size_t floor) {
  candidates.clear();
  std::uint32_t top = 0;
  for (std::uint32_t p = 0; p < bound.size(); ++p) {
    if (bound[p] <= floor) continue;
    candidates.push_back(p);
    top = std::max(top, bound[p]);
  }
  return top;
}

// Groups the candidate run ends by bound (capped at `cap`), ascending within
// a group. Nothing is active afterwards.
void GreedyTiler::Side::group(std::size_t cap) {
  const auto top = static_cast<std::uint32_t>(cap);
  bound_begin.assign(cap + 2, 0);
  for (std::uint32_t p : candidates) {
    bound[p] = std::min(bound[p], top);
    ++bound_begin[bound[p] + 1];
  }
  for (std::size_t v = 1; v < bound_begin.size(); ++v) bound_begin[v] += bound_begin[v - 1];
  by_bound.resize(candidates.size());
  fill.assign(bound_begin.begin(), bound_begin.end() - 1);
  for (std::uint32_t p : candidates) by_bound[fill[bound[p]]++] = p;
  std::fill(active.begin(), active.end(), 0);
  live = 0;
  pending_head.assign(cap + 1, -1);
  pending_next.resize(bound.size());
}

// Adds the untiled run ends whose bound is exactly `level`.
void GreedyTiler::Side::activate(std::size_t level) {
  if (level + 1 >= bound_begin.size()) return;
  auto add = [&](std::uint32_t p) {
    const std::uint64_t bit = std::uint64_t{1} << (p % 64);
    // Skip ends tiled, or whose bound was lowered since they were grouped.
    if (tiled[p] || bound[p] != level || (active[p / 64] & bit)) return;
    active[p / 64] |= bit;
    ++live;
  };
  for (std::uint32_t k = bound_begin[level]; k < bound_begin[level + 1]; ++k) add(by_bound[k]);
  for (std::int32_t p = pending_head[level]; p >= 0; p = pending_next[static_cast<std::size_t>(p)])
    add(static_cast<std::uint32_t>(p));
}
// Calls visit(end) for the active run ends in ascending order; the set may
// lose members meanwhile.
template <typename Visit>
void GreedyTiler::Side::for_each_active(Visit visit) const {
  for (std::size_t w = 0; w < active.size(); ++w) {
    for (std::uint64_t bits = active[w]; bits != 0; bits &= bits - 1) {
      const std::size_t p = w * 64 + static_cast<std::size_t>(__builtin_ctzll(bits));
      if (active[w] & (std::uint64_t{1} << (p % 64))) visit(p);
    }
  }
}

// Before any collapse, each string's own automaton gives the exact bounds.
void GreedyTiler::exact_bounds_from_sources() {
  b_.source->automaton.match_ends(a_.source->text, a_.source->free.data(), &a_.bound);
  a_.source->automaton.match_ends(b_.source->text, b_.source->free.data(), &b_.bound);
}

void GreedyTiler::Side::current_free(std::vector<std::uint8_t>* out) const {
  out->resize(tiled.size());
  for (std::size_t p = 0; p < tiled.size(); ++p) (*out)[p] = source->free[p] && !tiled[p];
}

void GreedyTiler::exact_bounds() {
  a_.current_free(&free_a_);
  b_.current_free(&free_b_);
  automaton_.build(b_.source->text, free_b_.data());
  automaton_.match_ends(a_.source->text, free_a_.data(), &a_.bound);
  automaton_.build(a_.source->text, free_a_.data());
  automaton_.match_ends(b_.source->text, free_b_.data(), &b_.bound);
}

// Groups both sides' candidate run ends by bound, capped at `cap`; returns
// the level to start from (0: nothing to do above `floor`).
std::size_t GreedyTiler::regroup(std::size_t cap, std::size_t floor) {
  if (cap <= floor) return 0;
  a_.group(cap);
  b_.group(cap);
  std::size_t size = 16;
  while (size < 2 * b_.candidates.size()) size *= 2;
  if (slots_.size() < size) {
    slots_.assign(size, Slot{0, 0, -1, -1});
    stamp_ = 0;
  }
  return cap;
}

// The slot of `key` in the current level's index, or the free slot where
// it would go.
GreedyTiler::Slot* GreedyTiler::find_slot(std::uint64_t key) {
  const std::size_t mask = slots_.size() - 1;
  std::size_t s = key & mask;
  while (slots_[s].stamp == stamp_ && slots_[s].key != key) s = (s + 1) & mask;
  return &slots_[s];
}

// Lists A's free windows of length `level` that end at an active position,
// with their hashes, and marks the hashes in a small filter.
void GreedyTiler::list_a(std::size_t level) {
  windows_.clear();
  std::fill(filter_.begin(), filter_.end(), 0);
  a_.for_each_active([&](std::size_t end) {
    const std::size_t start = end + 1 - level;
    if (!a_.window_free(start, level)) return;
    const std::uint64_t key = a_.source->hash.of(start, level);
    windows_.push_back(Window{start, key});
    filter_[(key >> 52) & (kFilterBits / 64 - 1)] |= std::uint64_t{1} << ((key >> 46) & 63);
  });
}

// Indexes B's free windows of length `level` that end at an active position
// and may equal one of A's (by the filter).
void GreedyTiler::index_b(std::size_t level) {
  ++stamp_;
  nodes_.clear();
  b_.for_each_active([&](std::size_t end) {
    const std::size_t start = end + 1 - level;
    if (!b_.window_free(start, level)) return;
    const std::uint64_t key = b_.source->hash.of(start, level);
    if (!(filter_[(key >> 52) & (kFilterBits / 64 - 1)] & (std::uint64_t{1} << ((key >> 46) & 63))))
      return;
    Slot* slot = find_slot(key);
    const auto node = static_cast<std::int32_t>(nodes_.size());
    nodes_.push_back(Node{static_cast<std::uint32_t>(start), -1});
    if (slot->stamp != stamp_) {
      *slot = Slot{key, stamp_, node, node};
      return;
    }
    if (slot->head < 0)
      slot->head = node;
    else
      nodes_[static_cast<std::size_t>(slot->tail)].next = node;
    slot->tail = node;
  });
}

// Takes, for each listed window of A in order that is still free, its first
// free equal window of B.
void GreedyTiler::sweep_a(std::size_t level) {
  const char* a = a_.source->text.data();
  const char* b = b_.source->text.data();
  for (const Window& w : windows_) {
    const std::size_t start = w.start;
    if (a_.tiled[start] || a_.tiled[start + level - 1]) continue;  // taken meanwhile
    Slot* slot = find_slot(w.key);
    if (slot->stamp != stamp_) continue;
    std::int32_t prev = -1;
    for (std::int32_t n = slot->head; n >= 0;) {
      const Node node = nodes_[static_cast<std::size_t>(n)];
      const std::size_t j = node.pos;
      const bool gone = b_.tiled[j] || b_.tiled[j + level - 1];
      const bool equal = !gone && std::memcmp(a + start, b + j, level) == 0;
      if (!gone && !equal) {  // a hash collision: leave it for its own kind
        prev = n;
        n = node.next;
        continue;
      }
      if (prev < 0)
        slot->head = node.next;  // either way it can never be taken again
      else
        nodes_[static_cast<std::size_t>(prev)].next = node.next;
      if (slot->tail == n) slot->tail = prev;
      if (equal) {
        matches_.push_back(Match{start, j, level});
        a_.tile(start, level, floor_);
        b_.tile(j, level, floor_);
        break;
      }
      n = node.next;
    }
  }
}

const std::vector<Match>& GreedyTiler::run(std::string_view a, std::string_view b, int min_match,
                                           const std::uint8_t* allowed_a,
                                           const std::uint8_t* allowed_b) {
  own_a_.prepare(a, allowed_a);
  own_b_.prepare(b, allowed_b);
  return run(own_a_, own_b_, min_match);
}

const std::vector<Match>& GreedyTiler::run(const TileSource& a, const TileSource& b,
                                           int min_match) {
  matches_.clear();
  if (match_tiler_.run(a, b, min_match, &matches_)) return matches_;
  a_.reset(a);
  b_.reset(b);
  const std::size_t floor = static_cast<std::size_t>(std::max(min_match, 0));
  floor_ = floor;
  exact_bounds_from_sources();
  std::size_t level = regroup(std::min(a_.collect(floor), b_.collect(floor)), floor);
  const std::size_t budget = 2 * (a.text.size() + b.text.size()) + 4096;
  std::size_t spent = 0;
  for (; level > floor; --level) {
    if (spent > budget) {  // the bounds have gone stale: make them exact again
      exact_bounds();
      level = regroup(std::min<std::size_t>({level, a_.collect(floor), b_.collect(floor)}), floor);
      spent = 0;
      if (level <= floor) break;
    }
    a_.activate(level);
    b_.activate(level);
    if (a_.live == 0 || b_.live == 0) continue;
    list_a(level);
    if (windows_.empty()) continue;
    index_b(level);
    spent += windows_.size() + nodes_.size();
    if (!nodes_.empty()) sweep_a(level);
  }
  return matches_;
}

}  // namespace compare
