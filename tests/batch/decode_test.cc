#include "batch/decode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(Decode, Utf8IsKeptAndGbkIsConverted) {
  EXPECT_TRUE(batch::is_valid_utf8("plain"));
  EXPECT_TRUE(batch::is_valid_utf8("\xe4\xb8\xad\xe6\x96\x87"));  // 中文 in UTF-8
  EXPECT_FALSE(batch::is_valid_utf8("\xd6\xd0\xce\xc4"));         // 中文 in GBK
  EXPECT_FALSE(batch::is_valid_utf8("\xe4\xb8"));                 // cut short
  EXPECT_FALSE(batch::is_valid_utf8("\xc0\x80"));                 // overlong
  EXPECT_EQ("\xe4\xb8\xad\xe6\x96\x87", batch::to_utf8("\xe4\xb8\xad\xe6\x96\x87"));
  EXPECT_EQ(
      "a\xe4\xb8\xad\xe6\x96\x87"
      "b",
      batch::to_utf8("a\xd6\xd0\xce\xc4"
                     "b"));
}

TEST(Decode, StrayBytesBecomeReplacementCharacters) {
  EXPECT_EQ("a\xef\xbf\xbd", batch::gb18030_to_utf8("a\xff"));
  EXPECT_EQ("\xef\xbf\xbd", batch::gb18030_to_utf8("\xd6"));  // a lead byte at the end
}

TEST(Decode, CharactersAreSplitWhole) {
  std::vector<std::size_t> lengths;
  batch::for_each_character("a\xd6\xd0\x81\x30\x81\x30z", false,
                            [&](std::size_t, std::size_t n) { lengths.push_back(n); });
  EXPECT_EQ((std::vector<std::size_t>{1, 2, 4, 1}), lengths);
  lengths.clear();
  batch::for_each_character(
      "a\xe4\xb8\xad"
      "b",
      true, [&](std::size_t, std::size_t n) { lengths.push_back(n); });
  EXPECT_EQ((std::vector<std::size_t>{1, 3, 1}), lengths);
}

}  // namespace
