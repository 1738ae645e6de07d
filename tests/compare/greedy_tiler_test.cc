// The fast engine against the plain scan, pass by pass, on generated pairs.
#include "compare/greedy_tiler.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "compare/reference_scan.h"
#include "compare/tiling.h"
#include "lexer/token_files.h"
#include "lexer/tokeniser.h"
#include "platform/file.h"

namespace {

using compare::reference_tiling;
using compare::tiling;
using std::string;

string random_string(std::mt19937& rng, std::size_t max_len, const string& alphabet) {
  std::uniform_int_distribution<std::size_t> len(0, max_len);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  string s(len(rng), ' ');
  for (char& c : s) c = alphabet[pick(rng)];
  return s;
}

// Copies pieces of `from` into a string of random letters, so long shared
// runs, repeats and overlaps are common.
string spliced(std::mt19937& rng, const string& from, const string& alphabet) {
  string out;
  std::uniform_int_distribution<int> pieces(0, 6);
  for (int k = pieces(rng); k > 0; --k) {
    out += random_string(rng, 5, alphabet);
    if (from.empty()) continue;
    std::uniform_int_distribution<std::size_t> at(0, from.size() - 1);
    const std::size_t start = at(rng);
    out += from.substr(start, std::uniform_int_distribution<std::size_t>(0, 20)(rng));
  }
  return out;
}

// Both routes: the sweep from exact bounds, and prepared strings through
// their grams.
void expect_same(const string& a, const string& b, int min_match) {
  const std::vector<compare::Tile> expected = reference_tiling(a, b, min_match);
  ASSERT_EQ(expected, tiling(a, b, min_match))
      << "a=\"" << a << "\" b=\"" << b << "\" min_match=" << min_match;
  if (min_match < 1) return;
  ASSERT_EQ(expected, compare::tiling_from_grams(a, b, min_match))
      << "(from grams) a=\"" << a << "\" b=\"" << b << "\" min_match=" << min_match;
}

TEST(GreedyTiler, MatchesTheScanOnTinyAlphabets) {
  std::mt19937 rng(1);
  for (const string alphabet : {"ab", "abc", "aab", "abcd"}) {
    for (int round = 0; round < 1500; ++round) {
      const string a = random_string(rng, 40, alphabet);
      const string b = round % 2 ? spliced(rng, a, alphabet) : random_string(rng, 40, alphabet);
      expect_same(a, b, round % 5);
      if (HasFatalFailure()) return;
    }
  }
}

TEST(GreedyTiler, MatchesTheScanWithSpacesAndNuls) {
  std::mt19937 rng(2);
  const string alphabet("ab \0", 4);
  for (int round = 0; round < 2000; ++round) {
    const string a = random_string(rng, 50, alphabet);
    expect_same(a, spliced(rng, a, alphabet), 3);
    if (HasFatalFailure()) return;
  }
}

TEST(GreedyTiler, MatchesTheScanOnEdgeShapes) {
  for (int min_match : {-1, 0, 1, 3, 8}) {
    expect_same("", "", min_match);
    expect_same("", "abcdef", min_match);
    expect_same("abcdef", "", min_match);
    expect_same("aaaaaaaaaa", "aaaaaaaaaa", min_match);
    expect_same("aaaaaaaaaa", "aaa", min_match);
    expect_same("abababababab", "babababa", min_match);
    expect_same("abcdQQQefgh", "efghRRRabcd", min_match);
    expect_same("abcde", "abcdXbcde", min_match);
    expect_same(string("\xb5\xb5\xb5\xb5\xff\x80", 6), string("x\xb5\xb5\xb5\xb5\xff\x80", 7),
                min_match);
  }
}

string token_string_of(const string& path) {
  string source;
  EXPECT_TRUE(platform::read_file(path, &source)) << path;
  return lexer::token_string(lexer::tokenise(source));
}

// Deletes, inserts and changes a few token-string characters at random.
string edited(std::mt19937& rng, string s, int edits) {
  const string alphabet = "id=;(){}+zh";
  for (int k = 0; k < edits && !s.empty(); ++k) {
    const std::size_t at = std::uniform_int_distribution<std::size_t>(0, s.size() - 1)(rng);
    switch (rng() % 3) {
      case 0: s.erase(at, 1 + rng() % 6); break;
      case 1: s.insert(at, 1, alphabet[rng() % alphabet.size()]); break;
      default: s[at] = alphabet[rng() % alphabet.size()]; break;
    }
  }
  return s;
}

TEST(GreedyTiler, MatchesTheScanOnRealTokenStrings) {
  const string one = token_string_of(CCSIM_SOURCE_DIR "/examples/file1.c");
  const string two = token_string_of(CCSIM_SOURCE_DIR "/examples/file2.c");
  ASSERT_GT(one.size(), 500u);
  std::mt19937 rng(3);
  expect_same(one, two, 3);
  expect_same(one, one, 3);
  for (int round = 0; round < 20; ++round) {
    expect_same(edited(rng, one, round), edited(rng, two, round), round % 2 ? 3 : 8);
    expect_same(one.substr(0, 300), edited(rng, one, 2 * round).substr(100, 400), 3);
    if (HasFatalFailure()) return;
  }
}

TEST(GreedyTiler, HonoursMasksOfPositionsThatMayNotMatch) {
  compare::GreedyTiler tiler;
  const std::vector<std::uint8_t> no_first_four = {0, 0, 0, 0, 1, 1, 1, 1, 1, 1};
  const auto& m = tiler.run("abcdefghij", "abcdefghij", 3, no_first_four.data(), nullptr);
  ASSERT_EQ(1u, m.size());
  EXPECT_EQ((compare::Match{4, 4, 6}), m[0]);
}

TEST(Tiling, PassPositionsAccountForEarlierCollapses) {
  // Original positions: "efgh" at A 7, B 0 becomes A 5, B 1 after "abcd"
  // (A 0, B 7) was collapsed to one space.
  const std::vector<compare::Match> m = {{0, 7, 4}, {7, 0, 4}};
  EXPECT_EQ((std::vector<compare::Tile>{{1, 8, 4}, {5, 1, 4}}),
            compare::to_pass_positions(m, 11, 11));
}

}  // namespace
