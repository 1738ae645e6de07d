// The ranked pairs on standard output: a table for people, CSV and JSON for
// other programs.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "batch/options.h"
#include "batch/scoring.h"
#include "batch/submission.h"
#include "text/batch_results.h"

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

/// What the writers need of a run's outcome: the class's own lines, and the
/// pairs listed, in rank order. A run gives it (listing_of), and so do the
/// joined outputs of its shards.
struct Listing {
  std::size_t submissions = 0;
  std::size_t skipped = 0;
  std::uint64_t pairs = 0;  // in the run, those below the floor too
  double threshold = 0;
  std::string note;        // how pairs were scored (scoring_note)
  std::string json_head;   // the JSON object's fields before the pair counts
  std::string json_class;  // its "submissions" and "skipped" fields
  std::size_t count = 0;   // pairs listed
  std::function<const std::string&(std::size_t)> first;  // the raw names of pair k
  std::function<const std::string&(std::size_t)> second;
  std::function<const PairScore&(std::size_t)> pair;
  std::function<std::string(std::size_t)> tile_list;  // JSON array of pair k's tiles
};

/// The listing of `run`; it refers to `run`, which must outlive it.
Listing listing_of(const Run& run);
std::size_t suspected_count(const Listing& listing);

/// Summary line and the top pairs, aligned.
void write_table(std::ostream& out, const Listing& listing, int top);
/// Header `first,second,score,coverage,similarity,matched,longest,tiles`,
/// a row per pair in rank order.
void write_csv(std::ostream& out, const Listing& listing);
/// The same fields per pair plus its tiles (positions and source lines).
void write_json(std::ostream& out, const Listing& listing);

/// Parts of the JSON output that depend on the run as a whole.
std::string json_head(const Run& run);
std::string json_class(const Run& run);
std::string json_tile_list(const Run& run, const PairScore& pair);

/// Quoting for the formats, shared with the report.
std::string csv_field(const std::string& raw);
std::string json_string(const std::string& raw);  // a name or path, as shown
std::string json_quote(const std::string& s);     // UTF-8 text as it is

/// How the score is made, in words, and the settings the summaries name.
std::string score_name(const Options& o);
text::ScoringFacts scoring_facts(const Run& run);

}  // namespace batch
