// The inverted index over the grams left to match, and the rows of pairs
// it names for tiling.
#include "batch/candidates.h"

#include <algorithm>
#include <numeric>

#include "batch/keyed_lists.h"
#include "batch/parallel.h"

namespace batch {
namespace {

// Rows go to shards in a zigzag, so that each gets long and short rows alike.
bool in_shard(std::size_t row, const PairRange& range) {
  const std::size_t turn = row % (2 * std::size_t{range.shards});
  const std::size_t shard = turn < range.shards ? turn : 2 * range.shards - 1 - turn;
  return shard == range.shard;
}

// Submissions as rows are made: new ones first, so that the rows of old
// ones are empty (two old ones are never compared), and shorter ones
// before longer ones: a pair's shared code is counted on its shorter side,
// where it is bounded closer.
std::vector<std::uint32_t> row_order(const std::vector<Prepared>& prepared, std::size_t fresh) {
  std::vector<std::uint32_t> order(prepared.size());
  std::iota(order.begin(), order.end(), 0);
  auto by_length = [&](std::uint32_t x, std::uint32_t y) {
    return prepared[x].length < prepared[y].length;
  };
  const auto split = order.begin() + static_cast<std::ptrdiff_t>(std::min(fresh, order.size()));
  std::stable_sort(order.begin(), split, by_length);
  std::stable_sort(split, order.end(), by_length);
  return order;
}

PairScore scored(const std::vector<Prepared>& prepared, std::uint32_t x, std::uint32_t y,
                 int min_match, const ScoreRule& rule) {
  return score_pair(prepared, std::min(x, y), std::max(x, y), min_match, rule);
}

// Row r holds the pairs (r, q) for q > r.
std::uint64_t pairs_in_row(std::size_t r, std::size_t n, const PairRange& range) {
  return r < range.fresh ? n - 1 - r : 0;
}

std::uint64_t gram_hash(const char* p, std::size_t width) {
  std::uint64_t h = 0x9e3779b97f4a7c15ULL;
  for (std::size_t k = 0; k < width; ++k)
    h = (h ^ static_cast<unsigned char>(p[k])) * 0x100000001b3ULL;
  return h ^ (h >> 29);
}

// The index: every gram a submission may still match, by id, with the
// rows it occurs in. Everything is by row.
struct Index {
  std::size_t width = 0;                           // min_match + 1
  std::vector<std::uint32_t> posting_begin;        // gram g: rows[begin[g], begin[g+1])
  std::vector<std::uint32_t> posting_rows;         // ascending within a gram
  std::vector<std::vector<std::uint32_t>> starts;  // per submission: gram starts
  std::vector<std::vector<std::uint32_t>> ids;     // per submission: their gram ids
};

// `rows` marks the rows that hold pairs to find: only their grams are
// looked up, so only those are indexed (all of them in a plain run; a few
// when a small new class meets a large past one, or in a shard).
Index build_index(const std::vector<Prepared>& prepared, const std::vector<std::uint32_t>& order,
                  const std::vector<std::uint8_t>& rows, int min_match, unsigned jobs) {
  Index index;
  index.width = static_cast<std::size_t>(std::max(min_match, 0)) + 1;
  const std::size_t n = prepared.size();
  // Per submission: its distinct grams, sorted, and for each gram start
  // the rank of its gram among them.
  std::vector<std::vector<std::uint64_t>> distinct(n);
  std::vector<std::vector<std::uint32_t>> rank(n);
  index.starts.resize(n);
  parallel_for(n, jobs, [&](std::size_t s) {
    const Prepared& p = prepared[order[s]];
    std::vector<std::pair<std::uint64_t, std::uint32_t>> grams;  // hash, which start
    // A gram may match when all its characters may: allowed, and neither a
    // space nor a NUL byte.
    std::size_t free_run = 0;
    for (std::size_t end = 0; end < p.text.size(); ++end) {
      const char c = p.text[end];
      free_run = p.allowed[end] && c != ' ' && c != '\0' ? free_run + 1 : 0;
      if (free_run < index.width) continue;
      const std::size_t start = end + 1 - index.width;
      grams.emplace_back(gram_hash(p.text.data() + start, index.width),
                         static_cast<std::uint32_t>(index.starts[s].size()));
      index.starts[s].push_back(static_cast<std::uint32_t>(start));
    }
    std::sort(grams.begin(), grams.end());
    rank[s].resize(grams.size());
    for (std::size_t k = 0; k < grams.size(); ++k) {
      if (k == 0 || grams[k].first != grams[k - 1].first) distinct[s].push_back(grams[k].first);
      rank[s][grams[k].second] = static_cast<std::uint32_t>(distinct[s].size() - 1);
    }
    if (!rows[s]) {  // never looked up: only its grams are posted
      std::vector<std::uint32_t>().swap(rank[s]);
      std::vector<std::uint32_t>().swap(index.starts[s]);
    }
  });
  // Submissions that hold no row need be indexed only with the grams some
  // row looks up. Sorting those out pays where such submissions hold more
  // grams than the rows (a small class against a large past one, a shard),
  // not for the longest submission alone, whose row is always empty.
  std::size_t row_grams = 0;
  std::size_t other_grams = 0;
  for (std::size_t s = 0; s < n; ++s) (rows[s] ? row_grams : other_grams) += distinct[s].size();
  if (other_grams > row_grams) {
    std::vector<std::uint64_t> wanted;
    for (std::size_t s = 0; s < n; ++s)
      if (rows[s]) wanted.insert(wanted.end(), distinct[s].begin(), distinct[s].end());
    const KeySet looked_up(wanted);
    std::vector<std::uint64_t>().swap(wanted);
    parallel_for(n, jobs, [&](std::size_t s) {
      if (rows[s]) return;
      auto& d = distinct[s];
      d.erase(std::remove_if(d.begin(), d.end(),
                             [&](std::uint64_t h) { return !looked_up.contains(h); }),
              d.end());
    });
  }
  // Gram ids in key order; each row's ids so come in the order of its
  // sorted distinct grams, which its ranks point into.
  std::vector<std::vector<std::uint32_t>> row_ids(n);
  {
    const std::vector<KeyedEntry> entries = group_by_key(&distinct, jobs);
    index.posting_rows.reserve(entries.size());
    for (std::size_t k = 0; k < entries.size(); ++k) {
      if (k == 0 || entries[k].first != entries[k - 1].first)
        index.posting_begin.push_back(static_cast<std::uint32_t>(k));
      const std::uint32_t s = entries[k].second;
      index.posting_rows.push_back(s);
      if (rows[s]) row_ids[s].push_back(static_cast<std::uint32_t>(index.posting_begin.size() - 1));
    }
    index.posting_begin.push_back(static_cast<std::uint32_t>(entries.size()));
  }
  index.ids.resize(n);
  parallel_for(n, jobs, [&](std::size_t s) {
    if (!rows[s]) return;
    index.ids[s].reserve(rank[s].size());
    for (std::uint32_t r : rank[s]) index.ids[s].push_back(row_ids[s][r]);
    std::vector<std::uint32_t>().swap(rank[s]);
    std::vector<std::uint32_t>().swap(row_ids[s]);
  });
  return index;
}

// One row's scratch: per partner row, the positions of this row its shared
// grams cover so far, and where the last one ended.
struct Scratch {
  struct Partner {
    std::uint32_t covered = 0;
    std::uint32_t last_end = 0;
  };
  std::vector<Partner> partners;
  std::vector<std::uint32_t> touched;
};

}  // namespace

Found score_candidates(std::vector<Prepared>* prepared, const PairRange& range, int min_match,
                       const ScoreRule& rule, double floor, unsigned jobs,
                       std::atomic<std::uint64_t>* done) {
  const std::vector<Prepared>& p = *prepared;
  const std::size_t n = p.size();
  const std::vector<std::uint32_t> order = row_order(p, range.fresh);
  std::vector<std::uint8_t> is_row(n, 0);
  for (std::size_t r = 0; r < n; ++r)
    is_row[r] = in_shard(r, range) && pairs_in_row(r, n, range) > 0 ? 1 : 0;
  const Index index = build_index(p, order, is_row, min_match, jobs);
  // What the bounds read of every partner, side by side by row: read from
  // the submissions themselves, each would cost a cache miss.
  std::vector<std::size_t> length(n);
  std::vector<std::size_t> code(n);
  std::vector<double> reach(n);
  for (std::size_t r = 0; r < n; ++r) {
    length[r] = p[order[r]].length;
    code[r] = p[order[r]].code_length;
    reach[r] = p[order[r]].names.reach;
  }
  std::vector<std::vector<std::uint32_t>> candidates(n);  // per row: partner rows
  std::vector<std::vector<PairScore>> rows(n);
  parallel_for(n, jobs, [&](std::size_t r) {
    if (!in_shard(r, range) || pairs_in_row(r, n, range) == 0) return;
    thread_local Scratch scratch;
    scratch.partners.resize(n);
    scratch.touched.resize(n);
    std::size_t touched = 0;
    const std::vector<std::uint32_t>& ids = index.ids[r];
    const std::vector<std::uint32_t>& starts = index.starts[r];
    const auto width = static_cast<std::uint32_t>(index.width);
    for (std::size_t k = 0; k < ids.size(); ++k) {
      const std::uint32_t* begin = index.posting_rows.data() + index.posting_begin[ids[k]];
      const std::uint32_t* end = index.posting_rows.data() + index.posting_begin[ids[k] + 1];
      const std::uint32_t start = starts[k];
      for (const std::uint32_t* q = std::upper_bound(begin, end, static_cast<std::uint32_t>(r));
           q != end; ++q) {
        Scratch::Partner& partner = scratch.partners[*q];
        scratch.touched[touched] = *q;  // kept on the first touch only
        touched += partner.covered == 0 ? 1 : 0;
        // The gram reaches past the last one by at most its width.
        partner.covered += std::min(width, start + width - partner.last_end);
        partner.last_end = start + width;
      }
    }
    const std::size_t own = length[r];
    thread_local SpreadNames names;
    bool spread = false;
    for (std::size_t t = 0; t < touched; ++t) {
      const std::uint32_t q = scratch.touched[t];
      const std::size_t other = length[q];
      const std::size_t most_code = std::max(code[r], code[q]);
      const std::uint64_t bound =
          std::min<std::uint64_t>({scratch.partners[q].covered, own, other});
      scratch.partners[q] = Scratch::Partner{};
      // Names can only raise a score; their agreement is worked out only
      // for a pair the code alone cannot bring to the floor, and whose two
      // reaches (their agreement's most) could.
      bool candidate = score_of(bound, own, other, most_code, 0, rule) >= floor;
      if (!candidate && score_of(bound, own, other, most_code, reach[r] * reach[q], rule) >= floor) {
        if (!spread) names.spread(p[order[r]].names);
        spread = true;
        candidate = score_of(bound, own, other, most_code, names.agreement(p[order[q]].names),
                             rule) >= floor;
      }
      if (candidate) candidates[r].push_back(q);
    }
    names.clear();
    // The pairs the index rules out are settled here, the rest when tiled.
    done->fetch_add(pairs_in_row(r, n, range) - candidates[r].size(), std::memory_order_relaxed);
  });
  // Only the submissions in some candidate pair are made ready for tiling.
  std::vector<std::uint8_t> needed(n, 0);
  for (std::size_t r = 0; r < n; ++r) {
    if (!candidates[r].empty()) needed[order[r]] = 1;
    for (std::uint32_t q : candidates[r]) needed[order[q]] = 1;
  }
  prepare_sources(prepared, needed, min_match, jobs);
  parallel_for(n, jobs, [&](std::size_t r) {
    for (std::uint32_t q : candidates[r]) {
      PairScore pair = scored(p, order[r], order[q], min_match, rule);
      if (pair.score >= floor) rows[r].push_back(pair);
    }
    done->fetch_add(candidates[r].size(), std::memory_order_relaxed);
  });
  Found found;
  for (std::size_t r = 0; r < n; ++r) {
    if (in_shard(r, range)) found.total += pairs_in_row(r, n, range);
    found.tiled += candidates[r].size();
    found.pairs.insert(found.pairs.end(), rows[r].begin(), rows[r].end());
  }
  return found;
}

Found score_every_pair(const std::vector<Prepared>& prepared, const PairRange& range, int min_match,
                       const ScoreRule& rule, unsigned jobs, std::atomic<std::uint64_t>* done) {
  const std::size_t n = prepared.size();
  const std::vector<std::uint32_t> order = row_order(prepared, range.fresh);
  std::vector<std::vector<PairScore>> rows(n);
  parallel_for(n, jobs, [&](std::size_t r) {
    if (!in_shard(r, range) || pairs_in_row(r, n, range) == 0) return;
    for (std::size_t q = r + 1; q < n; ++q) {
      rows[r].push_back(scored(prepared, order[r], order[q], min_match, rule));
      done->fetch_add(1, std::memory_order_relaxed);
    }
  });
  Found found;
  for (std::size_t r = 0; r < n; ++r) {
    found.total += rows[r].size();
    found.pairs.insert(found.pairs.end(), rows[r].begin(), rows[r].end());
  }
  found.tiled = found.total;
  return found;
}

}  // namespace batch
