// ccsim-batch: every pair of a class's submissions, ranked, with evidence.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "batch/candidates.h"
#include "batch/formats.h"
#include "batch/html_report.h"
#include "batch/names.h"
#include "batch/options.h"
#include "batch/past_index.h"
#include "batch/report_beside.h"
#include "batch/roster.h"
#include "batch/scoring.h"
#include "batch/shards.h"
#include "batch/submission.h"
#include "platform/arguments.h"
#include "platform/file.h"
#include "platform/system.h"
#include "platform/utf8_console.h"
#include "text/batch_messages.h"

namespace {

constexpr int kNoneSuspected = 0;  // and a shard file written
constexpr int kSomeSuspected = 1;
constexpr int kTrouble = 2;

void say(const std::string& s) { platform::write_error(s); }

bool every_pair(const batch::Options& o) { return o.all_pairs || o.floor <= 0; }

// Scores the pairs, redrawing a progress line on standard error meanwhile
// when that is a terminal.
batch::Found score_with_progress(std::vector<batch::Prepared>* prepared, std::size_t fresh,
                                 const batch::Options& o) {
  std::atomic<std::uint64_t> done{0};
  const batch::PairRange range{fresh, o.shard, o.shards};
  auto score = [&] {
    return every_pair(o) ? batch::score_every_pair(*prepared, range, o.min_match,
                                                   batch::rule_for(o.as_ccsim), o.jobs, &done)
                         : batch::score_candidates(prepared, range, o.min_match,
                                                   batch::rule_for(o.as_ccsim),
                                                   o.floor, o.jobs, &done);
  };
  const bool show = !o.quiet && isatty(STDERR_FILENO);
  if (!show) return score();
  const std::size_t n = prepared->size();
  const std::uint64_t others = n - fresh;
  const std::uint64_t all = fresh * (fresh - (fresh > 0)) / 2 + fresh * others;
  const std::uint64_t expected = (all + o.shards - 1) / o.shards;
  batch::Found found;
  std::atomic<bool> finished{false};
  std::exception_ptr failure;
  std::thread worker([&] {
    try {
      found = score();
    } catch (...) {
      failure = std::current_exception();
    }
    finished = true;
  });
  const auto start = std::chrono::steady_clock::now();
  std::size_t width = 0;  // of the progress line on screen
  while (!finished) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::uint64_t k = std::min<std::uint64_t>(done, expected);
    const double left =
        k ? elapsed * static_cast<double>(expected - k) / static_cast<double>(k) : 0;
    const std::string line = text::batch_progress(k, expected, elapsed, left);
    width = std::max(width, line.size());
    say(line);
  }
  worker.join();
  // Blanked with spaces: a Windows console may take no escape sequences.
  if (width > 0) say("\r" + std::string(width, ' ') + "\r");
  if (failure) std::rethrow_exception(failure);
  return found;
}

void write_listing(const batch::Listing& listing, const batch::Options& o) {
  switch (o.format) {
    case batch::Format::kTable: batch::write_table(std::cout, listing, o.top); break;
    case batch::Format::kCsv: batch::write_csv(std::cout, listing); break;
    case batch::Format::kJson: batch::write_json(std::cout, listing); break;
  }
}

// False, said, when standard output failed: a full disk or a closed pipe
// would lose the pairs.
bool output_written() {
  std::cout.flush();
  if (std::cout) return true;
  say(text::batch_error(text::batch_unwritable(text::kStandardOutput)));
  return false;
}

// False, said, when writing `what` at `path` would destroy something the run
// reads: a source, or an archive or index named on the command line.
bool safe_to_write(const std::string& path, std::string_view what, const batch::Options& o,
                   const std::vector<batch::Submission>& subs, const batch::Submission& base) {
  std::vector<std::string> given = o.paths;
  given.insert(given.end(), o.olds.begin(), o.olds.end());
  given.insert(given.end(), o.bases.begin(), o.bases.end());
  const batch::Overwrites hit = batch::overwrites(path, given, subs, base);
  if (hit == batch::Overwrites::kNothing) return true;
  say(text::batch_error(text::batch_output_over_input(batch::shown_name(path),
                                                      hit == batch::Overwrites::kSource, what)));
  return false;
}

// The report, once written, handed to the default browser. Where none can
// be started, the run says where the report is, as it does when `say_where`
// (a class dropped on the program), and ends as it would have.
void open_report(const std::string& path, bool say_where) {
  platform::SystemViewer viewer;
  const bool opened = viewer.open(path);
  if (opened && !say_where) return;
  std::error_code ec;
  const std::filesystem::path full = std::filesystem::absolute(platform::fs_path(path), ec);
  const std::string where = ec ? path : platform::path_text(full);
  say(opened ? text::report_opened(where) : text::report_not_opened(where));
}

// --merge: the shard files of a run joined into its output.
int merge(const batch::Options& o) {
  batch::Merged merged;
  std::string error;
  if (!merged.read(o.merge, &error)) {
    say(text::batch_error(error));
    return kTrouble;
  }
  const batch::Listing listing = merged.listing();
  write_listing(listing, o);
  if (!output_written()) return kTrouble;
  return batch::suspected_count(listing) > 0 ? kSomeSuspected : kNoneSuspected;
}

int run(int argc, char** argv) {
  batch::Options o;
  std::string error;
  const std::vector<std::string> given = platform::arguments(argc, argv);
  std::vector<const char*> args = {argc > 0 ? argv[0] : "ccsim-batch"};
  for (const std::string& a : given) args.push_back(a.c_str());
  switch (batch::parse_options(static_cast<int>(args.size()), args.data(), &o, &error)) {
    case batch::Parsed::kHelp: std::cout << batch::usage(); return kNoneSuspected;
    case batch::Parsed::kVersion: std::cout << text::kBatchVersion; return kNoneSuspected;
    case batch::Parsed::kError: say(text::batch_usage_error(error)); return kTrouble;
    case batch::Parsed::kRun: break;
  }
  if (!o.merge.empty()) return merge(o);
  batch::Reading reading;
  reading.stop_at_eof_byte = o.as_ccsim;
  reading.max_size = o.max_size;
  reading.extensions = o.extensions;
  reading.jobs = o.jobs;
  std::vector<batch::Submission> subs;
  std::vector<batch::Skipped> skipped;
  batch::Submission base;
  // A path that gives nothing, not even a file that fails to read, is named
  // afterwards: a wrong folder must not pass for a class without copies.
  std::vector<std::string> empty;
  auto from = [&](const std::string& p, auto gather) {
    const std::size_t had = subs.size() + base.files.size() + skipped.size();
    if (!gather()) return false;
    if (subs.size() + base.files.size() + skipped.size() == had) empty.push_back(p);
    return true;
  };
  bool ok = true;
  for (const std::string& p : o.paths)
    ok = ok && from(p, [&] { return batch::collect(p, false, reading, &subs, &skipped, &error); });
  std::size_t fresh = subs.size();
  for (const std::string& p : o.olds)
    ok = ok && from(p, [&] {
           return batch::is_index_file(p, reading)
                      ? batch::read_index(p, reading, &subs, &error)
                      : batch::collect(p, true, reading, &subs, &skipped, &error);
         });
  for (const std::string& p : o.bases)
    ok = ok && from(p, [&] { return batch::collect_as_one(p, reading, &base, &skipped, &error); });
  if (!ok) {
    say(text::batch_error(error));
    return kTrouble;
  }
  batch::settle(&subs, &fresh, &skipped);
  for (const batch::Skipped& s : skipped)
    say(text::batch_skipped(batch::shown_name(s.path), s.reason));
  for (const std::string& p : empty) say(text::batch_nothing_found(batch::shown_name(p)));
  if (!o.write_index.empty()) {
    // An index of nothing would pass later for an archive of past years.
    if (subs.empty()) {
      say(text::batch_error(text::index_of_nothing(batch::shown_name(o.write_index))));
      return kTrouble;
    }
    if (!safe_to_write(o.write_index, text::kTheIndex, o, subs, base)) return kTrouble;
    if (!batch::write_index(o.write_index, subs, reading, &error)) {
      say(text::batch_error(error));
      return kTrouble;
    }
    if (!o.quiet) say(text::index_written(subs.size(), batch::shown_name(o.write_index)));
    return kNoneSuspected;
  }

  // Without a new submission nothing is compared: saying "none suspected"
  // would pass a wrong folder or extension for a clean class.
  if (fresh == 0) {
    say(text::batch_error(text::kNothingToCompare));
    return kTrouble;
  }

  // The class given as the template, or a student's file: nothing of theirs
  // could match, and a run of zeros would pass for a clean class.
  if (const std::vector<std::size_t> both = batch::in_template(subs, base); !both.empty()) {
    std::vector<std::string> names;
    for (std::size_t k = 0; k < both.size() && k < 3; ++k)
      names.push_back(batch::shown_name(subs[both[k]].name));
    say(text::batch_template_holds_submissions(both.size(), subs.size(), names));
  }

  // A class's archive saved into a folder, and the folder named: there the
  // archive is one student's work.
  if (subs.size() == 1 && batch::is_archive_in_folder(subs[0]))
    say(text::batch_lone_archive(batch::shown_name(subs[0].full_name)));

  // A class dropped on the program (its console window its own) has its
  // report written beside it, unasked: nobody there types --report.
  const bool dropped = o.report.empty() && !o.sharded && platform::console_window_is_own();

  // Refused before any work, so that nothing is listed for a run that fails.
  if (!o.report.empty() && !safe_to_write(o.report, text::kTheReport, o, subs, base))
    return kTrouble;

  // With the index only the submissions in some candidate pair are made
  // ready for tiling, as the pairs are found.
  batch::Preparation how{base.tokens, o.min_match, o.common, every_pair(o), o.names, {}};
  for (const batch::SourceFile& f : base.files) how.given.push_back(f.text);
  std::vector<batch::Prepared> prepared = batch::prepare_all(subs, how, o.jobs);
  batch::Found found = score_with_progress(&prepared, fresh, o);
  batch::rank(&found.pairs, subs);

  // Submissions from an index are traced back to their sources only where
  // an output shows source lines.
  if (o.format == batch::Format::kJson || !o.report.empty() || o.sharded || dropped)
    for (const batch::PairScore& p : found.pairs)
      for (std::uint32_t k : {p.first, p.second})
        if (!batch::trace(&subs[k])) {
          say(text::batch_error(batch::shown_name(subs[k].name) + ": " +
                                std::string(text::kIndexOfAnotherTokeniser)));
          return kTrouble;
        }
  const batch::Run result{o, subs, prepared, found.pairs, skipped, fresh, found.total};
  const batch::Listing listing = batch::listing_of(result);
  if (o.sharded) {
    batch::write_shard(std::cout, listing, o.shard, o.shards);
  } else {
    write_listing(listing, o);
  }
  // The report asked for is written even when standard output failed (a
  // reader gone after the lines it wanted, `| head -1`).
  const bool listed = output_written();
  std::string beside;  // the report of a dropped class
  const bool reported =
      dropped ? batch::write_report_beside(o.paths, result, &beside, &error)
              : o.report.empty() || batch::write_report(o.report, result, &error);
  if (!reported) say(text::batch_error(error));
  if (!listed || !reported) return kTrouble;
  if (dropped) open_report(beside, true);
  if (o.open_report) open_report(o.report, false);
  // A slice's result is its file: the verdict is the merge's to give. A
  // scheduler takes any other status for a failed task (GNU parallel's own
  // status counts them).
  if (o.sharded) return kNoneSuspected;
  return batch::suspected_count(result) > 0 ? kSomeSuspected : kNoneSuspected;
}

// Running out of memory or threads ends the run with a message, never an
// abort: nothing is flagged, and exit status 2 says the run did not finish.
int run_to_the_end(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const std::bad_alloc&) {
    say(text::batch_error(text::kBatchOutOfMemory));
  } catch (const std::system_error& e) {
    say(text::batch_error(text::batch_no_thread(e.what())));
  }
  return kTrouble;
}

}  // namespace

int main(int argc, char** argv) {
  platform::make_closed_pipes_write_errors();
  const platform::Utf8Console console;
  const int status = run_to_the_end(argc, argv);
  // A window of the program's own (a folder dropped on it) would close with
  // the table unread.
  if (platform::console_window_is_own()) platform::wait_for_key(text::kPressAKeyToClose);
  return status;
}
