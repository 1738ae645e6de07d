// write_report(): the page template with its style, script and data filled
// in. The data holds each source once; the script draws the rest.
#include "batch/html_report.h"

#include <ctime>
#include <map>
#include <sstream>
#include <utility>

#include "batch/names.h"
#include "batch/report_charts.h"
#include "batch/sha256.h"
#include "platform/file.h"
#include "text/batch_messages.h"
#include "text/batch_results.h"

namespace batch {

// The files of the page, built in (cmake/embed.cmake).
#define CCSIM_EMBEDDED(name) \
  extern const char name[];  \
  extern const std::size_t name##Size;
CCSIM_EMBEDDED(kReportPage)
CCSIM_EMBEDDED(kReportWords)
CCSIM_EMBEDDED(kReportStyle)
CCSIM_EMBEDDED(kReportPrint)
CCSIM_EMBEDDED(kReportPure)
CCSIM_EMBEDDED(kReportDecisions)
CCSIM_EMBEDDED(kReportWindow)
CCSIM_EMBEDDED(kReportLists)
CCSIM_EMBEDDED(kReportEvidence)
CCSIM_EMBEDDED(kReportGroups)
CCSIM_EMBEDDED(kReportDesk)
#undef CCSIM_EMBEDDED

namespace {

std::string escape(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// The local date and time, as the report's header says when it was written.
std::string now() {
  const std::time_t t = std::time(nullptr);
  char buf[32];
  const std::tm* local = std::localtime(&t);
  if (!local || !std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M", local)) return "";
  return buf;
}

std::string summary(const Run& run) {
  const Options& o = run.options;
  std::vector<double> score, similarity;
  for (const PairScore& p : run.ranked) {
    score.push_back(p.score);
    similarity.push_back(p.similarity);
  }
  const std::uint64_t below = run.pairs - run.ranked.size();
  text::ReportCounts counts;
  counts.submissions = run.subs.size();
  counts.earlier = run.subs.size() - run.fresh;
  counts.pairs = run.pairs;
  counts.below_floor = below;
  counts.suspected = suspected_count(run);
  std::ostringstream out;
  out << "<section id=\"summary\"><h2>" << text::kSummaryHeading << "</h2>"
      << text::report_summary(counts, scoring_facts(run), escape(score_name(o)))
      << "<div class=\"hists\">"
      << histogram(score, {text::kScoreHistogram, o.threshold, o.floor, !o.all_pairs, below})
      << histogram(similarity, {text::kSimilarityHistogram, -1, o.floor, false, below}) << "</div>";
  if (!run.skipped.empty()) {
    out << "<h3>" << text::kSkippedHeading << "</h3><ul>";
    for (const Skipped& s : run.skipped)
      out << "<li>" << escape(shown_name(s.path)) << ": " << escape(s.reason) << "</li>";
    out << "</ul>";
  }
  out << "</section>";
  return out.str();
}

// The template with each of its @SLOT@ marks replaced. Only the template is
// searched for marks, never what is put in: a source that holds "@DATA@"
// stays as it is.
std::string assemble(std::string_view page, const std::map<std::string, std::string>& slots) {
  std::string out;
  for (std::size_t at = 0; at < page.size();) {
    const std::size_t mark = page.find('@', at);
    const std::size_t end = mark == std::string_view::npos ? mark : page.find('@', mark + 1);
    if (end == std::string_view::npos) {
      out += page.substr(at);
      break;
    }
    const auto slot = slots.find(std::string(page.substr(mark + 1, end - mark - 1)));
    if (slot == slots.end()) {
      out += page.substr(at, end - at);
      at = end;
      continue;
    }
    out += page.substr(at, mark - at);
    out += slot->second;
    at = end + 1;
  }
  return out;
}

}  // namespace

std::string report_page(const Run& run, const ReportLimits& limits) {
  const std::string style =
      std::string(kReportStyle, kReportStyleSize) + std::string(kReportPrint, kReportPrintSize);
  // The script's files share one scope, in this order: the last starts the page.
  std::string script = "(function () {\n'use strict';\n";
  using Part = std::pair<const char*, std::size_t>;
  for (const Part& part :
       {Part{kReportPure, kReportPureSize}, Part{kReportDecisions, kReportDecisionsSize},
        Part{kReportWindow, kReportWindowSize}, Part{kReportLists, kReportListsSize}, Part{kReportEvidence, kReportEvidenceSize},
        Part{kReportGroups, kReportGroupsSize}, Part{kReportDesk, kReportDeskSize}})
    script.append(part.first, part.second);
  script += "})();\n";
  // Nothing may load from anywhere; only this very style and script run.
  const std::string policy = "default-src 'none'; script-src '" + csp_hash(script) +
                             "'; style-src '" + csp_hash(style) + "'; img-src data:";
  const PageData data = page_data(run, limits, now());
  return assemble(std::string_view(kReportPage, kReportPageSize),
                  {{"POLICY", policy},
                   {"STYLE", style},
                   {"SUMMARY", summary(run)},
                   {"DATA", data.main},
                   {"OTHERS", data.others},
                   {"WORDS", std::string(kReportWords, kReportWordsSize)},
                   {"SCRIPT", script}});
}

bool write_report(const std::string& path, const Run& run, std::string* error) {
  if (!platform::write_whole(path, report_page(run, ReportLimits{}))) {
    *error = text::batch_unwritable(shown_name(path));
    return false;
  }
  return true;
}

}  // namespace batch
