#include "compare/verdict.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/fake_platform.h"
#include "text/messages.h"

namespace {

using compare::similarity;

std::string verdict_for(float n) {
  testing_support::FakeConsole console;
  EXPECT_EQ(0, compare::copy(n, console));
  return console.out;
}

TEST(Similarity, IsRoundedToSinglePrecisionBeforePrinting) {
  EXPECT_EQ(text::similarity(0.313726f), text::similarity(similarity(8, 25, 26)));
  EXPECT_NE(std::string::npos, text::similarity(similarity(8, 25, 26)).find("0.313726\n"));
  EXPECT_NE(std::string::npos, text::similarity(similarity(27, 29, 29)).find("0.931035\n"));
  EXPECT_NE(std::string::npos, text::similarity(similarity(4, 7, 7)).find("0.571429\n"));
  EXPECT_NE(std::string::npos, text::similarity(similarity(31, 31, 31)).find("1.000000\n"));
}

TEST(Similarity, BothEmptyIsNotANumber) {
  EXPECT_TRUE(std::isnan(similarity(0, 0, 0)));
  EXPECT_NE(std::string::npos, text::similarity(similarity(0, 0, 0)).find("nan\n"));
}

TEST(Verdict, ThresholdIsInclusiveAndNanIsNoSuspicion) {
  const std::string note(text::kThresholdNote);
  EXPECT_EQ(note + std::string(text::kSuspected), verdict_for(similarity(4, 5, 5)));  // exactly 0.8
  EXPECT_EQ(note + std::string(text::kSuspected), verdict_for(1.0f));
  EXPECT_EQ(note + std::string(text::kNotSuspected), verdict_for(0.79999f));
  EXPECT_EQ(note + std::string(text::kNotSuspected), verdict_for(similarity(0, 0, 0)));
}

}  // namespace
