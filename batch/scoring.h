// Scores for pairs of submissions: template code tiled out first, then every
// pair tiled on all cores with the same engine as ccsim.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "batch/submission.h"
#include "compare/greedy_tiler.h"

namespace batch {

/// A submission ready for pairing: positions shared with the template may
/// not match, and do not count in its length.
struct Prepared {
  compare::TileSource source;
  std::vector<std::uint8_t> allowed;
  std::vector<compare::Match> template_tiles;
  std::size_t length = 0;  // token-string length less the template's share
};

struct PairScore {
  std::uint32_t first = 0;
  std::uint32_t second = 0;
  double coverage = 0;   // matched / the shorter length
  float similarity = 0;  // 2 * matched / (sum of lengths), single precision
  std::uint64_t matched = 0;
  std::uint32_t longest = 0;
  std::uint32_t tiles = 0;
};

/// Prepares every submission against `base` (empty: no template).
std::vector<Prepared> prepare_all(const std::vector<Submission>& subs, const std::string& base,
                                  int min_match, unsigned jobs);

/// The pairs to compare: each of the first `fresh` submissions with every
/// later one (so new with new, and new with the old ones after them), never
/// two of the rest with each other. Ordered for the caches, not by index.
std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs_to_compare(std::size_t fresh,
                                                                      std::size_t all);

/// Scores `pairs` with `jobs` threads; `done` counts finished pairs as they
/// go. The result is in the order of `pairs`, whatever `jobs` is.
std::vector<PairScore> score_pairs(
    const std::vector<Prepared>& prepared,
    const std::vector<std::pair<std::uint32_t, std::uint32_t>>& pairs, int min_match, unsigned jobs,
    std::atomic<std::size_t>* done);

/// The tiles of one pair, at token-string positions, in collapse order.
std::vector<compare::Match> tiles_of(const std::vector<Prepared>& prepared, std::uint32_t first,
                                     std::uint32_t second, int min_match);

/// Orders scores for showing: coverage, then similarity (both descending),
/// then the two names.
void rank(std::vector<PairScore>* scores, const std::vector<Submission>& subs);

/// Runs `work(k)` for k in [0, count) on `jobs` threads.
void parallel_for(std::size_t count, unsigned jobs, const std::function<void(std::size_t)>& work);

}  // namespace batch
