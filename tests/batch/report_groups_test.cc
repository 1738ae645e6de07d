// The report's groups: average linkage over the pairs above the floor, so
// that one weak suspected pair does not chain two groups of copies.
#include "batch/report_groups.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace {

using batch::Link;
using batch::linked_groups;
using Groups = std::vector<std::vector<std::uint32_t>>;

constexpr double kThreshold = 0.7;
constexpr double kFloor = 0.7 * 2 / 3;

TEST(ReportGroups, OneWeakPairDoesNotChainTwoGroupsOfCopies) {
  // Two triangles of copies, and one pair between them just over the
  // threshold: joined in one component, two groups here.
  const std::vector<Link> links = {{0, 1, 0.9}, {1, 2, 0.92}, {0, 2, 0.88}, {3, 4, 0.95},
                                   {4, 5, 0.9}, {3, 5, 0.91}, {2, 3, 0.71}};
  EXPECT_EQ((Groups{{0, 1, 2}, {3, 4, 5}}), linked_groups(7, links, kThreshold, kFloor));
  // Many pairs between them, near the threshold, do join them.
  std::vector<Link> dense = links;
  for (std::uint32_t a : {0u, 1u, 2u})
    for (std::uint32_t b : {3u, 4u, 5u})
      if (a != 2 || b != 3) dense.push_back({a, b, 0.6});
  EXPECT_EQ((Groups{{0, 1, 2, 3, 4, 5}}), linked_groups(7, dense, kThreshold, kFloor));
}

TEST(ReportGroups, OneSourceCopiedByManyIsOneGroup) {
  // A hub copied by three, who resemble each other less (above the floor).
  const std::vector<Link> star = {{0, 1, 0.9}, {0, 2, 0.85}, {0, 3, 0.8},
                                  {1, 2, 0.6}, {1, 3, 0.55}, {2, 3, 0.5}};
  EXPECT_EQ((Groups{{0, 1, 2, 3}}), linked_groups(4, star, kThreshold, kFloor));
  // Without the pairs among the copies (below the floor, so 0), the mean
  // falls under the floor as the group grows: the first pair stays a group.
  const std::vector<Link> bare = {{0, 1, 0.9}, {0, 2, 0.85}, {0, 3, 0.8}};
  EXPECT_EQ((Groups{{0, 1}}), linked_groups(4, bare, kThreshold, kFloor));
}

TEST(ReportGroups, ChainsBreakWhereTheMeanFallsUnderTheFloor) {
  // a-b-c-d-e, each link strong, nothing else above the floor.
  const std::vector<Link> chain = {{0, 1, 0.95}, {1, 2, 0.9}, {2, 3, 0.85}, {3, 4, 0.8}};
  const Groups groups = linked_groups(5, chain, kThreshold, kFloor);
  for (const auto& g : groups) EXPECT_LE(g.size(), 2u);
  EXPECT_EQ((Groups{{0, 1}, {2, 3}}), groups);
}

TEST(ReportGroups, PairsUnderTheThresholdNeverMakeAGroup) {
  // Close, but no pair suspected: no group, however many such pairs.
  const std::vector<Link> close = {{0, 1, 0.69}, {1, 2, 0.68}, {0, 2, 0.69}};
  EXPECT_TRUE(linked_groups(3, close, kThreshold, kFloor).empty());
  EXPECT_TRUE(linked_groups(0, {}, kThreshold, kFloor).empty());
  // A pair that names itself or a submission not there is passed over.
  EXPECT_TRUE(linked_groups(2, {{0, 0, 1.0}, {1, 7, 1.0}}, kThreshold, kFloor).empty());
  // A pair given twice counts twice toward the mean, as two links would.
  EXPECT_EQ((Groups{{0, 1}}), linked_groups(2, {{0, 1, 0.8}, {1, 0, 0.8}}, kThreshold, kFloor));
}

TEST(ReportGroups, TheOrderOfThePairsChangesNothing) {
  std::vector<Link> links;
  std::mt19937 random(7);
  std::uniform_real_distribution<double> score(0.3, 1.0);
  for (std::uint32_t a = 0; a < 40; ++a)
    for (std::uint32_t b = a + 1; b < 40; ++b)
      if (random() % 5 == 0) links.push_back({a, b, score(random)});
  const Groups first = linked_groups(40, links, kThreshold, kFloor);
  ASSERT_FALSE(first.empty());
  for (int round = 0; round < 5; ++round) {
    std::shuffle(links.begin(), links.end(), random);
    for (Link& l : links)
      if (random() % 2) std::swap(l.first, l.second);
    EXPECT_EQ(first, linked_groups(40, links, kThreshold, kFloor));
  }
  // Largest first, members in order, no submission in two groups.
  std::vector<int> seen(40, 0);
  for (std::size_t g = 0; g < first.size(); ++g) {
    if (g) {
      EXPECT_GE(first[g - 1].size(), first[g].size());
    }
    EXPECT_TRUE(std::is_sorted(first[g].begin(), first[g].end()));
    for (std::uint32_t m : first[g]) EXPECT_EQ(1, ++seen[m]);
  }
}

}  // namespace
