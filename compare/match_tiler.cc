// MatchTiler.
//
// Every common run of the strings as they stand at some pass lies inside
// one of their longest common runs at the start: the same diagonal, the
// same characters, minus what collapses took. So:
//  - list the longest common runs that count: for each pair of equal grams
//    (the grams of the shortest length that counts) whose characters before
//    differ, extend to the right;
//  - take them longest first, then first in A, then first in B: a run with
//    nothing collapsed in it is the pass's run and collapses; one that lost
//    characters on either side breaks into its free pieces, which go back
//    into the queue, where they can only rank lower than before.
// Each pop is then what the pass would take: every run still there lies in
// a queued entry at least as long as itself and not after it.
#include "compare/match_tiler.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace compare {
namespace {

// A run as a key whose order is the collapse order: longest first, then by
// position in A, then in B.
constexpr unsigned kPositionBits = 21;
constexpr std::uint64_t kPositionLimit = std::uint64_t{1} << kPositionBits;
constexpr std::uint64_t kPositionMask = kPositionLimit - 1;

std::uint64_t key_of(std::size_t a, std::size_t b, std::size_t length) {
  return ((kPositionLimit - length) << (2 * kPositionBits)) | (std::uint64_t{a} << kPositionBits) | b;
}
std::size_t length_of(std::uint64_t key) {
  return static_cast<std::size_t>(kPositionLimit - (key >> (2 * kPositionBits)));
}
std::size_t a_of(std::uint64_t key) { return static_cast<std::size_t>((key >> kPositionBits) & kPositionMask); }
std::size_t b_of(std::uint64_t key) { return static_cast<std::size_t>(key & kPositionMask); }

// The 64 bits of `set` from bit `at` on (the set has a spare word at its end).
std::uint64_t bits_from(const std::vector<std::uint64_t>& set, std::size_t at) {
  const std::size_t word = at / 64;
  const unsigned shift = at % 64;
  return (set[word] >> shift) | ((set[word + 1] << 1) << (63 - shift));
}

void set_bits(std::vector<std::uint64_t>* set, std::size_t start, std::size_t length) {
  for (std::size_t p = start; p < start + length;) {
    const std::size_t bits = std::min<std::size_t>(64 - p % 64, start + length - p);
    const std::uint64_t mask = (bits == 64 ? ~std::uint64_t{0} : ((std::uint64_t{1} << bits) - 1)) << (p % 64);
    (*set)[p / 64] |= mask;
    p += bits;
  }
}

// How many characters from a and b on are equal, up to `limit`.
std::size_t common_prefix(const char* a, const char* b, std::size_t limit) {
  std::size_t n = 0;
  for (; n + 8 <= limit; n += 8) {
    std::uint64_t x;
    std::uint64_t y;
    std::memcpy(&x, a + n, 8);
    std::memcpy(&y, b + n, 8);
    if (x != y) return n + static_cast<std::size_t>(__builtin_ctzll(x ^ y)) / 8;
  }
  while (n < limit && a[n] == b[n]) ++n;
  return n;
}

}  // namespace

// Pairs A's gram groups with B's equal ones; false if the gram pairs they
// make exceed `budget`.
bool MatchTiler::pair_groups(const GramIndex& a, const GramIndex& b, std::size_t budget) {
  partner_.assign(a.key.size(), -1);
  std::size_t pairs = 0;
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.key.size() && j < b.key.size()) {
    const std::uint64_t x = a.key[i];
    const std::uint64_t y = b.key[j];
    if (x == y) {
      partner_[i] = static_cast<std::int32_t>(j);
      pairs += std::size_t{a.begin[i + 1] - a.begin[i]} * (b.begin[j + 1] - b.begin[j]);
    }
    i += x <= y;
    j += y <= x;
  }
  return pairs <= budget;
}

// Lists the longest common runs longer than `floor`, in order of A, then B.
void MatchTiler::list_runs(const TileSource& a, const TileSource& b, std::size_t floor) {
  runs_.clear();
  const GramIndex& ga = a.grams;
  const GramIndex& gb = b.grams;
  const char* ta = a.text.data();
  const char* tb = b.text.data();
  for (std::size_t p = 0; p < ga.group_of.size(); ++p) {
    const std::int32_t group = ga.group_of[p];
    if (group < 0) continue;
    const std::int32_t other = partner_[static_cast<std::size_t>(group)];
    if (other < 0) continue;
    const std::uint16_t before = ga.before[p];
    const std::size_t room_a = ga.free_until[p] - p;
    const auto g = static_cast<std::size_t>(other);
    for (std::uint32_t k = gb.begin[g]; k < gb.begin[g + 1]; ++k) {
      const std::size_t q = gb.start[k];
      if (before != GramIndex::kNone && before == gb.before[q]) continue;  // not where it starts
      const std::size_t length =
          common_prefix(ta + p, tb + q, std::min<std::size_t>(room_a, gb.free_until[q] - q));
      if (length > floor) runs_.push_back(key_of(p, q, length));
    }
  }
}

// Orders the runs for collapsing: by length, longest first, keeping the
// order of A, then B, among equals.
void MatchTiler::sort_runs() {
  std::size_t longest = 0;
  for (std::uint64_t key : runs_) longest = std::max(longest, length_of(key));
  count_.assign(longest + 2, 0);
  for (std::uint64_t key : runs_) ++count_[length_of(key)];
  std::uint32_t offset = 0;
  for (std::size_t length = longest + 1; length-- > 0;) {
    const std::uint32_t n = count_[length];
    count_[length] = offset;
    offset += n;
  }
  sorted_.resize(runs_.size());
  for (std::uint64_t key : runs_) sorted_[count_[length_of(key)]++] = key;
}

void MatchTiler::push_piece(std::size_t a, std::size_t b, std::size_t length) {
  pieces_.push_back(key_of(a, b, length));
  std::push_heap(pieces_.begin(), pieces_.end(), std::greater<>());
}

// Takes the runs in collapse order: whole ones collapse, broken ones go
// back as pieces.
void MatchTiler::collapse(std::size_t floor, std::vector<Match>* out) {
  pieces_.clear();
  std::size_t next = 0;
  for (;;) {
    std::uint64_t key;
    if (next < sorted_.size() && (pieces_.empty() || sorted_[next] < pieces_.front())) {
      key = sorted_[next++];
    } else if (!pieces_.empty()) {
      std::pop_heap(pieces_.begin(), pieces_.end(), std::greater<>());
      key = pieces_.back();
      pieces_.pop_back();
    } else {
      break;
    }
    const std::size_t a = a_of(key);
    const std::size_t b = b_of(key);
    const std::size_t length = length_of(key);
    bool whole = true;
    std::size_t piece = 0;  // where the current free piece starts
    for (std::size_t offset = 0; offset < length; offset += 64) {
      const std::size_t n = std::min<std::size_t>(64, length - offset);
      std::uint64_t taken = bits_from(tiled_a_, a + offset) | bits_from(tiled_b_, b + offset);
      if (n < 64) taken &= (std::uint64_t{1} << n) - 1;
      if (taken == 0) continue;
      whole = false;
      // Close the piece at each stretch of taken characters; the next one
      // starts after it.
      for (unsigned at = 0;;) {
        const std::uint64_t ahead = taken >> at;
        if (ahead == 0) break;
        const unsigned stop = at + static_cast<unsigned>(__builtin_ctzll(ahead));
        if (offset + stop - piece > floor) push_piece(a + piece, b + piece, offset + stop - piece);
        const std::uint64_t open = ~taken >> stop;
        if (open == 0) {
          piece = offset + 64;
          break;
        }
        at = stop + static_cast<unsigned>(__builtin_ctzll(open));
        piece = offset + at;
      }
    }
    if (whole) {
      out->push_back(Match{a, b, length});
      set_bits(&tiled_a_, a, length);
      set_bits(&tiled_b_, b, length);
    } else if (length - piece > floor) {
      push_piece(a + piece, b + piece, length - piece);
    }
  }
}

bool MatchTiler::run(const TileSource& a, const TileSource& b, int min_match,
                     std::vector<Match>* out, std::size_t budget) {
  if (min_match < 1 || a.grams_for != min_match || b.grams_for != min_match) return false;
  if (a.text.size() >= kPositionLimit || b.text.size() >= kPositionLimit) return false;
  if (budget == 0) budget = 2 * (a.text.size() + b.text.size()) + 4096;
  if (!pair_groups(a.grams, b.grams, budget)) return false;
  const auto floor = static_cast<std::size_t>(min_match);
  list_runs(a, b, floor);
  sort_runs();
  tiled_a_.assign(a.text.size() / 64 + 2, 0);
  tiled_b_.assign(b.text.size() / 64 + 2, 0);
  collapse(floor, out);
  return true;
}

}  // namespace compare
