// ccsim-batch as a user runs it: the command line, exit statuses, what is
// written where, and the formats' fields.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/run_batch.h"
#include "tests/support/archive_maker.h"
#include "tests/support/run_binary.h"
#include "tests/support/temp_dir.h"

namespace {

using std::string;
using testing_support::batch;
using testing_support::kClass;
using testing_support::kTemplate;
using testing_support::lines;
using testing_support::read_bytes;
using testing_support::RunOptions;
using testing_support::RunResult;
using testing_support::write_bytes;

TEST(BatchCli, HelpVersionAndUsageErrors) {
  const RunResult help = batch({"--help"});
  EXPECT_EQ(0, help.exit_status);
  EXPECT_NE(string::npos, help.out.find("Usage: ccsim-batch [OPTIONS] [PATH...]"));
  EXPECT_NE(string::npos, help.out.find("-t,--threshold T"));
  EXPECT_EQ("ccsim-batch 1.0.0\n", batch({"--version"}).out);
  const RunResult bad = batch({"--format", "xml", kClass});
  EXPECT_EQ(2, bad.exit_status);
  EXPECT_EQ("", bad.out);
  EXPECT_EQ("ccsim-batch: --format: xml not in {table,csv,json}\nTry 'ccsim-batch --help'.\n",
            bad.err);
  EXPECT_EQ(2, batch({}).exit_status);
}

// `--floor nan` flagged nothing, exited 0 and wrote "floor":nan into the
// JSON; a figure must be a number.
TEST(BatchCli, FiguresThatAreNoNumbersAreUsageErrors) {
  for (const std::vector<string>& args :
       {std::vector<string>{"--floor", "nan"}, std::vector<string>{"-t", "nan"},
        std::vector<string>{"--common", "nan"}, std::vector<string>{"--threshold=inf"}}) {
    std::vector<string> run = args;
    run.insert(run.end(), {"--format", "json", kClass});
    const RunResult r = batch(run);
    EXPECT_EQ(2, r.exit_status) << args[0];
    EXPECT_EQ("", r.out) << args[0];
    EXPECT_NE(string::npos, r.err.find(": not a finite number\nTry 'ccsim-batch --help'.\n"))
        << r.err;
  }
}

TEST(BatchCli, MissingPathIsAnInputErrorBeforeAnyWork) {
  const RunResult r = batch({kClass, "/no/such/folder"});
  EXPECT_EQ(2, r.exit_status);
  EXPECT_EQ("", r.out);
  EXPECT_EQ("ccsim-batch: /no/such/folder: no such file or directory\n", r.err);
  EXPECT_EQ(2, batch({"--base", "/no/such/template", kClass}).exit_status);
}

TEST(BatchCli, OutputThatCannotBeWrittenIsAnError) {
  // Otherwise a script would take the lost pairs for a finished run.
  RunOptions full;
  full.args = {"--format", "csv", kClass};
  full.output_path = "/dev/full";
  const RunResult r = testing_support::run_binary(CCSIM_BATCH_BINARY, full);
  EXPECT_EQ(2, r.exit_status);
  EXPECT_EQ("ccsim-batch: standard output: cannot be written\n", r.err);
  const RunResult report = batch({"--report", "/no/such/folder/r.html", kClass});
  EXPECT_EQ(2, report.exit_status);
  EXPECT_EQ("ccsim-batch: /no/such/folder/r.html: cannot be written\n", report.err);
  // A write that fails only when the file is closed (a full disk, where
  // the last buffer is flushed) fails all the same.
  for (const char* option : {"--write-index", "--report"}) {
    const RunResult full_disk = batch({option, "/dev/full", kClass + "/alice.c"});
    EXPECT_EQ(2, full_disk.exit_status) << option;
    EXPECT_EQ("ccsim-batch: /dev/full: cannot be written\n", full_disk.err) << option;
  }
}

// `ccsim-batch --report r.html class | head -1`: head gone, the run was
// killed by SIGPIPE before the report was written, now and then.
TEST(BatchCli, AReaderGoneIsAWriteFailureAndTheReportIsStillWritten) {
  testing_support::ScopedTempDir dir;
  for (const std::vector<string>& args :
       {std::vector<string>{"--report", "r.html", kClass},
        std::vector<string>{"--format", "json", "--report", "r.html", kClass},
        std::vector<string>{"--shard", "1/2", kClass}}) {
    std::remove((dir.path() + "/r.html").c_str());
    RunOptions gone;
    gone.args = args;
    gone.directory = dir.path();
    gone.output_to_closed_pipe = true;
    const RunResult r = testing_support::run_binary(CCSIM_BATCH_BINARY, gone);
    EXPECT_EQ(2, r.exit_status) << args[1];
    EXPECT_EQ("ccsim-batch: standard output: cannot be written\n", r.err) << args[1];
    if (args[0] == "--shard") continue;
    const string report = read_bytes(dir.path() + "/r.html");
    EXPECT_EQ(0u, report.find("<!DOCTYPE html>")) << report.substr(0, 100);
    EXPECT_NE(string::npos, report.find("</html>"));
  }
}

TEST(BatchCli, NoOutputIsWrittenOverWhatTheRunReads) {
  testing_support::ScopedTempDir dir;
  const string alice = read_bytes(kClass + "/alice.c");
  write_bytes("a.c", alice);
  write_bytes("b.c", read_bytes(kClass + "/bob.c"));
  write_bytes("class.zip",
              testing_support::make_archive(testing_support::ArchiveKind::kZip, {{"a.c", alice}}));
  const RunResult written = batch({"--write-index", "past.idx", "b.c"}, dir.path());
  ASSERT_EQ(0, written.exit_status);
  EXPECT_EQ("ccsim-batch: wrote 1 submission to past.idx\n", written.err);
  const string index = read_bytes(dir.path() + "/past.idx");
  const string zip = read_bytes(dir.path() + "/class.zip");
  ASSERT_EQ(0, link((dir.path() + "/a.c").c_str(), (dir.path() + "/hard.html").c_str()));
  struct Case {
    std::vector<string> args;
    string said;
  };
  const string source = ": is a source being compared; ";
  const string read = ": is read by this run; ";
  const Case cases[] = {
      {{"--report", "./a.c", "a.c", "b.c"}, "./a.c" + source + "the report"},
      {{"--report", "b.c", "--base", "b.c", "a.c"}, "b.c" + source + "the report"},
      {{"--report", "hard.html", "a.c", "b.c"}, "hard.html" + source + "the report"},
      {{"--report", "past.idx", "--old", "past.idx", "a.c"}, "past.idx" + read + "the report"},
      {{"--report", "class.zip", "class.zip", "b.c"}, "class.zip" + read + "the report"},
      {{"--write-index", "a.c", "a.c", "b.c"}, "a.c" + source + "the index"},
      {{"--write-index", "class.zip", "class.zip"}, "class.zip" + read + "the index"},
  };
  for (const Case& c : cases) {
    const RunResult r = batch(c.args, dir.path());
    EXPECT_EQ(2, r.exit_status) << c.said;
    EXPECT_EQ("ccsim-batch: " + c.said + " is not written over it\n", r.err);
    EXPECT_EQ("", r.out) << c.said;  // refused before anything is listed
  }
  EXPECT_EQ(alice, read_bytes(dir.path() + "/a.c"));
  EXPECT_EQ(read_bytes(kClass + "/bob.c"), read_bytes(dir.path() + "/b.c"));
  EXPECT_EQ(index, read_bytes(dir.path() + "/past.idx"));
  EXPECT_EQ(zip, read_bytes(dir.path() + "/class.zip"));
  // A new file beside the inputs is fine.
  EXPECT_EQ(1, batch({"--report", "r.html", "a.c", "b.c"}, dir.path()).exit_status);
}

TEST(BatchCli, NoSubmissionFoundIsAnErrorNotACleanClass) {
  testing_support::ScopedTempDir dir;
  mkdir("empty", 0755);
  mkdir("big", 0755);
  write_bytes("big/a.c", "int main() { return 0; }\n");
  const string nothing = "ccsim-batch: no submission was found to compare: nothing was compared\n";
  for (const std::vector<string>& args :
       {std::vector<string>{"empty"}, std::vector<string>{"--max-size", "4", "big"},
        std::vector<string>{"--old", kClass, "empty"}}) {
    const RunResult r = batch(args, dir.path());
    EXPECT_EQ(2, r.exit_status) << args.back();
    EXPECT_EQ("", r.out) << args.back();
    EXPECT_NE(string::npos, r.err.find(nothing)) << r.err;
  }
}

TEST(BatchCli, NoSuspicionExitsZero) {
  const RunResult r = batch({"--threshold", "1", kClass + "/carol.c", kClass + "/dave.c"});
  EXPECT_EQ(0, r.exit_status);
  EXPECT_EQ(0u, r.out.find("2 submissions, 1 pair, 0 suspected"));
}

TEST(BatchCli, JsonHoldsTheFieldsAndTheTiles) {
  const RunResult r = batch({"--format", "json", kClass + "/alice.c", kClass + "/bob.c"});
  EXPECT_EQ(1, r.exit_status);
  EXPECT_EQ(0u, r.out.find("{\"score\":\"max(code + names x code x (1 - code), code = matched / "
                           "max(sqrt(length1 x length2), 100); matched / max(shorter, longer code / "
                           "2.5, 100) - 0.12)\","
                           "\"threshold\":0.700000,\"min_match\":16,\"common_in_at_least\":null,"
                           "\"floor\":0.466667,\"pairs_in_run\":1,\"pairs_below_floor\":0,"
                           "\"submissions\":[{\"name\":"));
  for (const char* key :
       {"\"first\":", "\"second\":", "\"score\":", "\"coverage\":", "\"similarity\":",
        "\"matched\":", "\"longest\":", "\"tiles\":", "\"names\":", "\"tile_list\":[{\"length\":",
        "\"line\":", "\"end_line\":"})
    EXPECT_NE(string::npos, r.out.find(key)) << key;
}

TEST(BatchCli, OutputIsTheSameWithOneOrTwoJobs) {
  for (const char* format : {"csv", "json", "table"}) {
    const RunResult one = batch({"--jobs", "1", "--format", format, "--base", kTemplate, kClass});
    const RunResult two = batch({"--jobs", "2", "--format", format, "--base", kTemplate, kClass});
    EXPECT_EQ(one.out, two.out) << format;
  }
}

TEST(BatchCli, RunningOutOfMemoryEndsWithAMessageNotAnAbort) {
#ifdef CCSIM_SANITIZED
  GTEST_SKIP() << "address space limits do not apply to sanitized builds";
#endif
  testing_support::ScopedTempDir dir;
  const string line = "int f(int a){return a*3+1;}\n";
  string big;
  for (int k = 0; k < (40 << 20) / static_cast<int>(line.size()); ++k) big += line;
  write_bytes("big.c", big);
  write_bytes("small.c", read_bytes(kClass + "/alice.c"));
  RunOptions options;
  options.directory = dir.path();
  options.args = {"-c", string("ulimit -v 400000 && exec \"") + CCSIM_BATCH_BINARY +
                            "\" -q --max-size 100M big.c small.c"};
  const RunResult r = testing_support::run_binary("/bin/sh", options);
  EXPECT_EQ(2, r.exit_status);
  EXPECT_EQ("ccsim-batch: out of memory\n", r.err);
  EXPECT_EQ("", r.out);
}

TEST(BatchCli, NamesCannotForgeRowsOrFormulas) {
  testing_support::ScopedTempDir dir;
  mkdir("class", 0755);
  write_bytes("class/=1+2.c", read_bytes(kClass + "/alice.c"));
  write_bytes("class/x\n   9  1.000.c", read_bytes(kClass + "/bob.c"));
  write_bytes("class/y\xff.c", read_bytes(kClass + "/carol.c"));
  const RunResult csv = batch({"--all-pairs", "--format", "csv", "class"}, dir.path());
  EXPECT_EQ(4u, lines(csv.out).size()) << csv.out;
  EXPECT_EQ(0u, lines(csv.out)[1].find("'=1+2.c,x\\x0a   9  1.000.c,")) << csv.out;
  const RunResult table = batch({"--all-pairs", "class"}, dir.path());
  EXPECT_EQ(5u, lines(table.out).size()) << table.out;
  EXPECT_NE(string::npos, table.out.find("y\\xff.c"));
  const RunResult json = batch({"--all-pairs", "--format", "json", "class"}, dir.path());
  EXPECT_NE(string::npos, json.out.find("{\"name\":\"y\\\\xff.c\",\"old\":false,\"length\":"));
  EXPECT_NE(string::npos, json.out.find(",\"raw\":\"y\\\\xff.c\"}"));

  // A comma or a quote in a name is quoted, not taken for a column's end.
  write_bytes("class/\"z\", w.c", read_bytes(kClass + "/dave.c"));
  const RunResult quoted = batch({"--all-pairs", "--format", "csv", "class"}, dir.path());
  ASSERT_EQ(7u, lines(quoted.out).size()) << quoted.out;
  for (const string& row : lines(quoted.out)) {
    if (row.find("w.c") == string::npos) continue;
    EXPECT_NE(string::npos, row.find("\"\"\"z\"\", w.c\",")) << row;
  }
  const RunResult quoted_json = batch({"--all-pairs", "--format", "json", "class"}, dir.path());
  EXPECT_NE(string::npos, quoted_json.out.find("{\"name\":\"\\\"z\\\", w.c\","));
}

TEST(BatchCli, JsonListsTilesOfTheSuspectedPairsUnlessAskedOtherwise) {
  auto listed = [](const string& json) {  // pairs with tiles, pairs without
    std::size_t with = 0, without = 0;
    for (std::size_t at = json.find("\"tile_list\":["); at != string::npos;
         at = json.find("\"tile_list\":[", at + 1))
      (json.compare(at + 13, 1, "]") == 0 ? without : with)++;
    return std::make_pair(with, without);
  };
  // At a floor of 0.1 some unsuspected pairs are listed too.
  const RunResult suspected = batch({"--format", "json", "--floor", "0.1", kClass});
  const auto [with, without] = listed(suspected.out);
  EXPECT_EQ(2u, with);  // the two copies
  EXPECT_GT(without, 0u);
  EXPECT_EQ(
      std::make_pair(with + without, std::size_t{0}),
      listed(batch({"--format", "json", "--floor", "0.1", "--json-tiles", "all", kClass}).out));
  EXPECT_EQ(
      std::make_pair(std::size_t{0}, with + without),
      listed(batch({"--format", "json", "--floor", "0.1", "--json-tiles", "none", kClass}).out));
  EXPECT_EQ(2, batch({"--json-tiles", "some", kClass}).exit_status);
  EXPECT_EQ(2, batch({"--encoding", "ebcdic", kClass}).exit_status);
  EXPECT_EQ(1, batch({"--encoding", "latin1", kClass}).exit_status);
}

// What the report lists of the class is the page's text, never its markup:
// a student's folder named `<b>dan` shows as such.
TEST(BatchCli, NamesInTheReportAreTextNotMarkup) {
  testing_support::ScopedTempDir dir;
  mkdir("class", 0755);
  mkdir("class/<b>dan", 0755);
  write_bytes("class/<b>dan/report.docx", "not C");
  write_bytes("class/<i>ann.c", read_bytes(kClass + "/alice.c"));
  write_bytes("class/bob.c", read_bytes(kClass + "/bob.c"));
  const RunResult r = batch({"--report", "r.html", "class"}, dir.path());
  EXPECT_EQ(1, r.exit_status) << r.err;
  EXPECT_EQ(
      "ccsim-batch: skipped class/<b>dan: holds no source file (--extensions says which "
      "are)\n",
      r.err);
  const string page = read_bytes(dir.path() + "/r.html");
  EXPECT_NE(string::npos, page.find("<li>class/&lt;b&gt;dan: holds no source file")) << page;
  EXPECT_EQ(string::npos, page.find("<b>dan"));
  EXPECT_EQ(string::npos, page.find("<i>ann"));
}

TEST(BatchCli, AFolderThousandsDeepIsWalkedInTimeWithItsLinksChecked) {
  testing_support::ScopedTempDir dir;
  mkdir("class", 0755);
  write_bytes("class/alice.c", read_bytes(kClass + "/alice.c"));
  string deep = "class/bob";
  ASSERT_EQ(0, mkdir(deep.c_str(), 0755));
  for (int k = 0; k < 2000; ++k) {
    deep += "/d";
    ASSERT_EQ(0, mkdir(deep.c_str(), 0755)) << k;
  }
  write_bytes(deep + "/main.c", read_bytes(kClass + "/bob.c"));
  ASSERT_EQ(0, symlink("../..", (deep + "/up").c_str()));       // inside, walked already
  ASSERT_EQ(0, symlink("/etc", (deep + "/etc").c_str()));       // outside
  ASSERT_EQ(0, symlink("main.c", (deep + "/same.c").c_str()));  // inside: taken
  RunOptions options;
  options.args = {"--format", "csv", "class"};
  options.directory = dir.path();
  options.timeout_seconds = 10;
  const RunResult r = testing_support::run_binary(CCSIM_BATCH_BINARY, options);
  ASSERT_EQ(1, r.exit_status) << "timed out or failed: " << r.err.substr(0, 200);
  EXPECT_EQ(0u, lines(r.out).at(1).find("alice.c,bob,0.99")) << r.out;
  EXPECT_NE(string::npos, r.err.find("/d/etc: a link to a place outside the path given\n"));
  EXPECT_NE(string::npos, r.err.find("/d/up: a link to a folder already taken\n"));
  EXPECT_NE(string::npos, r.err.find("/d/same.c: the same text as class/bob/d/"));
  EXPECT_EQ(3u, lines(r.err).size()) << r.err.substr(0, 400);
}

TEST(BatchCli, NamesThatLookAlikeAreShownApart) {
  testing_support::ScopedTempDir dir;
  mkdir("class", 0755);
  write_bytes("class/eve.c", read_bytes(kClass + "/eve.c"));
  write_bytes("class/eve\u200b.c", read_bytes(kClass + "/heidi.c"));
  write_bytes("class/Jos\u00e9.c", read_bytes(kClass + "/alice.c"));
  write_bytes("class/Jose\u0301.c", read_bytes(kClass + "/bob.c"));
  write_bytes("class/x\u202egnp.c", read_bytes(kClass + "/carol.c"));
  mkdir("class/z\u200f", 0755);
  const RunResult table = batch({"--all-pairs", "--top", "20", "class"}, dir.path());
  const RunResult csv = batch({"--all-pairs", "--format", "csv", "class"}, dir.path());
  const RunResult json =
      batch({"--all-pairs", "--format", "json", "class", "--report", "r.html"}, dir.path());
  const string report = read_bytes(dir.path() + "/r.html");
  for (const string shown : {"eve\\u200b.c", "Jose\\u0301.c", "x\\u202egnp.c"}) {
    EXPECT_NE(string::npos, table.out.find(shown)) << shown;
    EXPECT_NE(string::npos, csv.out.find(shown)) << shown;
    // In JSON and the report's script, the backslash is written \\.
    const string in_json =
        shown.substr(0, shown.find('\\')) + "\\" + shown.substr(shown.find('\\'));
    EXPECT_NE(string::npos, json.out.find(in_json)) << in_json;
    EXPECT_NE(string::npos, report.find(in_json)) << in_json;
  }
  for (const string& out : {table.out, csv.out, json.out, report, table.err})
    for (const char* hidden : {"\u200b", "\u202e", "\u0301", "\u200f"})
      EXPECT_EQ(string::npos, out.find(hidden)) << out.substr(0, 300);
  EXPECT_NE(string::npos, csv.out.find("\nJose\\u0301.c,Jos\u00e9.c,0.99")) << csv.out;
  EXPECT_NE(string::npos, csv.out.find("\neve.c,eve\\u200b.c,0.9")) << csv.out;
  EXPECT_NE(string::npos, table.err.find("skipped class/z\\u200f: holds no source")) << table.err;
}

}  // namespace
