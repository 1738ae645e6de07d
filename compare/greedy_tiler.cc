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
// holds, per position, the longest common run ending there, from suffix
// automata; it stays an upper bound as runs shrink and is recomputed when
// the sweeps have spent more than the strings' length on stale bounds.
//
// A window of length L is free if it holds no never-matching position and
// neither of its ends is tiled: every tile so far is at least L long, so
// one cannot lie inside the window without covering an end.
#include "compare/greedy_tiler.h"

#include <algorithm>
#include <cstring>

#include "compare/tile.h"

namespace compare {
namespace {

// Hash slots: a slot that never held a key ends a probe; a chain emptied by
// unlinking keeps its slot, so later keys probed past it are still found.
constexpr std::int32_t kNeverUsed = -1;
constexpr std::int32_t kChainEnd = -2;

}  // namespace

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
}

void GreedyTiler::Side::reset(const TileSource& s) {
  source = &s;
  text = s.text;
  free = s.free;
  tiled.assign(s.text.size(), 0);
  active.clear();
}

bool GreedyTiler::Side::window_free(std::size_t start, std::size_t length) const {
  const std::size_t end = start + length;
  return source->blocked_before[end] == source->blocked_before[start] && !tiled[start] &&
         !tiled[end - 1];
}

void GreedyTiler::Side::tile(std::size_t start, std::size_t length) {
  std::fill_n(tiled.begin() + static_cast<std::ptrdiff_t>(start), length, 1);
  std::fill_n(free.begin() + static_cast<std::ptrdiff_t>(start), length, 0);
}

// Groups run ends by bound (capped at `cap`), ascending within a group;
// returns the largest bound.
std::uint32_t GreedyTiler::Side::group(std::size_t cap) {
  std::uint32_t top = 0;
  for (std::uint32_t& v : bound) {
    v = static_cast<std::uint32_t>(std::min<std::size_t>(v, cap));
    top = std::max(top, v);
  }
  bound_begin.assign(static_cast<std::size_t>(top) + 2, 0);
  for (std::uint32_t v : bound) ++bound_begin[v + 1];
  for (std::size_t v = 1; v < bound_begin.size(); ++v) bound_begin[v] += bound_begin[v - 1];
  by_bound.resize(bound.size());
  std::vector<std::uint32_t> fill(bound_begin.begin(), bound_begin.end() - 1);
  for (std::uint32_t p = 0; p < bound.size(); ++p) by_bound[fill[bound[p]]++] = p;
  active.clear();
  return top;
}

// Adds the run ends whose bound is exactly `level`, dropping tiled ones.
void GreedyTiler::Side::activate(std::size_t level) {
  if (level + 1 >= bound_begin.size()) return;
  const auto first = by_bound.begin() + bound_begin[level];
  const auto last = by_bound.begin() + bound_begin[level + 1];
  merged.clear();
  auto out = std::back_inserter(merged);
  auto it = active.begin();
  for (auto in = first; in != last; ++in) {
    for (; it != active.end() && *it < *in; ++it)
      if (!tiled[*it]) *out = *it;
    if (!tiled[*in]) *out = *in;
  }
  for (; it != active.end(); ++it)
    if (!tiled[*it]) *out = *it;
  active.swap(merged);
}

// Before any collapse, each string's own automaton gives the exact bounds.
void GreedyTiler::initial_bounds() {
  b_.source->automaton.match_ends(a_.text, a_.free.data(), &a_.bound);
  a_.source->automaton.match_ends(b_.text, b_.free.data(), &b_.bound);
}

void GreedyTiler::refresh_bounds() {
  automaton_.build(b_.text, b_.free.data());
  automaton_.match_ends(a_.text, a_.free.data(), &a_.bound);
  automaton_.build(a_.text, a_.free.data());
  automaton_.match_ends(b_.text, b_.free.data(), &b_.bound);
}

// Groups both sides' run ends by bound, capped at `cap` and at the largest
// bound the other side has; returns the level to start from.
std::size_t GreedyTiler::regroup(std::size_t cap) {
  const std::size_t top = std::min(a_.group(cap), b_.group(cap));
  if (top < cap) {
    a_.group(top);
    b_.group(top);
  }
  return top;
}

// Indexes B's free windows of length `level` that end at an active position:
// chains of equal hashes, each in ascending position.
void GreedyTiler::index_b(std::size_t level) {
  std::size_t slots = 16;
  while (slots < 2 * b_.active.size()) slots *= 2;
  slot_key_.assign(slots, 0);
  slot_head_.assign(slots, kNeverUsed);
  node_pos_.clear();
  node_next_.clear();
  for (auto it = b_.active.rbegin(); it != b_.active.rend(); ++it) {
    const std::size_t start = *it + 1 - level;
    if (!b_.window_free(start, level)) continue;
    const std::uint64_t key = b_.source->hash.of(start, level);
    std::size_t s = key & (slots - 1);
    while (slot_head_[s] != kNeverUsed && slot_key_[s] != key) s = (s + 1) & (slots - 1);
    slot_key_[s] = key;
    node_pos_.push_back(static_cast<std::uint32_t>(start));
    node_next_.push_back(slot_head_[s] == kNeverUsed ? kChainEnd : slot_head_[s]);
    slot_head_[s] = static_cast<std::int32_t>(node_pos_.size() - 1);
  }
}

void GreedyTiler::sweep_a(std::size_t level) {
  const std::size_t slots = slot_head_.size();
  std::size_t next_start = 0;  // windows before this overlap the last tile
  for (std::uint32_t end : a_.active) {
    const std::size_t start = end + 1 - level;
    if (start < next_start || !a_.window_free(start, level)) continue;
    const std::uint64_t key = a_.source->hash.of(start, level);
    std::size_t s = key & (slots - 1);
    while (slot_head_[s] != kNeverUsed && slot_key_[s] != key) s = (s + 1) & (slots - 1);
    std::int32_t prev = -1;
    for (std::int32_t n = slot_head_[s]; n >= 0; n = node_next_[n]) {
      const std::size_t j = node_pos_[n];
      const bool gone = b_.tiled[j] || b_.tiled[j + level - 1];
      const bool equal =
          !gone && std::memcmp(a_.text.data() + start, b_.text.data() + j, level) == 0;
      if (gone || equal) {  // unlink: it can never be taken again
        if (prev < 0)
          slot_head_[s] = node_next_[n];
        else
          node_next_[prev] = node_next_[n];
      } else {
        prev = n;
      }
      if (equal) {
        matches_.push_back(Match{start, j, level});
        a_.tile(start, level);
        b_.tile(j, level);
        next_start = start + level;
        break;
      }
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
  a_.reset(a);
  b_.reset(b);
  const std::size_t floor = static_cast<std::size_t>(std::max(min_match, 0));
  const std::size_t budget = 2 * (a.text.size() + b.text.size()) + 4096;
  std::size_t spent = 0;
  initial_bounds();
  std::size_t level = regroup(std::max(a.text.size(), b.text.size()));
  for (; level > floor; --level) {
    if (spent > budget) {  // the bounds have gone stale: make them exact again
      refresh_bounds();
      level = regroup(level);
      spent = 0;
      if (level <= floor) break;
    }
    a_.activate(level);
    b_.activate(level);
    if (a_.active.empty() || b_.active.empty()) continue;
    index_b(level);
    sweep_a(level);
    spent += a_.active.size() + b_.active.size();
  }
  return matches_;
}

}  // namespace compare
