// linked_groups(): average linkage over the pairs at or above the floor,
// joining the closest two groups first.
#include "batch/report_groups.h"

#include <algorithm>
#include <queue>
#include <unordered_map>
#include <utility>

namespace batch {
namespace {

struct Cross {
  double sum = 0;               // of the scores of the pairs between two groups
  std::uint32_t suspected = 0;  // of them, pairs at or above the threshold
};

struct Candidate {
  double mean;
  std::uint32_t low, high;  // the two groups' first members, low < high
  std::uint32_t a, b;       // the groups, as they were
  std::uint32_t a_version, b_version;
};

// Highest mean first; among equal means the pair of lowest first members.
struct After {
  bool operator()(const Candidate& x, const Candidate& y) const {
    if (x.mean != y.mean) return x.mean < y.mean;
    if (x.low != y.low) return x.low > y.low;
    return x.high > y.high;
  }
};

}  // namespace

std::vector<std::vector<std::uint32_t>> linked_groups(std::size_t submissions,
                                                      const std::vector<Link>& links,
                                                      double threshold, double floor) {
  // Every submission starts as a group of its own, kept under its own index.
  std::vector<std::vector<std::uint32_t>> members(submissions);
  std::vector<std::unordered_map<std::uint32_t, Cross>> cross(submissions);
  std::vector<std::uint32_t> version(submissions, 0);
  std::vector<bool> alive(submissions, true);
  for (std::uint32_t k = 0; k < submissions; ++k) members[k] = {k};
  for (const Link& l : links) {
    if (l.first == l.second || l.first >= submissions || l.second >= submissions) continue;
    for (auto [x, y] : {std::pair{l.first, l.second}, std::pair{l.second, l.first}}) {
      Cross& c = cross[x][y];
      c.sum += l.score;
      if (l.score >= threshold) ++c.suspected;
    }
  }
  std::priority_queue<Candidate, std::vector<Candidate>, After> queue;
  auto consider = [&](std::uint32_t a, std::uint32_t b, const Cross& c) {
    if (c.suspected == 0) return;
    const double mean =
        c.sum / (static_cast<double>(members[a].size()) * static_cast<double>(members[b].size()));
    if (mean < floor) return;
    const std::uint32_t fa = members[a].front(), fb = members[b].front();
    queue.push({mean, std::min(fa, fb), std::max(fa, fb), a, b, version[a], version[b]});
  };
  for (std::uint32_t a = 0; a < submissions; ++a)
    for (const auto& [b, c] : cross[a])
      if (a < b) consider(a, b, c);

  while (!queue.empty()) {
    Candidate best = queue.top();
    queue.pop();
    if (!alive[best.a] || !alive[best.b] || version[best.a] != best.a_version ||
        version[best.b] != best.b_version)
      continue;  // one of them has grown since
    // The smaller group goes into the larger; the first member stays first.
    std::uint32_t into = best.a, from = best.b;
    if (members[into].size() < members[from].size()) std::swap(into, from);
    std::vector<std::uint32_t> joined;
    joined.reserve(members[into].size() + members[from].size());
    std::merge(members[into].begin(), members[into].end(), members[from].begin(),
               members[from].end(), std::back_inserter(joined));
    members[into] = std::move(joined);
    members[from].clear();
    alive[from] = false;
    ++version[into];
    cross[into].erase(from);
    for (const auto& [other, c] : cross[from]) {
      if (other == into) continue;
      Cross& mine = cross[into][other];
      mine.sum += c.sum;
      mine.suspected += c.suspected;
      Cross moved = cross[other][from];
      cross[other].erase(from);
      Cross& theirs = cross[other][into];
      theirs.sum += moved.sum;
      theirs.suspected += moved.suspected;
    }
    cross[from].clear();
    for (const auto& [other, c] : cross[into]) consider(into, other, c);
  }

  std::vector<std::vector<std::uint32_t>> out;
  for (std::uint32_t k = 0; k < submissions; ++k)
    if (alive[k] && members[k].size() > 1) out.push_back(std::move(members[k]));
  std::sort(out.begin(), out.end(), [](const auto& x, const auto& y) {
    return x.size() != y.size() ? x.size() > y.size() : x.front() < y.front();
  });
  return out;
}

}  // namespace batch
