// The index against the reference: every pair at or above the floor, with
// exactly the scores that tiling every pair gives, whatever the floor, the
// threads, the old submissions or the slicing into shards.
#include "batch/candidates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/submission_of.h"

namespace {

using batch::PairScore;
using batch::Submission;

Submission made_of(const std::string& name, const std::string& source) {
  return testing_support::submission_of(name, source);
}

// Statements from a small grammar: few shapes, so that unrelated
// submissions share many short runs and the scores spread over [0, 1].
std::string statement(std::mt19937& rng) {
  static const char* const kShapes[] = {
      "a = b + c * %;\n",        "for (i = 0; i < n; i++) s += v[i];\n",
      "if (x > %) y = x - %;\n", "while (k < %) { k = k * 2; t++; }\n",
      "printf(\"%d\", q);\n",    "m = f(a, b) / %;\n",
      "return r + %;\n",         "double d = e * % + g;\n",
      "long w = h[%] - 1;\n",    "scanf(\"%d\", &n);\n",
  };
  // Operands of differing shapes (numbers alone would all be one token).
  static const char* const kOperands[] = {"7", "x", "(x + 1)", "a[2]", "f(x)", "-y", "p->q", "z * z"};
  std::string s = kShapes[rng() % 10];
  for (std::size_t at; (at = s.find('%')) != std::string::npos && s[at + 1] != 'd';)
    s.replace(at, 1, kOperands[rng() % 8]);
  return s;
}

// A comment of words few others use: names that raise the scores of the
// pairs that share them, so that the index must bound them too.
std::string own_words(std::mt19937& rng) {
  std::string s = "//";
  for (int k = 0; k < 4; ++k) s += " w" + std::to_string(rng() % 60);
  return s + "\n";
}

// A class: some submissions from shared statements, some copies of earlier
// ones with statements dropped and added.
std::vector<Submission> made_class(unsigned seed, std::size_t count) {
  std::mt19937 rng(seed);
  std::vector<std::string> pool;
  for (int k = 0; k < 200; ++k) pool.push_back(statement(rng));
  std::vector<std::string> sources;
  for (std::size_t k = 0; k < count; ++k) {
    std::string s;
    if (k > 3 && rng() % 4 == 0) {
      const std::string& original = sources[rng() % k];
      const std::size_t cut = original.size() * (rng() % 60) / 100;
      s = original.substr(0, original.size() - cut);
      for (unsigned extra = rng() % 8; extra > 0; --extra) s += statement(rng);
    } else {
      s = own_words(rng);
      for (unsigned lines = 3 + rng() % 40; lines > 0; --lines) s += pool[rng() % pool.size()];
    }
    sources.push_back(s);
  }
  std::vector<Submission> subs;
  for (std::size_t k = 0; k < count; ++k)
    subs.push_back(made_of("s" + std::to_string(k), sources[k]));
  return subs;
}

std::vector<PairScore> sorted(std::vector<PairScore> v) {
  std::sort(v.begin(), v.end(), [](const PairScore& x, const PairScore& y) {
    return std::tie(x.first, x.second) < std::tie(y.first, y.second);
  });
  return v;
}

std::vector<PairScore> at_or_above(const std::vector<PairScore>& all, double floor) {
  std::vector<PairScore> kept;
  for (const PairScore& p : all)
    if (p.score >= floor) kept.push_back(p);
  return sorted(kept);
}

void expect_same(const std::vector<PairScore>& want, const std::vector<PairScore>& got) {
  ASSERT_EQ(want.size(), got.size());
  for (std::size_t k = 0; k < want.size(); ++k) {
    SCOPED_TRACE(testing::Message() << want[k].first << "-" << want[k].second);
    EXPECT_EQ(want[k].first, got[k].first);
    EXPECT_EQ(want[k].second, got[k].second);
    EXPECT_EQ(want[k].score, got[k].score);
    EXPECT_EQ(want[k].coverage, got[k].coverage);
    EXPECT_EQ(want[k].similarity, got[k].similarity);
    EXPECT_EQ(want[k].matched, got[k].matched);
    EXPECT_EQ(want[k].longest, got[k].longest);
    EXPECT_EQ(want[k].tiles, got[k].tiles);
    EXPECT_EQ(want[k].names, got[k].names);
  }
}

struct ClassShape {
  unsigned seed;
  std::size_t count;
  std::size_t fresh;
  int min_match;
  bool common;
};

class IndexAgainstEveryPair : public testing::TestWithParam<ClassShape> {};

TEST_P(IndexAgainstEveryPair, SamePairsAndScoresAtOrAboveTheFloor) {
  const ClassShape& setup = GetParam();
  const std::vector<Submission> subs = made_class(setup.seed, setup.count);
  batch::Preparation how;
  how.min_match = setup.min_match;
  how.common.enabled = setup.common;
  how.common.at_least = 5;
  const auto prepared = batch::prepare_all(subs, how, 2);
  // The index makes tiling sources only for the submissions it pairs.
  how.sources = false;
  auto lazy = batch::prepare_all(subs, how, 2);
  const batch::PairRange range{setup.fresh, 0, 1};
  std::atomic<std::uint64_t> done{0};
  const batch::Found every =
      batch::score_every_pair(prepared, range, setup.min_match, batch::ScoreRule{}, 2, &done);
  EXPECT_EQ(every.total, done.exchange(0));
  const std::uint64_t fresh = setup.fresh;
  EXPECT_EQ(fresh * (fresh - 1) / 2 + fresh * (setup.count - fresh), every.total);
  ASSERT_EQ(every.total, every.pairs.size());
  // Floors at scores pairs have, so that some pair lies exactly on each.
  std::vector<double> scores;
  for (const PairScore& p : every.pairs)
    if (p.score > 0) scores.push_back(p.score);
  ASSERT_GT(scores.size(), 20u);
  std::sort(scores.begin(), scores.end());
  ASSERT_GT(scores.back(), 0.9);  // the class has copies
  for (double share : {0.2, 0.5, 0.9, 0.99, 1.0}) {
    const double floor = scores[static_cast<std::size_t>(share * (scores.size() - 1))];
    SCOPED_TRACE(testing::Message() << "floor " << floor);
    ASSERT_GT(floor, 0.0);
    const auto want = at_or_above(every.pairs, floor);
    for (unsigned jobs : {1u, 2u}) {
      const batch::Found found = batch::score_candidates(&lazy, range, setup.min_match,
                                                         batch::ScoreRule{}, floor, jobs, &done);
      EXPECT_EQ(every.total, found.total);
      EXPECT_EQ(found.total, done.exchange(0));  // every pair settled once, for the progress line
      EXPECT_LT(found.tiled, found.total);       // the index spared some tiling
      expect_same(want, sorted(found.pairs));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Classes, IndexAgainstEveryPair,
                         testing::Values(ClassShape{1, 90, 90, 12, true},
                                         ClassShape{2, 70, 45, 12, true},
                                         ClassShape{3, 60, 60, 3, false},
                                         ClassShape{4, 80, 80, 8, false}));

TEST(Shards, EveryPairInExactlyOneShard) {
  const std::vector<Submission> subs = made_class(7, 50);
  batch::Preparation how;
  how.min_match = 12;
  auto prepared = batch::prepare_all(subs, how, 2);
  std::atomic<std::uint64_t> done{0};
  for (bool index : {false, true}) {
    auto run = [&](unsigned shard, unsigned shards) {
      const batch::PairRange range{40, shard, shards};
      return index
                 ? batch::score_candidates(&prepared, range, 12, batch::ScoreRule{}, 0.2, 2, &done)
                 : batch::score_every_pair(prepared, range, 12, batch::ScoreRule{}, 2, &done);
    };
    const batch::Found whole = run(0, 1);
    for (unsigned shards : {2u, 3u, 7u, 60u}) {
      std::vector<PairScore> joined;
      std::uint64_t total = 0;
      for (unsigned k = 0; k < shards; ++k) {
        const batch::Found part = run(k, shards);
        total += part.total;
        joined.insert(joined.end(), part.pairs.begin(), part.pairs.end());
      }
      EXPECT_EQ(whole.total, total);
      expect_same(sorted(whole.pairs), sorted(joined));
    }
  }
}

}  // namespace
