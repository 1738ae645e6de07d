// Submissions in memory through preparation, pairing, scoring and ranking.
#include "batch/scoring.h"

#include <gtest/gtest.h>

#include <tuple>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "batch/candidates.h"
#include "tests/support/submission_of.h"

namespace {

using batch::Submission;

Submission made_of(const std::string& name, const std::string& source) {
  return testing_support::submission_of(name, source);
}

batch::Preparation plain(int min_match, const std::string& base = "") {
  batch::Preparation how;
  how.base = base;
  how.min_match = min_match;
  how.common.enabled = false;
  return how;
}

// Every pair, by (first, second).
std::vector<batch::PairScore> score_all(const std::vector<Submission>& subs,
                                        const batch::Preparation& how, unsigned jobs = 1,
                                        std::size_t fresh = 0) {
  std::atomic<std::uint64_t> done{0};
  const batch::PairRange range{fresh ? fresh : subs.size(), 0, 1};
  std::vector<batch::PairScore> pairs =
      batch::score_every_pair(batch::prepare_all(subs, how, jobs), range, how.min_match,
                              batch::ScoreRule{}, jobs, &done)
          .pairs;
  std::sort(pairs.begin(), pairs.end(), [](const auto& x, const auto& y) {
    return std::make_pair(x.first, x.second) < std::make_pair(y.first, y.second);
  });
  return pairs;
}

const std::string kLoop = "for (i = 0; i < n; i++) { total = total + v[i]; } show(total);\n";
const std::string kOther =
    "while (x > 1) { if (x % 2) x = 3 * x + 1; else x = x / 2; steps++; } show(steps);\n";

TEST(Submission, TokenCharactersKnowTheirFileAndLine) {
  Submission s = made_of("a.c", "x = 1;\n\ny = (float)w;\n");
  batch::append_file(&s, batch::SourceFile{"b.h", "\nz = (long)w;"});
  EXPECT_EQ("id=0;id=(fu)id;id=(zh)id;", s.tokens);
  EXPECT_EQ(1u, batch::locate(s, 0).line);
  EXPECT_EQ(3u, batch::locate(s, 5).line);   // the "id" of y
  EXPECT_EQ(1u, batch::locate(s, 19).file);  // "zh" of b.h
  EXPECT_EQ(2u, batch::locate(s, 19).line);
  EXPECT_EQ(13u, s.char_begin[9]);  // the "fu" of float
  EXPECT_EQ(18u, s.char_end[10]);
}

TEST(Pairs, NewWithNewAndOldButNeverOldWithOld) {
  using P = std::pair<std::uint32_t, std::uint32_t>;
  auto pairs_of = [](std::size_t fresh, std::size_t all) {
    std::vector<Submission> subs;
    for (std::size_t k = 0; k < all; ++k)
      subs.push_back(made_of("s" + std::to_string(k), std::string(k % 7, ';') + kLoop));
    std::vector<P> pairs;
    for (const batch::PairScore& p : score_all(subs, plain(8), 2, fresh))
      pairs.emplace_back(p.first, p.second);
    return pairs;
  };
  EXPECT_EQ((std::vector<P>{{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}}), pairs_of(2, 4));
  EXPECT_EQ((std::vector<P>{{0, 1}, {0, 2}, {1, 2}}), pairs_of(3, 3));
  // Rows in another order than the submissions': each pair still comes
  // exactly once, named by the lower index first.
  std::vector<P> expected;
  for (std::uint32_t i = 0; i < 20; ++i)
    for (std::uint32_t j = i + 1; j < 30; ++j) expected.emplace_back(i, j);
  EXPECT_EQ(expected, pairs_of(20, 30));
}

TEST(Scoring, CoverageUsesTheShorterSimilarityTheSumScoreTheGuardedMean) {
  const std::vector<Submission> subs = {made_of("a", kLoop + kLoop + kLoop),
                                        made_of("b", kLoop + kLoop + kLoop + kOther + kOther)};
  const auto scores = score_all(subs, plain(8));
  ASSERT_EQ(1u, scores.size());
  const double la = static_cast<double>(subs[0].tokens.size());
  const double lb = static_cast<double>(subs[1].tokens.size());
  ASSERT_GT(std::sqrt(la * lb), 100.0);  // above the guard
  EXPECT_EQ(subs[0].tokens.size(), scores[0].matched);
  EXPECT_DOUBLE_EQ(1.0, scores[0].coverage);
  EXPECT_FLOAT_EQ(static_cast<float>(2.0 * la / (la + lb)), scores[0].similarity);
  // All of the shorter is matched: the floor a padded copy keeps holds.
  const batch::ScoreRule rule;
  const double base = std::max({la, lb / rule.padding, static_cast<double>(rule.guard)});
  EXPECT_DOUBLE_EQ(std::max(la / std::sqrt(la * lb), la / base - rule.margin), scores[0].score);
  EXPECT_EQ(1u, scores[0].tiles);
}

TEST(Scoring, APaddedCopyKeepsWhatItSharesOfTheShorterUpToAPoint) {
  const batch::ScoreRule rule;
  std::string own;
  for (int k = 0; k < 6; ++k) own += "q" + std::to_string(k) + " = r[" + std::to_string(k) + "] * w;\n";
  const std::string original = kLoop + kOther + own;
  std::string padding;
  for (int k = 0; k < 40; ++k) padding += "u" + std::to_string(k) + " = f(u" + std::to_string(k) + ") - p;\n";
  const auto score_with = [&](std::size_t lines) {
    std::string copy = original;
    for (std::size_t at = 0, n = 0; n < lines; ++n) {
      at = padding.find('\n', at) + 1;
      copy = original + padding.substr(0, at);
    }
    const std::vector<Submission> pair = {made_of("a", original), made_of("b", copy)};
    const auto scores = score_all(pair, plain(8));
    const double la = static_cast<double>(pair[0].tokens.size());
    const double lb = static_cast<double>(pair[1].tokens.size());
    EXPECT_EQ(pair[0].tokens.size(), scores[0].matched);
    return std::make_tuple(scores[0].score, la, lb);
  };
  // Padded with as much code again: the geometric mean alone would give
  // 0.71; all of the original is there.
  std::size_t lines = 1;
  while (std::get<2>(score_with(lines)) < 1.8 * std::get<1>(score_with(lines))) ++lines;
  const auto [twice, la, lb] = score_with(lines);
  ASSERT_GT(la, static_cast<double>(rule.guard));
  ASSERT_LT(lb, rule.padding * la);
  EXPECT_DOUBLE_EQ(1.0 - rule.margin, twice);
  EXPECT_GT(twice, la / std::sqrt(la * lb));
  // Padded far past that, the longer's share counts: one small program in
  // a large one is no copy of it.
  const auto [far, la2, lb2] = score_with(40);
  ASSERT_GT(lb2, rule.padding * la2);
  EXPECT_DOUBLE_EQ(std::max(la2 / std::sqrt(la2 * lb2), rule.padding * la2 / lb2 - rule.margin), far);
  EXPECT_LT(far, twice);
  // Padded as far with comments, it is no larger a program: still a copy.
  std::string talk;
  for (int k = 0; k < 60; ++k) talk += "// step " + std::to_string(k) + " of the loop, see notes\n";
  const std::vector<Submission> talked = {made_of("a", original), made_of("b", original + talk)};
  ASSERT_GT(static_cast<double>(talked[1].tokens.size()),
            rule.padding * static_cast<double>(talked[0].tokens.size()));
  EXPECT_DOUBLE_EQ(1.0 - rule.margin, score_all(talked, plain(8))[0].score);
}

TEST(Scoring, APairWithLittleCodeScoresLowHoweverSmall) {
  // Two copies of one short loop: wholly shared, but too little to tell.
  const auto scores = score_all({made_of("a", kLoop), made_of("b", kLoop)}, plain(8));
  EXPECT_DOUBLE_EQ(1.0, scores[0].coverage);
  EXPECT_DOUBLE_EQ(static_cast<double>(scores[0].matched) / 100.0, scores[0].score);
  EXPECT_LT(scores[0].score, 0.5);
}

TEST(Scoring, TheSameTwoSubmissionsScoreTheSameWhateverTheirNamesAndOrder) {
  // Runs of equal length compete for the same stretches: which ones the
  // tiling takes depends on which string it reads first (6 or 9 matched).
  auto spaced = [](const std::string& tokens) {
    std::string source;
    for (char c : tokens) source += std::string(1, c) + " ";
    return source;
  };
  const std::string x = spaced("+*;-;+*+*-+-+-");
  const std::string y = spaced(";+++;*+*+-+;-;");
  const auto forward = score_all({made_of("x", x), made_of("y", y)}, plain(2));
  const auto backward = score_all({made_of("y", y), made_of("x", x)}, plain(2));
  const auto renamed = score_all({made_of("z", x), made_of("a", y)}, plain(2));
  for (const auto* other : {&backward, &renamed}) {
    EXPECT_EQ(forward[0].matched, (*other)[0].matched);
    EXPECT_EQ(forward[0].tiles, (*other)[0].tiles);
    EXPECT_EQ(forward[0].score, (*other)[0].score);
  }
  // And the tiles, handed back for the pair as named, are the same stretches.
  const std::vector<Submission> subs = {made_of("x", x), made_of("y", y)};
  const auto prepared = batch::prepare_all(subs, plain(2), 1);
  auto tiles = batch::tiles_of(prepared, 0, 1, 2);
  auto swapped = batch::tiles_of(prepared, 1, 0, 2);
  for (compare::Match& m : swapped) std::swap(m.a, m.b);
  EXPECT_EQ(tiles, swapped);
  for (const compare::Match& m : tiles)
    EXPECT_EQ(subs[0].tokens.substr(m.a, m.length), subs[1].tokens.substr(m.b, m.length));
}

TEST(Scoring, TemplateRunsLeaveMatchAndLengths) {
  const std::vector<Submission> subs = {made_of("a", kLoop + kOther), made_of("b", kLoop + kOther)};
  const std::string base = made_of("t", kLoop).tokens;
  const auto prepared = batch::prepare_all(subs, plain(8, base), 2);
  EXPECT_EQ(subs[0].tokens.size() - base.size(), prepared[0].length);
  const auto scores = score_all(subs, plain(8, base));
  EXPECT_EQ(prepared[0].length, scores[0].matched);  // only the non-template part
  EXPECT_DOUBLE_EQ(1.0, scores[0].coverage);
}

TEST(Scoring, ResultsDoNotDependOnTheNumberOfThreads) {
  std::vector<Submission> subs;
  for (int k = 0; k < 12; ++k)
    subs.push_back(
        made_of("s" + std::to_string(k), (k % 3 ? kLoop : kOther) + std::string(k, ';') + kOther));
  batch::Preparation how = plain(8);
  how.common = batch::CommonRule{true, 12, 0.5, 2};
  const auto one = score_all(subs, how, 1);
  const auto two = score_all(subs, how, 2);
  ASSERT_EQ(one.size(), two.size());
  for (std::size_t k = 0; k < one.size(); ++k) {
    EXPECT_EQ(one[k].matched, two[k].matched);
    EXPECT_EQ(one[k].score, two[k].score);
  }
}

TEST(Ranking, ScoreThenSimilarityThenNames) {
  const std::vector<Submission> subs = {made_of("b", ""), made_of("a", ""), made_of("c", "")};
  std::vector<batch::PairScore> s(4);
  s[0] = {0, 2, 0.5, 0.9, 0.4f, 0, 0, 0};
  s[1] = {0, 1, 0.9, 0.1, 0.1f, 0, 0, 0};
  s[2] = {1, 2, 0.5, 0.9, 0.4f, 0, 0, 0};  // same scores as s[0]: "a" before "b"
  s[3] = {1, 0, 0.5, 0.1, 0.6f, 0, 0, 0};
  batch::rank(&s, subs);
  EXPECT_DOUBLE_EQ(0.9, s[0].score);
  EXPECT_FLOAT_EQ(0.6f, s[1].similarity);
  EXPECT_EQ(1u, s[2].first);
  EXPECT_EQ(0u, s[3].first);
}

}  // namespace
