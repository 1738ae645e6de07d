// MatchTiler.
//
// Every common run of the strings as they stand at some pass lies inside
// one of their longest common runs at the start: the same diagonal, the
// same characters, minus what collapses took. So:
//  - list the longest common runs that count: for each pair of equal grams
//    (the grams of the shortest length that counts) whose bytes before
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
constexpr unsigned kPositionBits = GramIndex::kPositionBits;
constexpr std::uint64_t kPositionLimit = std::uint64_t{1} << kPositionBits;
constexpr std::uint64_t kPositionMask = kPositionLimit - 1;

std::uint64_t key_of(std::size_t a, std::size_t b, std::size_t length) {
  return ((kPositionLimit - length) << (2 * kPositionBits)) | (std::uint64_t{a} << kPositionBits) |
         b;
}
std::size_t length_of(std::uint64_t key) {
  return static_cast<std::size_t>(kPositionLimit - (key >> (2 * kPositionBits)));
}
std::size_t a_of(std::uint64_t key) {
  return static_cast<std::size_t>((key >> kPositionBits) & kPositionMask);
}
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
    const std::uint64_t mask = (bits == 64 ? ~std::uint64_t{0} : ((std::uint64_t{1} << bits) - 1))
                               << (p % 64);
    (*set)[p / 64] |= mask;
    p += bits;
  }
}

// How many characters from a and b on are equal; they must differ within
// the strings' padding.
std::size_t common_prefix(const char* a, const char* b) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  for (std::size_t n = 0;; n += 8) {
    std::uint64_t x;
    std::uint64_t y;
    std::memcpy(&x, a + n, 8);
    std::memcpy(&y, b + n, 8);
    if (x != y) return n + static_cast<std::size_t>(__builtin_ctzll(x ^ y)) / 8;
  }
#else
  std::size_t n = 0;
  while (a[n] == b[n]) ++n;
  return n;
#endif
}

}  // namespace

// Pairs each group g of A with the equal group of B: partner_[g + 1] is its
// offset, or -1.
void MatchTiler::pair_groups(const GramIndex& a, const GramIndex& b) {
  partner_.assign(a.keys.size() + 1, -1);
  std::int32_t* partner = partner_.data() + 1;
  const std::uint64_t* x = a.keys.data();
  const std::uint64_t* const x_end = x + a.keys.size();
  const std::uint64_t* y = b.keys.data();
  const std::uint64_t* const y_end = y + b.keys.size();
  while (x != x_end && y != y_end) {
    const std::uint64_t hx = *x >> 32;
    const std::uint64_t hy = *y >> 32;
    // Written on every step; the last write for a group is the one made as
    // it is left behind.
    partner[x - a.keys.data()] =
        static_cast<std::int32_t>(*y & 0xffffffffu) | (static_cast<std::int32_t>(hx == hy) - 1);
    // hx <= hy and hy <= hx, as arithmetic: a branch here is a coin toss.
    x += ((hy - hx) >> 63) ^ 1;
    y += ((hx - hy) >> 63) ^ 1;
  }
}

// Lists the longest common runs longer than `floor` in order of A, then B;
// false if that takes more than `budget` steps.
bool MatchTiler::list_runs(const TileSource& a, const TileSource& b, std::size_t floor,
                           std::size_t budget) {
  runs_.clear();
  const std::size_t lengths = std::min(a.text.size(), b.text.size()) + 2;
  if (count_.size() < lengths) count_.resize(lengths);  // left all zero by sort_runs()
  longest_ = 0;
  std::uint32_t* count = count_.data();
  const GramIndex& ga = a.grams;
  const std::uint32_t* groups = b.grams.groups.data();
  const char* ta = ga.as_a.data();
  const char* tb = b.grams.as_b.data();
  const std::int32_t* group_of = ga.group_of.data();
  const std::int32_t* partner = partner_.data();
  // B's groups are read in no order: where B is new to this thread's
  // caches, asking for all of them up front beats waiting on each.
  const char* bytes = reinterpret_cast<const char*>(groups);
  for (std::size_t at = 0; at < b.grams.groups.size() * sizeof(std::uint32_t); at += 64)
    __builtin_prefetch(bytes + at);
  // A's positions whose gram B has too, with B's group, found without
  // branching on each (partner_[0] stands for "no gram").
  const std::size_t size_a = ga.group_of.size();
  if (shared_.size() < size_a) shared_.resize(size_a);
  std::uint64_t* shared = shared_.data();
  std::size_t count_shared = 0;
  for (std::size_t p = 0; p < size_a; ++p) {
    const std::int32_t offset = partner[group_of[p] + 1];
    shared[count_shared] = (std::uint64_t{static_cast<std::uint32_t>(offset)} << 32) | p;
    count_shared += offset >= 0;
  }
  // The gram pairs where a run may start: B's grams of the group, less those
  // with the same byte before (the run began earlier), taken eight at a
  // time without branching on each; the group block is padded for that.
  std::size_t steps = 0;
  std::size_t found = 0;
  for (std::size_t k = 0; k < count_shared; ++k) {
    const std::uint32_t offset = static_cast<std::uint32_t>(shared[k] >> 32);
    const std::uint32_t* header = groups + offset;
    const std::uint32_t size = header[0] & ((1u << GramIndex::kSizeBits) - 1);
    const std::uint32_t p = static_cast<std::uint32_t>(shared[k]);
    const std::uint32_t before = ga.before[p];
    const bool none = before == GramIndex::kNone;
    if ((header[0] >> GramIndex::kSizeBits) == before && !none) continue;  // all go on from before
    steps += size;
    if (steps > budget) return false;
    if (candidates_.size() < found + size + 8) candidates_.resize(2 * (found + size + 8));
    std::uint64_t* out = candidates_.data();
    for (std::uint32_t g = 0; g < size; g += 8) {
      for (std::uint32_t t = 0; t < 8; ++t) {
        const std::uint32_t gram = header[1 + g + t];
        out[found] = (std::uint64_t{p} << 32) | (gram & ((1u << GramIndex::kPositionBits) - 1));
        found += (g + t < size) & (((gram >> GramIndex::kPositionBits) != before) | none);
      }
    }
  }
  for (std::size_t k = 0; k < found; ++k) {
    const std::size_t p = candidates_[k] >> 32;
    const std::size_t q = candidates_[k] & 0xffffffffu;
    const std::size_t length = common_prefix(ta + p, tb + q);
    if (length <= floor) continue;  // equal hashes, different grams
    ++count[length];
    longest_ = std::max(longest_, length);
    runs_.push_back(key_of(p, q, length));
  }
  return true;
}

// Orders the runs for collapsing: by length, longest first, keeping the
// order of A, then B, among equals.
void MatchTiler::sort_runs() {
  std::uint32_t offset = 0;
  for (std::size_t length = longest_ + 1; length-- > 0;) {
    const std::uint32_t n = count_[length];
    count_[length] = offset;
    offset += n;
  }
  sorted_.resize(runs_.size());
  for (std::uint64_t key : runs_) sorted_[count_[length_of(key)]++] = key;
  std::fill_n(count_.begin(), longest_ + 1, 0);
}

void MatchTiler::push_piece(std::size_t a, std::size_t b, std::size_t length) {
  pieces_.push_back(key_of(a, b, length));
  std::push_heap(pieces_.begin(), pieces_.end(), std::greater<>());
}

// Takes the runs in collapse order: whole ones collapse, broken ones go
// back as pieces.
void MatchTiler::collapse(std::size_t floor, std::vector<Match>* out) {
  pieces_.clear();
  const std::uint64_t* next = sorted_.data();
  const std::uint64_t* const end = next + sorted_.size();
  for (;;) {
    std::uint64_t key;
    if (pieces_.empty()) {
      if (next == end) break;
      key = *next++;
    } else if (next != end && *next < pieces_.front()) {
      key = *next++;
    } else {
      std::pop_heap(pieces_.begin(), pieces_.end(), std::greater<>());
      key = pieces_.back();
      pieces_.pop_back();
    }
    const std::size_t a = a_of(key);
    const std::size_t b = b_of(key);
    const std::size_t length = length_of(key);
    if (length <= 64) {  // most runs: one word of bits
      const std::uint64_t inside = ~std::uint64_t{0} >> (64 - length);
      std::uint64_t open = ~(bits_from(tiled_a_, a) | bits_from(tiled_b_, b)) & inside;
      if (open == inside) {
        out->push_back(Match{a, b, length});
        set_bits(&tiled_a_, a, length);
        set_bits(&tiled_b_, b, length);
        continue;
      }
      while (open != 0) {  // each free stretch long enough is a piece
        const unsigned from = static_cast<unsigned>(__builtin_ctzll(open));
        const std::uint64_t rest = ~(open >> from);
        const unsigned size = rest == 0 ? 64 - from : static_cast<unsigned>(__builtin_ctzll(rest));
        if (size > floor) push_piece(a + from, b + from, size);
        open &= size + from >= 64 ? 0 : ~std::uint64_t{0} << (from + size);
      }
      continue;
    }
    bool whole = true;
    std::size_t piece = 0;  // where the current free piece starts
    for (std::size_t offset = 0; offset < length; offset += 64) {
      std::uint64_t taken = bits_from(tiled_a_, a + offset) | bits_from(tiled_b_, b + offset);
      if (length - offset < 64) taken &= (std::uint64_t{1} << (length - offset)) - 1;
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
  if (a.grams.length == 0 || b.grams.length == 0) return false;  // too long to be indexed
  if (budget == 0) budget = 2 * (a.text.size() + b.text.size()) + 4096;
  pair_groups(a.grams, b.grams);
  const auto floor = static_cast<std::size_t>(min_match);
  if (!list_runs(a, b, floor, budget)) return false;
  sort_runs();
  tiled_a_.assign(a.text.size() / 64 + 2, 0);
  tiled_b_.assign(b.text.size() / 64 + 2, 0);
  collapse(floor, out);
  return true;
}

}  // namespace compare
