// Submissions in memory through preparation, pairing, scoring and ranking.
#include "batch/scoring.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using batch::Submission;

Submission made_of(const std::string& name, const std::string& source) {
  Submission s;
  s.name = name;
  batch::append_file(&s, batch::SourceFile{name, source});
  return s;
}

const std::string kLoop = "for (i = 0; i < n; i++) { total = total + v[i]; }\n";
const std::string kOther = "while (x > 1) { if (x % 2) x = 3 * x + 1; else x = x / 2; steps++; }\n";

TEST(Submission, TokenCharactersKnowTheirFileAndLine) {
  Submission s = made_of("a.c", "int x;\n\nfloat y;\n");
  batch::append_file(&s, batch::SourceFile{"b.h", "\nlong z;"});
  EXPECT_EQ("zhid;fuid;zhid;", s.tokens);
  EXPECT_EQ(1u, batch::locate(s, 0).line);
  EXPECT_EQ(3u, batch::locate(s, 5).line);   // "fu"
  EXPECT_EQ(1u, batch::locate(s, 10).file);  // "zh" of b.h
  EXPECT_EQ(2u, batch::locate(s, 10).line);
  EXPECT_EQ(14u, s.char_begin[7]);  // the "id" of y
}

TEST(Pairs, NewWithNewAndOldButNeverOldWithOld) {
  using P = std::pair<std::uint32_t, std::uint32_t>;
  auto sorted = [](std::vector<P> pairs) {
    std::sort(pairs.begin(), pairs.end());
    return pairs;
  };
  EXPECT_EQ((std::vector<P>{{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}}),
            sorted(batch::pairs_to_compare(2, 4)));
  EXPECT_EQ((std::vector<P>{{0, 1}, {0, 2}, {1, 2}}), sorted(batch::pairs_to_compare(3, 3)));
  // Past one block of first members, each pair still comes exactly once.
  const std::vector<P> many = sorted(batch::pairs_to_compare(20, 30));
  std::vector<P> expected;
  for (std::uint32_t i = 0; i < 20; ++i)
    for (std::uint32_t j = i + 1; j < 30; ++j) expected.emplace_back(i, j);
  EXPECT_EQ(expected, many);
}

TEST(Scoring, CoverageUsesTheShorterAndSimilarityTheSum) {
  const std::vector<Submission> subs = {made_of("a", kLoop), made_of("b", kLoop + kOther)};
  const auto prepared = batch::prepare_all(subs, "", 8, 1);
  std::atomic<std::size_t> done{0};
  const auto scores = batch::score_pairs(prepared, batch::pairs_to_compare(2, 2), 8, 1, &done);
  ASSERT_EQ(1u, scores.size());
  const std::size_t la = subs[0].tokens.size();
  const std::size_t lb = subs[1].tokens.size();
  EXPECT_EQ(la, scores[0].matched);
  EXPECT_DOUBLE_EQ(1.0, scores[0].coverage);
  EXPECT_FLOAT_EQ(static_cast<float>(2.0 * la / (la + lb)), scores[0].similarity);
  EXPECT_EQ(1u, scores[0].tiles);
  EXPECT_EQ(1u, done.load());
}

TEST(Scoring, TemplateRunsLeaveMatchAndLengths) {
  const std::vector<Submission> subs = {made_of("a", kLoop + kOther), made_of("b", kLoop + kOther)};
  const std::string base = made_of("t", kLoop).tokens;
  const auto prepared = batch::prepare_all(subs, base, 8, 2);
  EXPECT_EQ(subs[0].tokens.size() - base.size(), prepared[0].length);
  std::atomic<std::size_t> done{0};
  const auto scores = batch::score_pairs(prepared, batch::pairs_to_compare(2, 2), 8, 1, &done);
  EXPECT_EQ(prepared[0].length, scores[0].matched);  // only the non-template part
  EXPECT_DOUBLE_EQ(1.0, scores[0].coverage);
}

TEST(Scoring, ResultsDoNotDependOnTheNumberOfThreads) {
  std::vector<Submission> subs;
  for (int k = 0; k < 12; ++k)
    subs.push_back(
        made_of("s" + std::to_string(k), (k % 3 ? kLoop : kOther) + std::string(k, ';') + kOther));
  const auto pairs = batch::pairs_to_compare(subs.size(), subs.size());
  std::atomic<std::size_t> done{0};
  const auto one = batch::score_pairs(batch::prepare_all(subs, "", 8, 1), pairs, 8, 1, &done);
  const auto two = batch::score_pairs(batch::prepare_all(subs, "", 8, 2), pairs, 8, 2, &done);
  ASSERT_EQ(one.size(), two.size());
  for (std::size_t k = 0; k < one.size(); ++k) {
    EXPECT_EQ(one[k].matched, two[k].matched);
    EXPECT_EQ(one[k].coverage, two[k].coverage);
  }
}

TEST(Ranking, CoverageThenSimilarityThenNames) {
  const std::vector<Submission> subs = {made_of("b", ""), made_of("a", ""), made_of("c", "")};
  std::vector<batch::PairScore> s(4);
  s[0] = {0, 2, 0.5, 0.4f, 0, 0, 0};
  s[1] = {0, 1, 0.9, 0.1f, 0, 0, 0};
  s[2] = {1, 2, 0.5, 0.4f, 0, 0, 0};  // same scores as s[0]: "a" before "b"
  s[3] = {1, 0, 0.5, 0.6f, 0, 0, 0};
  batch::rank(&s, subs);
  EXPECT_DOUBLE_EQ(0.9, s[0].coverage);
  EXPECT_FLOAT_EQ(0.6f, s[1].similarity);
  EXPECT_EQ(1u, s[2].first);
  EXPECT_EQ(0u, s[3].first);
}

}  // namespace
