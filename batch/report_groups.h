// The report's groups: submissions that share a source, found so that two
// clusters of copies are not chained into one by a single weak pair.
#pragma once

#include <cstdint>
#include <vector>

namespace batch {

struct Link {
  std::uint32_t first = 0;
  std::uint32_t second = 0;
  double score = 0;
};

/// Groups of `submissions` linked by `links` (the pairs at or above the
/// floor; every pair not among them counts as scoring 0). Average linkage:
/// starting from single submissions, the two groups with the highest mean
/// score over all their cross pairs are joined, as long as some pair
/// between them reaches `threshold` (is suspected) and that mean reaches
/// `floor`. Groups of two or more members, each sorted; largest first,
/// then by first member.
std::vector<std::vector<std::uint32_t>> linked_groups(std::size_t submissions,
                                                      const std::vector<Link>& links,
                                                      double threshold, double floor);

}  // namespace batch
