// ccsim-batch's words around its results, in English.
#include "text/batch_results.h"

#include <charconv>
#include <cstdio>

namespace text {

std::string counted(std::uint64_t n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

std::string six_places(double v) {
  char buf[400];  // the largest double takes 316 characters
  return std::string(buf, std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 6).ptr);
}

std::string three_places(double v) {
  const std::string six = six_places(v);
  const std::size_t dot = six.find('.');
  return dot == std::string::npos ? six : six.substr(0, dot + 4);  // "inf", "nan" whole
}

std::string shortest_number(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

std::string score_formula(std::size_t guard, bool names, double padding, double margin) {
  const std::string code = "matched / max(sqrt(length1 x length2), " + std::to_string(guard) + ")";
  const std::string base = names ? "code + names x code x (1 - code), code = " + code : code;
  if (padding <= 0) return base;
  return "max(" + base + "; matched / max(shorter, longer code / " + shortest_number(padding) + ", " +
         std::to_string(guard) + ") - " + shortest_number(margin) + ")";
}

namespace {

std::string note_with(const ScoringFacts& f, std::string (*number)(double)) {
  std::string s = "score >= " + number(f.threshold) + ", ";
  if (f.floored) s += "pairs below " + number(f.floor) + " counted only, ";
  s += "runs over " + std::to_string(f.min_match) + " characters, ";
  s += f.common_cutoff == 0
           ? std::string("no common code left out")
           : "code in " + std::to_string(f.common_cutoff) + " or more submissions left out";
  if (!f.names) s += ", names not weighed";
  return s;
}

}  // namespace

std::string scoring_note(const ScoringFacts& f) { return note_with(f, shortest_number); }

std::string report_scoring_note(const ScoringFacts& f) { return note_with(f, three_places); }

std::string table_summary(std::size_t submissions, std::size_t skipped, std::uint64_t pairs,
                          std::size_t suspected, std::string_view note) {
  std::string s = counted(submissions, "submission", "submissions") + ", ";
  if (skipped > 0) s += std::to_string(skipped) + " skipped, ";
  return s + counted(pairs, "pair", "pairs") + ", " + std::to_string(suspected) + " suspected (" +
         std::string(note) + ")\n";
}

std::string table_heading(std::size_t name_width) {
  char line[128];
  std::snprintf(line, sizeof line, "%4s  %5s  %8s  %10s  %7s  %7s  %5s  %5s  ", "rank", "score",
                "coverage", "similarity", "matched", "longest", "tiles", "names");
  const std::string first = "first";
  const std::size_t pad = name_width > first.size() ? name_width - first.size() : 0;
  return line + first + std::string(pad + 2, ' ') + "second\n";
}

const std::string_view kSuspectedMark = "  suspected";

std::string more_pairs(std::size_t n) {
  return "(" + counted(n, "more pair", "more pairs") + ": --top, --format csv)\n";
}

std::string report_summary(const ReportCounts& c, const ScoringFacts& f, std::string_view formula) {
  std::string s = "<p>" + counted(c.submissions, "submission", "submissions");
  if (c.earlier > 0) s += " (" + std::to_string(c.earlier) + " of them earlier ones)";
  s += ", " + counted(c.pairs, "pair", "pairs");
  if (c.below_floor > 0)
    s += " (" + std::to_string(c.below_floor) + " of them below the floor of " +
         three_places(f.floor) + ", counted only)";
  s += ", <strong>" + std::to_string(c.suspected) + " suspected</strong> at score &ge; " +
       three_places(f.threshold) + ". Runs count when longer than " +
       std::to_string(f.min_match) + " token-string characters";
  if (f.templated) s += "; template code removed first";
  if (f.common_cutoff > 0)
    s += "; code found in " + std::to_string(f.common_cutoff) +
         " or more submissions counts for nothing";
  s += ". The score is " + std::string(formula) +
       " (lengths less template and common code); coverage is the share of the smaller "
       "submission that lies in shared runs; similarity is 2&times;matched &divide; (sum of "
       "lengths)";
  if (f.names)
    s += "; names is how far the two share identifiers, string literals and comment words "
         "that are rare in the class (0 to 1)";
  s += ".</p>";
  return s;
}

const std::string_view kSummaryHeading = "Summary";
const std::string_view kSkippedHeading = "Files skipped";
const std::string_view kScoreHistogram = "score of the pairs at or above the floor";
const std::string_view kSimilarityHistogram = "similarity of the pairs at or above the floor";
const std::string_view kHistogramUncharted = "below the floor";
const std::string_view kHistogramAxis = "pairs (square-root scale)";

std::string histogram_bin(int from_percent, int to_percent, std::uint64_t pairs) {
  return std::to_string(from_percent) + "-" + std::to_string(to_percent) +
         "%: " + std::to_string(pairs) + " pairs";
}

std::string histogram_below(double floor, std::uint64_t pairs) {
  return counted(pairs, "pair", "pairs") + " below the floor of " + three_places(floor) +
         ": counted only, not charted";
}

std::string histogram_threshold(double threshold) {
  return "threshold " + three_places(threshold);
}

}  // namespace text
