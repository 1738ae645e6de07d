// Lists of keys turned around: every key with the lists it is in, whatever
// the spread of the keys and the number of threads.
#include "batch/keyed_lists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <vector>

namespace {

// Lists of distinct keys drawn from a small pool, so that many are shared;
// the pool spans every top byte and holds 0 and the largest key.
std::vector<std::vector<std::uint64_t>> random_lists(unsigned seed) {
  std::mt19937_64 random(seed);
  std::vector<std::uint64_t> pool = {0, ~std::uint64_t{0}, std::uint64_t{1} << 56};
  while (pool.size() < 300) pool.push_back(random());
  std::vector<std::vector<std::uint64_t>> lists(40);
  for (auto& list : lists) {
    std::set<std::uint64_t> keys;
    const std::size_t count = random() % 120;
    while (keys.size() < count) keys.insert(pool[random() % pool.size()]);
    list.assign(keys.begin(), keys.end());
    std::shuffle(list.begin(), list.end(), random);
  }
  return lists;
}

TEST(KeyedLists, EveryKeyComesWithItsListsSortedForAnyThreadCount) {
  for (unsigned seed = 1; seed <= 5; ++seed) {
    const auto lists = random_lists(seed);
    std::vector<batch::KeyedEntry> expected;
    for (std::uint32_t k = 0; k < lists.size(); ++k)
      for (std::uint64_t key : lists[k]) expected.emplace_back(key, k);
    std::sort(expected.begin(), expected.end());
    for (unsigned jobs : {1u, 3u}) {
      auto copy = lists;
      EXPECT_EQ(expected, batch::group_by_key(&copy, jobs)) << "seed " << seed;
      for (const auto& list : copy) EXPECT_TRUE(list.empty());  // read and let go
    }
  }
}

TEST(KeyedLists, KeysInAtLeastSoManyListsAndNoOthers) {
  const auto lists = random_lists(7);
  std::map<std::uint64_t, std::size_t> in;
  for (const auto& list : lists)
    for (std::uint64_t key : list) ++in[key];
  for (std::size_t wanted : {1u, 2u, 8u, 12u, 40u, 41u}) {
    std::vector<std::uint64_t> expected;
    for (const auto& [key, count] : in)
      if (count >= wanted) expected.push_back(key);
    auto copy = lists;
    EXPECT_EQ(expected, batch::keys_in_at_least(&copy, wanted, 2)) << wanted;
  }
  std::vector<std::vector<std::uint64_t>> none;
  EXPECT_TRUE(batch::keys_in_at_least(&none, 1, 2).empty());
}

TEST(KeyedLists, SetHoldsExactlyItsKeysZeroAndCollidingOnesIncluded) {
  // Keys that fall in the same slot, and 0, which marks empty slots inside.
  const std::vector<std::uint64_t> keys = {0, 16, 32, 48, 1ULL << 40, 5};
  const batch::KeySet set(keys);
  for (std::uint64_t key : keys) EXPECT_TRUE(set.contains(key)) << key;
  for (std::uint64_t key : {1ULL, 64ULL, 17ULL, (1ULL << 40) + 16}) EXPECT_FALSE(set.contains(key));
  const batch::KeySet without_zero(std::vector<std::uint64_t>{16});
  EXPECT_FALSE(without_zero.contains(0));
  EXPECT_FALSE(batch::KeySet({}).contains(7));
}

}  // namespace
