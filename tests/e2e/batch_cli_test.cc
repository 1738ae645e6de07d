// ccsim-batch as a user runs it: arguments, every format, exit statuses,
// scores, and agreement with ccsim itself.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/batch_run.h"
#include "tests/support/archive_maker.h"
#include "tests/support/encodings.h"
#include "tests/support/run_binary.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace batch_run;

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

TEST(BatchCli, PathsWithoutCSourcesAreNamedNotPassedOver) {
  testing_support::ScopedTempDir dir;
  mkdir("cpp", 0755);
  mkdir("tpl", 0755);
  write_bytes("cpp/a.cpp", "int main() {}");
  write_bytes("tpl/readme.txt", "skeleton");
  const RunResult r =
      batch({"--extensions", "c,h", "--base", "tpl", "cpp", kClass + "/alice.c"}, dir.path());
  EXPECT_EQ(0, r.exit_status);
  EXPECT_EQ("ccsim-batch: no source found in cpp\nccsim-batch: no source found in tpl\n", r.err);
  EXPECT_EQ(0u, r.out.find("1 submission, 0 pairs, 0 suspected"));
  // C++ sources count by default.
  const RunResult cpp = batch({"--base", "tpl", "cpp", kClass + "/alice.c"}, dir.path());
  EXPECT_EQ("ccsim-batch: no source found in tpl\n", cpp.err);
  EXPECT_EQ(0u, cpp.out.find("2 submissions, 1 pair, 0 suspected"));
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

TEST(BatchCli, ExampleClassRanksTheTwoCopiesFirstAndNotTheTemplateOnlyOne) {
  const RunResult r = batch({"--all-pairs", "--base", kTemplate, "--format", "csv", kClass});
  EXPECT_EQ(1, r.exit_status);
  const std::vector<string> rows = lines(r.out);
  ASSERT_EQ(67u, rows.size());  // header and 12 * 11 / 2 pairs
  EXPECT_EQ("first,second,score,coverage,similarity,matched,longest,tiles,names", rows[0]);
  EXPECT_EQ(0u, rows[1].find("alice.c,bob.c,"));
  EXPECT_EQ(0u, rows[2].find("eve.c,heidi.c,"));
  const RunResult table = batch({"--base", kTemplate, kClass});
  EXPECT_EQ(0u, table.out.find("12 submissions, 66 pairs, 2 suspected (score >= 0.7, pairs below "
                               "0.466667 counted only, runs over 12 characters, code in 10 or more "
                               "submissions left out)\n"));
  for (const string& row : lines(table.out)) {
    if (row.find("ivan.c") != string::npos) {
      EXPECT_EQ(string::npos, row.find("suspected")) << row;
    }
  }
}

// The third score in the CSV output `out` (the best pair that is no copy).
double third_score(const string& out) {
  const std::vector<string> rows = lines(out);
  return rows.size() > 3 ? std::stod(rows[3].substr(rows[3].find(".c,", 6) + 3)) : -1;
}

TEST(BatchCli, WithoutTheTemplateTheSkeletonIsFoundAsCommonCode) {
  const RunResult r = batch({"--all-pairs", "--format", "csv", kClass});
  EXPECT_EQ(1, r.exit_status);
  const std::vector<string> rows = lines(r.out);
  ASSERT_EQ(67u, rows.size());
  EXPECT_EQ(0u, rows[1].find("alice.c,bob.c,"));
  EXPECT_EQ(0u, rows[2].find("eve.c,heidi.c,"));
  const RunResult table = batch({"--top", "0", kClass});
  EXPECT_EQ(0u, table.out.find("12 submissions, 66 pairs, 2 suspected ("));
  // With the skeleton left in, independent solutions come closer to the flag.
  const RunResult kept = batch({"--all-pairs", "--no-common", "--format", "csv", kClass});
  EXPECT_LT(third_score(r.out) + 0.1, third_score(kept.out));
  EXPECT_GT(third_score(r.out), 0.0);
}

TEST(BatchCli, DisguisedCopiesRankAboveEveryIndependentPair) {
  // Copies of dave.c: padded with dead code and output, renamed and
  // reordered, expressions split, a comment put after every line, and
  // all but the comments at once.
  for (const char* copy :
       {"padded.c", "renamed_reordered.c", "split.c", "annotated.c", "combined.c"}) {
    testing_support::ScopedTempDir dir;
    mkdir("class", 0755);
    for (const char* name : {"alice.c", "bob.c", "carol.c", "dave.c", "eve.c", "frank.c", "grace.c",
                             "heidi.c", "ivan.c", "judy.c", "ken.c", "lucy.c"})
      write_bytes(string("class/") + name, read_bytes(kClass + "/" + name));
    write_bytes("class/copy.c",
                read_bytes(string(CCSIM_SOURCE_DIR) + "/tests/data/disguised/" + copy));
    const RunResult r = batch({"--all-pairs", "--format", "csv", "class"}, dir.path());
    const std::vector<string> rows = lines(r.out);
    ASSERT_EQ(79u, rows.size()) << copy;
    // The three copies first (their order free), every independent pair after.
    std::vector<string> top = {rows[1].substr(0, rows[1].find(",", rows[1].find(",") + 1)),
                               rows[2].substr(0, rows[2].find(",", rows[2].find(",") + 1)),
                               rows[3].substr(0, rows[3].find(",", rows[3].find(",") + 1))};
    std::sort(top.begin(), top.end());
    EXPECT_EQ((std::vector<string>{"alice.c,bob.c", "copy.c,dave.c", "eve.c,heidi.c"}), top)
        << copy;
    // Far above: half as much again as the closest independent pair.
    double copy_score = 0;
    for (std::size_t k = 1; k <= 3; ++k)
      if (rows[k].find("copy.c") != string::npos) copy_score = std::stod(field(rows[k], 2));
    EXPECT_GT(copy_score, 1.5 * std::stod(field(rows[4], 2))) << copy;
    // Flagged too, but for the copy disguised every way at once: its names
    // changed, it has only its code, which falls short of the threshold.
    const bool every_way = string(copy) == "combined.c";
    EXPECT_EQ(0u, batch({"--top", "0", "class"}, dir.path())
                      .out.find(every_way ? "13 submissions, 78 pairs, 2 suspected"
                                          : "13 submissions, 78 pairs, 3 suspected"))
        << copy;
  }
}

TEST(BatchCli, NoSuspicionExitsZero) {
  const RunResult r = batch({"--threshold", "1", kClass + "/carol.c", kClass + "/dave.c"});
  EXPECT_EQ(0, r.exit_status);
  EXPECT_EQ(0u, r.out.find("2 submissions, 1 pair, 0 suspected"));
}

TEST(BatchCli, AScoreUnderTheThresholdNeverShowsAsReachingIt) {
  // dave/heidi scores 0.295749: rounded it would show as the threshold.
  const RunResult r = batch({"--no-names", "--threshold", "0.296", "--top", "4", kClass});
  const std::vector<string> rows = lines(r.out);
  ASSERT_EQ(7u, rows.size()) << r.out;
  EXPECT_NE(string::npos, rows[4].find("  0.312     0.404  ")) << rows[4];  // grace/ken, cut
  EXPECT_NE(string::npos, rows[4].find("suspected")) << rows[4];
  EXPECT_NE(string::npos, rows[5].find("  0.295     0.296  ")) << rows[5];
  EXPECT_NE(string::npos, rows[5].find("heidi.c")) << rows[5];
  EXPECT_EQ(string::npos, rows[5].find("suspected")) << rows[5];
}

TEST(BatchCli, JsonHoldsTheFieldsAndTheTiles) {
  const RunResult r = batch({"--format", "json", kClass + "/alice.c", kClass + "/bob.c"});
  EXPECT_EQ(1, r.exit_status);
  EXPECT_EQ(0u, r.out.find("{\"score\":\"code + names x code x (1 - code), code = matched / "
                           "max(sqrt(length1 x length2), 100)\","
                           "\"threshold\":0.700000,\"min_match\":12,\"common_in_at_least\":null,"
                           "\"floor\":0.466667,\"pairs_in_run\":1,\"pairs_below_floor\":0,"
                           "\"submissions\":[{\"name\":"));
  for (const char* key :
       {"\"first\":", "\"second\":", "\"score\":", "\"coverage\":", "\"similarity\":",
        "\"matched\":", "\"longest\":", "\"tiles\":", "\"names\":", "\"tile_list\":[{\"length\":",
        "\"line\":", "\"end_line\":"})
    EXPECT_NE(string::npos, r.out.find(key)) << key;
}

// Below the floor pairs are counted, not listed; above it the rows are
// those of the run that tiles every pair, in the same order.
TEST(BatchCli, PairsBelowTheFloorAreCountedNotListed) {
  const RunResult every = batch({"--all-pairs", "--format", "csv", kClass});
  const RunResult floored = batch({"--format", "csv", kClass});
  EXPECT_EQ(every.exit_status, floored.exit_status);
  const std::vector<string> all_rows = lines(every.out);
  std::vector<string> kept = {all_rows[0]};
  for (std::size_t k = 1; k < all_rows.size(); ++k)
    if (std::stod(field(all_rows[k], 2)) >= 0.7 * 2 / 3) kept.push_back(all_rows[k]);
  ASSERT_GT(kept.size(), 2u);
  ASSERT_LT(kept.size(), all_rows.size());
  EXPECT_EQ(kept, lines(floored.out));
  const std::size_t below = all_rows.size() - kept.size();
  const RunResult json = batch({"--format", "json", kClass});
  EXPECT_NE(string::npos, json.out.find("\"pairs_in_run\":" + std::to_string(all_rows.size() - 1) +
                                        ",\"pairs_below_floor\":" + std::to_string(below) + ","));
  const RunResult table = batch({"--floor", "0.5", "--top", "0", kClass});
  EXPECT_EQ(0u,
            table.out.find("12 submissions, " + std::to_string(all_rows.size() - 1) + " pairs, "));
  EXPECT_NE(string::npos, table.out.find("pairs below 0.5 counted only"));
  EXPECT_EQ(2, batch({"--floor", "0.8", kClass}).exit_status);  // above the threshold
  for (const char* shard : {"0/3", "4/3", "1/0", "1", "1/2/3", "a/b", "1/3x"})
    EXPECT_EQ(2, batch({"--shard", shard, kClass}).exit_status) << shard;
}

TEST(BatchCli, OutputIsTheSameWithOneOrTwoJobs) {
  for (const char* format : {"csv", "json", "table"}) {
    const RunResult one = batch({"--jobs", "1", "--format", format, "--base", kTemplate, kClass});
    const RunResult two = batch({"--jobs", "2", "--format", format, "--base", kTemplate, kClass});
    EXPECT_EQ(one.out, two.out) << format;
  }
}

// Prints what ccsim says the similarity of file1.c and file2.c in `dir` is.
string ccsim_similarity(const string& dir) {
  RunOptions options;
  options.directory = dir;
  options.input = "\n\nn\nn\n";
  const RunResult r = testing_support::run_binary(CCSIM_BINARY, options);
  const string label = gbk("这两串代码的相似度为");
  const std::size_t at = r.out.find(label);
  if (at == string::npos) return "not printed";
  return r.out.substr(at + label.size(), r.out.find('\n', at) - at - label.size());
}

TEST(BatchCli, WithCcsimTheSimilarityIsWhatCcsimPrints) {
  testing_support::ScopedTempDir dir;
  const std::vector<std::pair<string, string>> pairs = {
      {"alice.c", "bob.c"}, {"carol.c", "dave.c"}, {"eve.c", "lucy.c"}, {"ivan.c", "judy.c"}};
  for (const auto& [first, second] : pairs) {
    // GBK sources, lucy.c UTF-8; a 0x1A byte ends the text for both.
    write_bytes("file1.c", read_bytes(kClass + "/" + first) + "\x1a int x; int y; int z;");
    write_bytes("file2.c", read_bytes(kClass + "/" + second));
    const string forward = ccsim_similarity(dir.path());
    const string batch_forward = similarity_field(
        batch({"--ccsim", "--format", "csv", "file1.c", "file2.c"}, dir.path()).out);
    const string batch_backward = similarity_field(
        batch({"--ccsim", "--format", "csv", "file2.c", "file1.c"}, dir.path()).out);
    write_bytes("file1.c", read_bytes(kClass + "/" + second));
    write_bytes("file2.c", read_bytes(kClass + "/" + first));
    const string backward = ccsim_similarity(dir.path());
    // ccsim's figure for the order the batch tiles in (set by the contents):
    // one of the two, the same whichever file is named first.
    EXPECT_TRUE(batch_forward == forward || batch_forward == backward)
        << first << " " << second << ": " << batch_forward;
    EXPECT_EQ(batch_forward, batch_backward);
  }
}

TEST(BatchCli, OldSubmissionsAreComparedWithNewOnesOnly) {
  testing_support::ScopedTempDir dir;
  mkdir("new", 0755);
  mkdir("old", 0755);
  for (const char* f : {"alice.c", "carol.c"})
    write_bytes(string("new/") + f, read_bytes(kClass + "/" + f));
  for (const char* f : {"bob.c", "dave.c", "eve.c"})
    write_bytes(string("old/") + f, read_bytes(kClass + "/" + f));
  const RunResult r = batch({"--all-pairs", "--format", "csv", "--old", "old", "new"}, dir.path());
  const std::vector<string> rows = lines(r.out);
  ASSERT_EQ(1u + 1u + 2u * 3u, rows.size());  // new-new, new-old
  EXPECT_EQ(0u, rows[1].find("alice.c,old/bob.c,"));
  for (const string& row : rows) EXPECT_NE(0u, row.find("old/")) << row;
}

TEST(BatchCli, RunsGoOnFromOneFileOfASubmissionIntoTheNext) {
  testing_support::ScopedTempDir dir;
  mkdir("class", 0755);
  mkdir("class/split", 0755);
  const string whole = read_bytes(kClass + "/carol.c");
  const std::size_t middle = whole.find('\n', whole.size() / 2) + 1;
  write_bytes("class/split/a.c", whole.substr(0, middle));
  write_bytes("class/split/b.c", whole.substr(middle));
  write_bytes("class/whole.c", whole);
  const RunResult r = batch({"--format", "json", "class"}, dir.path());
  EXPECT_NE(string::npos, r.out.find("\"coverage\":1.000000")) << r.out;
  EXPECT_NE(string::npos, r.out.find("\"first\":{\"at\":0,\"file\":\"class/split/a.c\",\"line\":1,"
                                     "\"end_file\":\"class/split/b.c\","))
      << r.out;
  EXPECT_NE(string::npos, r.out.find("\"second\":{\"at\":0,\"file\":\"class/whole.c\",\"line\":1,"
                                     "\"end_file\":\"class/whole.c\","))
      << r.out;
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

}  // namespace
