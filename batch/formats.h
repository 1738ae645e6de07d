// The ranked pairs on standard output: a table for people, CSV and JSON for
// other programs.
#pragma once

#include <ostream>
#include <vector>

#include "batch/options.h"
#include "batch/scoring.h"
#include "batch/submission.h"

namespace batch {

struct Run {
  const Options& options;
  const std::vector<Submission>& subs;
  const std::vector<Prepared>& prepared;
  const std::vector<PairScore>& ranked;  // in rank order: the pairs at or above the floor
  const std::vector<Skipped>& skipped;
  std::size_t fresh;    // subs[0, fresh) are new, the rest old
  std::uint64_t pairs;  // in the run, those below the floor too
};

std::size_t suspected_count(const Run& run);

/// Summary line and the top pairs, aligned.
void write_table(std::ostream& out, const Run& run);
/// Header `first,second,score,coverage,similarity,matched,longest,tiles`,
/// a row per pair in rank order.
void write_csv(std::ostream& out, const Run& run);
/// The same fields per pair plus its tiles (positions and source lines).
void write_json(std::ostream& out, const Run& run);

/// Quoting for the formats, shared with the report.
std::string csv_field(const std::string& s);
std::string json_string(const std::string& raw);  // a name or path, as shown
std::string json_quote(const std::string& text);  // UTF-8 text as it is
std::string fixed6(double v);
std::string shortest(double v);  // as few digits as show it

/// How the score is made, in words, and what the summary says of it.
std::string score_name();
std::string scoring_note(const Run& run);

}  // namespace batch
