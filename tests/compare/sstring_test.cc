#include "compare/sstring.h"

#include <gtest/gtest.h>

namespace {

using compare::make_sstring;
using compare::replace;
using compare::view;

TEST(Replace, CollapsesARunIntoOneSpace) {
  auto s = make_sstring("abcdefgh");
  EXPECT_EQ(1, replace(s, 3, 4, 8));
  EXPECT_EQ("ab gh", view(s, 5));
}

TEST(Replace, RunAtTheVeryEndCopiesNothing) {
  auto s = make_sstring("abcdef");
  EXPECT_EQ(1, replace(s, 3, 4, 6));
  EXPECT_EQ("ab ", view(s, 3));
  EXPECT_EQ('e', s.ch[5]);  // stale bytes beyond the new length stay
}

TEST(Replace, WholeStringBecomesOneSpace) {
  auto s = make_sstring("abcd");
  EXPECT_EQ(1, replace(s, 1, 4, 4));
  EXPECT_EQ(" ", view(s, 1));
}

TEST(Replace, RefusesOutOfRangeAndChangesNothing) {
  auto s = make_sstring("abcdef");
  EXPECT_EQ(0, replace(s, 0, 2, 6));
  EXPECT_EQ(0, replace(s, 4, 4, 6));  // would run past the end
  EXPECT_EQ(0, replace(s, 1, -1, 6));
  EXPECT_EQ(0, replace(s, 1, 0, 6));  // a zero length would have to grow it
  EXPECT_EQ(0, replace(s, 1, 2, 7));  // claims more than is stored
  EXPECT_EQ("abcdef", view(s, 6));
}

}  // namespace
