// Code common to a class: found by how many submissions hold it, never by
// where or in which order they come.
#include "batch/common_code.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using batch::CommonRule;
using batch::Span;

std::vector<std::vector<Span>> common_of(const std::vector<std::string>& texts,
                                         const CommonRule& rule, unsigned jobs = 1) {
  std::vector<batch::MaskedText> masked;
  for (const std::string& t : texts) masked.push_back(batch::MaskedText{t, nullptr});
  return batch::find_common(masked, rule, jobs);
}

TEST(CommonCode, CutoffIsTheLargerOfShareAndCountAndNothingInSmallClasses) {
  const CommonRule rule{true, 24, 0.2, 10};
  EXPECT_EQ(10u, batch::common_cutoff(rule, 12));
  EXPECT_EQ(80u, batch::common_cutoff(rule, 400));
  EXPECT_EQ(81u, batch::common_cutoff(rule, 401));  // a share rounds up
  // Fewer submissions than the count: nothing can be common.
  EXPECT_GT(batch::common_cutoff(rule, 2), 2u);
  EXPECT_GT(batch::common_cutoff(rule, 9), 9u);
  CommonRule off = rule;
  off.enabled = false;
  EXPECT_GT(batch::common_cutoff(off, 1000), 1000u);
}

TEST(CommonCode, AGramHeldByEnoughSubmissionsIsMarkedWherverItLies) {
  const std::string shared = "ABCDEFGH";
  const std::vector<std::string> texts = {
      "xx" + shared + "yy",   // in the middle
      shared + "zzzz",        // at the start
      "qqqqq" + shared,       // at the end
      "ABCDEFGXrrrr",         // one byte short of it: not common
      shared + "w" + shared,  // twice: still one submission
  };
  const auto spans = common_of(texts, CommonRule{true, 8, 0.0, 4});
  EXPECT_EQ((std::vector<Span>{{2, 8}}), spans[0]);
  EXPECT_EQ((std::vector<Span>{{0, 8}}), spans[1]);
  EXPECT_EQ((std::vector<Span>{{5, 8}}), spans[2]);
  EXPECT_TRUE(spans[3].empty());
  EXPECT_EQ((std::vector<Span>{{0, 8}, {9, 8}}), spans[4]);
  // Held by four of five; a cutoff of five finds nothing.
  for (const auto& s : common_of(texts, CommonRule{true, 8, 0.0, 5})) EXPECT_TRUE(s.empty());
}

TEST(CommonCode, OverlappingCommonGramsMergeAndMaskedPositionsBreakGrams) {
  std::vector<std::string> texts(3, "abcdefghij");
  auto spans = common_of(texts, CommonRule{true, 4, 0.0, 3});
  EXPECT_EQ((std::vector<Span>{{0, 10}}), spans[0]);
  // A masked position (template code) or a space splits the grams around it.
  texts[1] = "abcd efghij";
  const std::vector<std::uint8_t> allowed = {1, 1, 1, 1, 1, 0, 1, 1, 1, 1};
  std::vector<batch::MaskedText> masked = {
      {texts[0], allowed.data()}, {texts[1], nullptr}, {texts[2], nullptr}};
  spans = batch::find_common(masked, CommonRule{true, 4, 0.0, 3}, 1);
  EXPECT_EQ((std::vector<Span>{{0, 4}, {6, 4}}), spans[0]);
  EXPECT_EQ((std::vector<Span>{{0, 4}, {7, 4}}), spans[1]);
}

TEST(CommonCode, TheSameForAnyOrderAndAnyNumberOfThreads) {
  std::vector<std::string> texts;
  for (int k = 0; k < 40; ++k)
    texts.push_back("head" + std::string(k % 7, 'a') + "while(i<n)i++;" + std::to_string(k * 37) +
                    (k % 3 ? "return x+y;" : "return y;"));
  const CommonRule rule{true, 6, 0.25, 2};
  const auto forward = common_of(texts, rule, 1);
  std::vector<std::string> reversed(texts.rbegin(), texts.rend());
  const auto backward = common_of(reversed, rule, 2);
  ASSERT_EQ(forward.size(), backward.size());
  bool any = false;
  for (std::size_t k = 0; k < texts.size(); ++k) {
    EXPECT_EQ(forward[k], backward[texts.size() - 1 - k]) << k;
    any = any || !forward[k].empty();
  }
  EXPECT_TRUE(any);
}

}  // namespace
