// The report's histograms: round ticks that never crowd, the pairs below
// the floor in words rather than a bar, the threshold drawn and named.
#include "batch/report_charts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using batch::count_ticks;
using batch::histogram;

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(ReportCharts, TicksAreRoundCountsThatStandApart) {
  // 79,638: the bar that once flattened all the others.
  const std::vector<std::uint64_t> ticks = count_ticks(79638, 112, 13);
  ASSERT_GE(ticks.size(), 3u);
  EXPECT_EQ(0u, ticks.back());
  double last = 1e9;
  for (std::uint64_t t : ticks) {
    if (t == 0) continue;
    std::string digits = std::to_string(t);
    EXPECT_TRUE(digits[0] == '1' || digits[0] == '2' || digits[0] == '5') << t;
    EXPECT_EQ(std::string(digits.size() - 1, '0'), digits.substr(1)) << t;
    EXPECT_LE(t, 79638u);
    const double h = 112 * std::sqrt(static_cast<double>(t) / 79638);
    EXPECT_GE(last - h, 13) << t;
    last = h;
  }
  EXPECT_EQ((std::vector<std::uint64_t>{1, 0}), count_ticks(1, 112, 13));
  EXPECT_EQ((std::vector<std::uint64_t>{2, 1, 0}), count_ticks(2, 112, 13));
}

TEST(ReportCharts, PairsBelowTheFloorAreSaidNotDrawn) {
  const std::vector<double> scores = {0.95, 0.96, 0.5, 0.71, 0.469};
  const std::string svg = histogram(scores, {"score", 0.7, 0.466667, true, 79638});
  // A bar per bin holding pairs: 0.45-0.5, 0.5-0.55, 0.7-0.75, 0.95-1.
  EXPECT_EQ(4u, count(svg, "<title>"));
  EXPECT_EQ(2u, count(svg, "<rect class=\"over\""));  // at or over the threshold
  EXPECT_NE(std::string::npos,
            svg.find("79638 pairs below the floor of 0.466: counted only, not charted"));
  EXPECT_NE(std::string::npos, svg.find("class=\"unscored\""));
  EXPECT_NE(std::string::npos, svg.find(">threshold 0.700<"));
  for (const char* tick : {">0<", ">0.1<", ">0.5<", ">0.9<", ">1<"})
    EXPECT_NE(std::string::npos, svg.find(tick)) << tick;
  // The similarity's axis is not the score's: nothing shaded, the count still said.
  const std::string other = histogram(scores, {"similarity", -1, 0.466667, false, 79638});
  EXPECT_EQ(std::string::npos, other.find("class=\"unscored\""));
  EXPECT_EQ(std::string::npos, other.find("threshold"));
  EXPECT_NE(std::string::npos, other.find("79638 pairs below the floor"));
  // None below the floor: nothing said.
  EXPECT_EQ(std::string::npos,
            histogram(scores, {"score", 0.7, 0.466667, true, 0}).find("below the floor of"));
}

}  // namespace
