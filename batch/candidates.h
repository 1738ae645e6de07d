// The pairs worth tiling in a large class, named by an inverted index of
// the code left after the template and the common code are taken out.
//
// A run that counts is longer than min_match, so a pair can only match
// code covered by grams of min_match + 1 characters found in both. From the
// posting lists of a submission's grams the index counts, for each partner,
// how many of its positions such shared grams cover: a bound on the matched
// total, and so on the score. Only pairs whose bound reaches the floor are
// tiled, and every pair whose score reaches the floor is among them.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "batch/scoring.h"

namespace batch {

/// Which pairs a run is made of: each of the first `fresh` submissions with
/// every other one, never two of the rest with each other; of those, the
/// slice `shard` of `shards` (by the first submission of a pair, as the
/// index orders them).
struct PairRange {
  std::size_t fresh = 0;
  unsigned shard = 0;
  unsigned shards = 1;
};

struct Found {
  std::vector<PairScore> pairs;  // score at or above the floor, in no order
  std::uint64_t total = 0;       // pairs in the range
  std::uint64_t tiled = 0;       // pairs tiled: the rest could not reach the floor
};

/// The pairs of `range` whose score is at least `floor` (> 0), scored
/// exactly as score_pair() does; the tiling sources of the submissions in a
/// candidate pair are made on the way. `done` counts pairs settled as they
/// go.
Found score_candidates(std::vector<Prepared>* prepared, const PairRange& range, int min_match,
                       const ScoreRule& rule, double floor, unsigned jobs,
                       std::atomic<std::uint64_t>* done);

/// The pairs of `range`, every one tiled (the reference the index is
/// measured against); every tiling source must be made.
Found score_every_pair(const std::vector<Prepared>& prepared, const PairRange& range, int min_match,
                       const ScoreRule& rule, unsigned jobs, std::atomic<std::uint64_t>* done);

}  // namespace batch
