// The route ccsim-batch takes between short strings: runs found through
// shared grams, against the plain scan; and its refusal to go on where
// repeats would make it slow.
#include "compare/match_tiler.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "compare/greedy_tiler.h"
#include "compare/reference_scan.h"
#include "compare/tiling.h"

namespace {

using compare::Match;
using compare::MatchTiler;
using compare::TileSource;
using std::string;

string random_string(std::mt19937& rng, std::size_t length, const string& alphabet) {
  string s(length, ' ');
  for (char& c : s) c = alphabet[rng() % alphabet.size()];
  return s;
}

// B made of pieces of A (some repeated) between random letters.
string reusing(std::mt19937& rng, const string& a, const string& alphabet) {
  string b;
  for (int piece = 0; piece < 8; ++piece) {
    b += random_string(rng, rng() % 6, alphabet);
    if (a.empty()) continue;
    const std::size_t at = rng() % a.size();
    b += a.substr(at, rng() % 30);
  }
  return b;
}

TileSource prepared(const string& s, int min_match,
                    const std::vector<std::uint8_t>* allowed = nullptr) {
  TileSource source;
  source.prepare(s, allowed == nullptr ? nullptr : allowed->data());
  source.prepare_grams(min_match);
  return source;
}

// The plain scan sees a position that may not match as a space.
string blanked(string s, const std::vector<std::uint8_t>& allowed) {
  for (std::size_t p = 0; p < s.size(); ++p)
    if (!allowed[p]) s[p] = ' ';
  return s;
}

TEST(MatchTiler, GivesThePlainScansPasses) {
  std::mt19937 rng(11);
  MatchTiler tiler;
  // Small alphabets make repeats, ties and overlapping runs common; spaces
  // and NUL bytes never match.
  for (const string& alphabet :
       {string("ab"), string("abc"), string("ab \0", 4), string("id=;()")}) {
    for (int round = 0; round < 600; ++round) {
      const int min_match = 1 + round % 9;
      const string a = random_string(rng, rng() % 60, alphabet);
      const string b =
          round % 3 ? reusing(rng, a, alphabet) : random_string(rng, rng() % 60, alphabet);
      const TileSource sa = prepared(a, min_match);
      const TileSource sb = prepared(b, min_match);
      std::vector<Match> runs;
      ASSERT_TRUE(tiler.run(sa, sb, min_match, &runs));
      ASSERT_EQ(compare::reference_tiling(a, b, min_match),
                compare::to_pass_positions(runs, a.size(), b.size()))
          << "a=\"" << a << "\" b=\"" << b << "\" min_match=" << min_match;
    }
  }
}

TEST(MatchTiler, KeepsRunsOutOfPositionsThatMayNotMatch) {
  std::mt19937 rng(12);
  MatchTiler tiler;
  for (int round = 0; round < 800; ++round) {
    const int min_match = 2 + round % 5;
    const string a = random_string(rng, 20 + rng() % 40, "abc");
    const string b = reusing(rng, a, "abc");
    std::vector<std::uint8_t> allowed_a(a.size());
    std::vector<std::uint8_t> allowed_b(b.size());
    for (auto& x : allowed_a) x = rng() % 7 != 0;
    for (auto& x : allowed_b) x = rng() % 7 != 0;
    std::vector<Match> runs;
    ASSERT_TRUE(tiler.run(prepared(a, min_match, &allowed_a), prepared(b, min_match, &allowed_b),
                          min_match, &runs));
    ASSERT_EQ(compare::reference_tiling(blanked(a, allowed_a), blanked(b, allowed_b), min_match),
              compare::to_pass_positions(runs, a.size(), b.size()))
        << "a=\"" << a << "\" b=\"" << b << "\" min_match=" << min_match;
  }
}

TEST(MatchTiler, RunsLongerThanAWordAndTheStringsEnds) {
  MatchTiler tiler;
  const string body = "for(id=0;id<id;id++){id+=id[id];}";
  const string a = body + body + "x" + body;  // a run reaching the very end
  const string b = "y" + body + body;
  for (int min_match : {1, 3, 8, 40}) {
    std::vector<Match> runs;
    ASSERT_TRUE(tiler.run(prepared(a, min_match), prepared(b, min_match), min_match, &runs));
    EXPECT_EQ(compare::reference_tiling(a, b, min_match),
              compare::to_pass_positions(runs, a.size(), b.size()))
        << "min_match=" << min_match;
  }
}

TEST(MatchTiler, DeclinesWhatItWasNotPreparedFor) {
  MatchTiler tiler;
  std::vector<Match> runs;
  const TileSource plain_a = prepared("abcdefghijkl", 0);
  const TileSource plain_b = prepared("abcdefghijkl", 0);
  EXPECT_FALSE(tiler.run(plain_a, plain_b, 0, &runs));  // no grams for min_match 0
  const TileSource a = prepared("abcdefghijkl", 3);
  const TileSource b = prepared("abcdefghijkl", 3);
  EXPECT_FALSE(tiler.run(a, b, 4, &runs));  // grams for another min_match
  EXPECT_TRUE(runs.empty());
}

TEST(MatchTiler, GivesUpWhereRepeatsWouldMakeItSlowAndTheSweepTakesOver) {
  // Every gram of one string equals hundreds of the other's.
  string a;
  string b;
  for (int k = 0; k < 150; ++k) a += "ab";
  for (int k = 0; k < 160; ++k) b += "ba";
  a += "xyz" + a;
  const TileSource sa = prepared(a, 2);
  const TileSource sb = prepared(b, 2);
  MatchTiler tiler;
  std::vector<Match> runs;
  EXPECT_FALSE(tiler.run(sa, sb, 2, &runs));
  EXPECT_TRUE(runs.empty());
  // With room enough it still gets them right.
  ASSERT_TRUE(tiler.run(sa, sb, 2, &runs, std::size_t{1} << 30));
  const std::vector<compare::Tile> expected = compare::reference_tiling(a, b, 2);
  EXPECT_EQ(expected, compare::to_pass_positions(runs, a.size(), b.size()));
  // GreedyTiler falls back to its sweep for the same pair.
  compare::GreedyTiler greedy;
  EXPECT_EQ(expected, compare::to_pass_positions(greedy.run(sa, sb, 2), a.size(), b.size()));
}

}  // namespace
