// Numbers and counts in ccsim-batch's words.
#include "text/batch_results.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "text/batch_messages.h"

namespace {

TEST(BatchResults, ThreePlacesAreCutNeverRoundedAndAnyDoubleFits) {
  EXPECT_EQ("0.599", text::three_places(0.599593));
  EXPECT_EQ("0.600", text::three_places(0.6));
  EXPECT_EQ("1.000", text::three_places(1));
  EXPECT_EQ("0.000", text::three_places(0));
  // A damaged shard file may carry anything: never more than the digits.
  const std::string huge = text::three_places(std::numeric_limits<double>::max());
  EXPECT_EQ(309u + 4u, huge.size());
  EXPECT_EQ(".000", huge.substr(huge.size() - 4));
  EXPECT_EQ("inf", text::three_places(std::numeric_limits<double>::infinity()));
  EXPECT_NE(std::string::npos, text::three_places(std::nan("")).find("nan"));
}

TEST(BatchResults, TheReportsBoundsAreCutToThreePlacesAsItsScoresAre) {
  // The default floor, 0.7 x 2/3: a pair listed at 0.4667 shows as 0.466,
  // not under a floor shown as 0.467.
  const double floor = 0.7 * 2 / 3;
  EXPECT_EQ("1 pair below the floor of 0.466: counted only, not charted",
            text::histogram_below(floor, 1));
  EXPECT_EQ("79638 pairs below the floor of 0.300: counted only, not charted",
            text::histogram_below(0.3, 79638));
  EXPECT_EQ("threshold 0.700", text::histogram_threshold(0.7));
  text::ScoringFacts facts;
  facts.threshold = 0.7;
  facts.floor = floor;
  facts.min_match = 16;
  facts.common_cutoff = 10;
  EXPECT_EQ("score >= 0.700, pairs below 0.466 counted only, runs over 16 characters, "
            "code in 10 or more submissions left out",
            text::report_scoring_note(facts));
  const std::string summary = text::report_summary({12, 0, 66, 40, 2}, facts, "f");
  EXPECT_NE(std::string::npos, summary.find("below the floor of 0.466,")) << summary;
  EXPECT_NE(std::string::npos, summary.find("at score &ge; 0.700.")) << summary;
  // On the terminal the options stay as given.
  EXPECT_EQ(0u, text::scoring_note(facts).find("score >= 0.7, pairs below 0.466667 counted only"));
}

TEST(BatchResults, CountsTakeTheirWordInTheSingularForOne) {
  EXPECT_EQ("1 pair", text::counted(1, "pair", "pairs"));
  EXPECT_EQ("0 pairs", text::counted(0, "pair", "pairs"));
  EXPECT_EQ("2 submissions", text::counted(2, "submission", "submissions"));
  EXPECT_EQ("0.4", text::shortest_number(0.4));
}

TEST(BatchResults, ProgressTellsNoTimeLeftBeforeAnyPairIsDone) {
  EXPECT_EQ("\rccsim-batch: 0/10 pairs, 0.2 s elapsed  ", text::batch_progress(0, 10, 0.2, 0));
  EXPECT_EQ("\rccsim-batch: 5/10 pairs, 1.0 s elapsed, about 1 s left  ",
            text::batch_progress(5, 10, 1.0, 1.0));
}

}  // namespace
