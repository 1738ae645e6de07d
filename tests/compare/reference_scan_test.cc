#include "compare/reference_scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using compare::reference_tiling;
using compare::Tile;
using Tiles = std::vector<Tile>;

TEST(ReferenceTiling, IdenticalStringsCollapseInOnePass) {
  EXPECT_EQ((Tiles{{1, 1, 31}}), reference_tiling("zhmain(){zhid=1;printf(id,id);}",
                                                  "zhmain(){zhid=1;printf(id,id);}", 3));
}

TEST(ReferenceTiling, RunsOfMinimumLengthOrLessDoNotCount) {
  EXPECT_EQ(Tiles{}, reference_tiling("abc", "abc", 3));
  EXPECT_EQ(Tiles{}, reference_tiling("xabcx", "yabcy", 3));
  EXPECT_EQ((Tiles{{2, 2, 4}}), reference_tiling("xabcdx", "yabcdy", 3));
  EXPECT_EQ(Tiles{}, reference_tiling("", "abcdef", 3));
  EXPECT_EQ(Tiles{}, reference_tiling("", "", 3));
}

TEST(ReferenceTiling, EqualLengthsGoToTheSmallestPositionInA) {
  // abcd is met first; efgh follows in the shortened strings.
  EXPECT_EQ((Tiles{{1, 8, 4}, {5, 1, 4}}), reference_tiling("abcdQQQefgh", "efghRRRabcd", 3));
}

TEST(ReferenceTiling, TiesInAGoToTheSmallestPositionInB) {
  EXPECT_EQ((Tiles{{1, 2, 4}}), reference_tiling("abcd", "xabcdabcd", 3));
}

TEST(ReferenceTiling, OverlappingRunsCountOnce) {
  EXPECT_EQ((Tiles{{1, 1, 4}}), reference_tiling("abcde", "abcdXbcde", 3));
}

TEST(ReferenceTiling, SpacesAndNulsNeverMatch) {
  EXPECT_EQ(Tiles{}, reference_tiling("ab cd", "ab cd", 3));
  EXPECT_EQ(Tiles{}, reference_tiling(std::string("ab\0cd", 5), std::string("ab\0cd", 5), 3));
  EXPECT_EQ((Tiles{{1, 1, 4}}),
            reference_tiling(std::string("abcd\0abc", 8), std::string("abcd\0abc", 8), 3));
}

TEST(ReferenceTiling, CollapsedRunsBlockLaterRunsAcrossThem) {
  // Once "abcdefgh" is collapsed, the run "xxab" (A 1, B 9) is cut by its space.
  EXPECT_EQ((Tiles{{3, 1, 8}}), reference_tiling("xxabcdefgh", "abcdefghxxab", 3));
}

}  // namespace
