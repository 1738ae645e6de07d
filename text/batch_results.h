// The words around ccsim-batch's results: the table's summary line and
// headings, and the prose of the report's summary and histograms. The
// machine formats' names (CSV header, JSON keys) belong to the formats.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace text {

/// "1 pair", "2 pairs": the count and the word that goes with it.
std::string counted(std::uint64_t n, std::string_view one, std::string_view many);

/// A number with as few digits as show it ("%g").
std::string shortest_number(double v);

/// A number to six places, as CSV and JSON give figures (whatever the
/// locale; any double fits).
std::string six_places(double v);

/// A figure in [0, 1] to three places, cut from its six-place form, not
/// rounded: 0.5996 shows as 0.599, so that a score under the
/// threshold never shows as reaching it.
std::string three_places(double v);

/// "matched / max(sqrt(length1 x length2), <guard>)", with `names` how the
/// names' agreement raises it, and with a `padding` above 0 the floor the
/// matched share of the shorter submission sets.
std::string score_formula(std::size_t guard, bool names, double padding, double margin);

/// What a run's figures were made with, as its summaries say it.
struct ScoringFacts {
  double threshold = 0;
  bool floored = true;  // pairs below `floor` are counted only
  double floor = 0;
  int min_match = 0;
  bool templated = false;         // template code was tiled out first
  std::size_t common_cutoff = 0;  // 0: no code counts as common
  bool names = true;              // shared names raise the score
};

/// "score >= 0.6, pairs below 0.4 counted only, runs over 12 characters,
/// code in 10 or more submissions left out"
std::string scoring_note(const ScoringFacts& facts);
/// The same as the report says it: every figure to three places, cut as
/// the scores are ("score >= 0.700, pairs below 0.466 counted only, ...").
std::string report_scoring_note(const ScoringFacts& facts);

/// "<n> submissions, [<k> skipped, ]<p> pairs, <s> suspected (<note>)\n"
std::string table_summary(std::size_t submissions, std::size_t skipped, std::uint64_t pairs,
                          std::size_t suspected, std::string_view note);
/// The table's column headings, the names' column `name_width` wide.
std::string table_heading(std::size_t name_width);
extern const std::string_view kSuspectedMark;  // after a suspected row
/// "(<n> more pairs: --top, --format csv)\n"
std::string more_pairs(std::size_t n);

/// The report's summary paragraph (HTML; `formula` already escaped).
struct ReportCounts {
  std::size_t submissions = 0;
  std::size_t earlier = 0;  // of them, old submissions
  std::uint64_t pairs = 0;
  std::uint64_t below_floor = 0;
  std::size_t suspected = 0;
};
std::string report_summary(const ReportCounts& counts, const ScoringFacts& facts,
                           std::string_view formula);
extern const std::string_view kSummaryHeading;
extern const std::string_view kSkippedHeading;
extern const std::string_view kScoreHistogram;
extern const std::string_view kSimilarityHistogram;
extern const std::string_view kHistogramAxis;
extern const std::string_view kHistogramUncharted;  // the shaded stretch under the floor
/// A histogram bar's tooltip: "<from>-<to>%: <n> pairs".
std::string histogram_bin(int from_percent, int to_percent, std::uint64_t pairs);
/// "<n> pairs below the floor of <f>: counted only, not charted"
std::string histogram_below(double floor, std::uint64_t pairs);
/// The threshold's mark on the histogram: "threshold <t>"
std::string histogram_threshold(double threshold);

}  // namespace text
