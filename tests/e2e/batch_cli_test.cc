// ccsim-batch as a user runs it: arguments, inputs, every format, exit
// statuses, and agreement with ccsim itself.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/archive_maker.h"
#include "tests/support/encodings.h"
#include "tests/support/run_binary.h"
#include "tests/support/temp_dir.h"

namespace {

using std::string;
using testing_support::gbk;
using testing_support::read_bytes;
using testing_support::RunOptions;
using testing_support::RunResult;
using testing_support::write_bytes;

const string kClass = CCSIM_SOURCE_DIR "/examples/class";
const string kTemplate = CCSIM_SOURCE_DIR "/examples/class-template";

RunResult batch(std::vector<string> args, const string& dir = ".") {
  RunOptions options;
  options.args = std::move(args);
  options.directory = dir;
  return testing_support::run_binary(CCSIM_BATCH_BINARY, options);
}

std::vector<string> lines(const string& text) {
  std::vector<string> out;
  std::istringstream in(text);
  for (string line; std::getline(in, line);) out.push_back(line);
  return out;
}

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

// Field k of a CSV row whose fields hold no comma.
string field(const string& row, std::size_t k) {
  std::size_t begin = 0;
  for (; k > 0; --k) begin = row.find(',', begin) + 1;
  return row.substr(begin, row.find(',', begin) - begin);
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

// The similarity field of the one pair in CSV output `out`.
string similarity_field(const string& out) {
  const std::vector<string> rows = lines(out);
  if (rows.size() != 2) return "no single pair";
  std::vector<string> fields;
  std::istringstream row(rows[1]);
  for (string f; std::getline(row, f, ',');) fields.push_back(f);
  return fields.size() > 4 ? fields[4] : "too few fields";
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

TEST(BatchCli, AnEndOfFileByteDoesNotHideACopy) {
  testing_support::ScopedTempDir dir;
  const string source = read_bytes(kClass + "/carol.c");
  write_bytes("a.c", source);
  write_bytes("b.c", "/* \x1a */\n" + source);
  const RunResult r = batch({"--format", "csv", "a.c", "b.c"}, dir.path());
  EXPECT_EQ(1, r.exit_status);
  // All of a.c matches; b.c has only the comment's four tokens more.
  EXPECT_EQ(0u, lines(r.out).at(1).find("a.c,b.c,0.99")) << r.out;
  EXPECT_NE(string::npos, lines(r.out).at(1).find(",1.000000,")) << r.out;
}

// Lines end in LF, CR LF or (old Mac files, or a copy made to look odd) a
// lone CR: the scores are the same, and so are the lines the evidence names.
TEST(BatchCli, EveryKindOfLineEndGivesTheSameScoresAndLines) {
  testing_support::ScopedTempDir dir;
  const string alice = read_bytes(kClass + "/alice.c");
  const string bob = read_bytes(kClass + "/bob.c");
  const auto with_ends = [](const string& text, const string& end) {
    string out;
    for (char c : text) out += c == '\n' ? end : string(1, c);
    return out;
  };
  write_bytes("alice.c", alice);
  string first_json;
  const std::vector<std::pair<string, string>> ends = {
      {"LF", "\n"}, {"CR LF", "\r\n"}, {"CR", "\r"}};
  for (const auto& [name, end] : ends) {
    write_bytes("bob.c", with_ends(bob, end));
    const RunResult csv = batch({"--format", "csv", "alice.c", "bob.c"}, dir.path());
    EXPECT_EQ(0u, lines(csv.out).at(1).find("alice.c,bob.c,0.987654,")) << name << csv.out;
    const string json = batch({"--format", "json", "alice.c", "bob.c"}, dir.path()).out;
    if (first_json.empty()) first_json = json;
    EXPECT_EQ(first_json, json) << name;
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

TEST(BatchCli, SubdirectoriesAreSubmissionsOfAllTheirFiles) {
  testing_support::ScopedTempDir dir;
  mkdir("class", 0755);
  mkdir("class/ann", 0755);
  mkdir("class/ann/src", 0755);
  mkdir("class/.git", 0755);
  write_bytes("class/ann/src/main.c", read_bytes(kClass + "/alice.c"));
  write_bytes("class/ann/notes.txt", "not C");
  write_bytes("class/.git/x.c", "int hidden;");
  write_bytes("class/bo.c", read_bytes(kClass + "/bob.c"));
  // A class zipped on a Mac and unzipped: resource forks beside each file
  // and in a folder of their own, passed over as they are in the zip.
  mkdir("class/__MACOSX", 0755);
  mkdir("class/__MACOSX/ann", 0755);
  write_bytes("class/__MACOSX/ann/._main.c", string("\0\5\26\7Mac OS X", 12));
  write_bytes("class/ann/src/._main.c", string("\0\5\26\7Mac OS X", 12));
  const RunResult r = batch({"--format", "csv", "class"}, dir.path());
  const std::vector<string> rows = lines(r.out);
  ASSERT_EQ(2u, rows.size());
  EXPECT_EQ(0u, rows[1].find("ann,bo.c,"));
  EXPECT_EQ("", r.err);
}

// Windows makes "main - Copy.c" at a slip of the mouse; a student's backup
// folder repeats the work. Counted twice, bob's code would weigh double and
// his copy of alice.c would score about 0.7 instead of 0.98.
TEST(BatchCli, AFileRepeatedInASubmissionCountsOnce) {
  using testing_support::ArchiveKind;
  using testing_support::make_archive;
  testing_support::ScopedTempDir dir;
  const string bob = read_bytes(kClass + "/bob.c");
  mkdir("class", 0755);
  mkdir("class/bob", 0755);
  mkdir("class/bob/old", 0755);
  write_bytes("class/alice.c", read_bytes(kClass + "/alice.c"));
  write_bytes("class/bob/bob.c", bob);
  write_bytes("class/bob/bob - Copy.c", bob);
  write_bytes("class/bob/old/bob.c", bob);
  write_bytes("class/bob/empty.h", "\n");
  write_bytes("class/bob/blank.h", "\n");
  write_bytes("class/cy.zip",
              make_archive(ArchiveKind::kZip, {{"a/bob.c", bob}, {"b/bob.c", bob}}));
  const RunResult r = batch({"--format", "csv", "--all-pairs", "class"}, dir.path());
  const std::vector<string> rows = lines(r.out);
  ASSERT_EQ(4u, rows.size()) << r.out;
  EXPECT_EQ(0u, rows[1].find("bob,cy.zip,1.000000,")) << r.out;
  EXPECT_EQ(0u, rows[2].find("alice.c,bob,0.98")) << r.out;
  EXPECT_EQ(0u, rows[3].find("alice.c,cy.zip,0.98")) << r.out;
  // The one kept is the one whose name is no copy's.
  EXPECT_EQ(
      "ccsim-batch: skipped class/bob/bob - Copy.c: the same text as class/bob/bob.c, "
      "counted once\n"
      "ccsim-batch: skipped class/bob/old/bob.c: the same text as class/bob/bob.c, "
      "counted once\n"
      "ccsim-batch: skipped class/cy.zip/b/bob.c: the same text as class/cy.zip/a/bob.c, "
      "counted once\n",
      r.err);
  // So too in a class handed in as one archive.
  write_bytes("whole.zip",
              make_archive(ArchiveKind::kZip, {{"ann/a.c", read_bytes(kClass + "/alice.c")},
                                               {"bob/a.c", bob},
                                               {"bob/old/a.c", bob}}));
  EXPECT_EQ(
      "ccsim-batch: skipped whole.zip/bob/old/a.c: the same text as whole.zip/bob/a.c, counted "
      "once\n",
      batch({"--top", "0", "whole.zip"}, dir.path()).err);
  // Two different files stay two.
  write_bytes("class/bob/old/bob.c", read_bytes(kClass + "/carol.c"));
  EXPECT_EQ(2u, lines(batch({"--format", "csv", "class"}, dir.path()).err).size());
}

// Windows users name files in capitals as often as not (MAIN.C, CLASS.ZIP).
TEST(BatchCli, ExtensionsAreKnownInAnyCase) {
  testing_support::ScopedTempDir dir;
  mkdir("class", 0755);
  mkdir("class/ANN", 0755);
  write_bytes("class/ANN/MAIN.C", read_bytes(kClass + "/alice.c"));
  write_bytes("class/Bo.Cpp", read_bytes(kClass + "/bob.c"));
  write_bytes("class/CY.ZIP",
              testing_support::make_archive(testing_support::ArchiveKind::kZip,
                                            {{"SRC/MAIN.C", read_bytes(kClass + "/carol.c")}}));
  write_bytes("class/notes.C.txt", "not C");
  write_bytes("class/.C", "int hidden;");
  const RunResult r = batch({"--format", "csv", "--all-pairs", "class"}, dir.path());
  EXPECT_EQ(1, r.exit_status) << r.err;
  const std::vector<string> rows = lines(r.out);
  ASSERT_EQ(4u, rows.size()) << r.out;
  EXPECT_EQ(0u, rows[1].find("ANN,Bo.Cpp,0.98")) << r.out;
  EXPECT_NE(string::npos, r.out.find("CY.ZIP")) << r.out;
  // And as the extensions are given: Bo.Cpp alone.
  EXPECT_EQ(0u, batch({"--top", "0", "--extensions", "CPP", "class"}, dir.path())
                    .out.find("1 submission, 2 skipped, 0 pairs"));
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

TEST(BatchCli, FilesGivenTwiceAreTakenOnceAndEqualNamesAreToldApart) {
  testing_support::ScopedTempDir dir;
  mkdir("sec1", 0755);
  mkdir("sec2", 0755);
  mkdir("old", 0755);
  write_bytes("sec1/x.c", read_bytes(kClass + "/alice.c"));
  write_bytes("sec1/y.c", read_bytes(kClass + "/carol.c"));
  write_bytes("sec2/x.c", read_bytes(kClass + "/dave.c"));
  write_bytes("old/z.c", read_bytes(kClass + "/bob.c"));
  // A file compared with itself would be a certain "copy" of nothing.
  const RunResult r = batch({"--all-pairs", "--format", "csv", "--old", "old", "--old", "sec1/y.c",
                             "sec1", "./sec1/x.c", "sec2", "sec1"},
                            dir.path());
  EXPECT_EQ(1, r.exit_status);
  EXPECT_EQ(
      "ccsim-batch: skipped ./sec1/x.c: given more than once\n"
      "ccsim-batch: skipped sec1/x.c: given more than once\n"
      "ccsim-batch: skipped sec1/y.c: given more than once\n"
      "ccsim-batch: skipped sec1/y.c: given more than once\n",
      r.err);
  const std::vector<string> rows = lines(r.out);
  ASSERT_EQ(1u + 3u + 3u, rows.size());  // sec1/x.c, y.c, sec2/x.c among them and with old/z.c
  EXPECT_EQ(0u, rows[1].find("sec1/x.c,old/z.c,0.98")) << rows[1];
  for (const string& row : rows) EXPECT_EQ(string::npos, row.find("1.000000")) << row;
  EXPECT_NE(string::npos, r.out.find("\nsec1/x.c,sec2/x.c,")) << r.out;
  EXPECT_NE(string::npos, r.out.find("\nsec1/x.c,y.c,")) << r.out;
}

// Runs ccsim-batch as an unprivileged user when we are root (root reads
// every file whatever its mode), in `dir`, which that user may then enter.
RunResult batch_as_user(std::vector<string> args, const string& dir) {
  if (geteuid() != 0) return batch(std::move(args), dir);
  chmod(dir.c_str(), 0755);
  args.insert(args.begin(),
              {"--reuid=65534", "--regid=65534", "--clear-groups", "--", CCSIM_BATCH_BINARY});
  RunOptions options;
  options.args = std::move(args);
  options.directory = dir;
  return testing_support::run_binary("/usr/bin/setpriv", options);
}

TEST(BatchCli, UnreadableFilesAreReportedSkippedAndListed) {
  testing_support::ScopedTempDir dir;
  mkdir("class", 0755);
  write_bytes("class/a.c", read_bytes(kClass + "/alice.c"));
  write_bytes("class/b.c", read_bytes(kClass + "/bob.c"));
  write_bytes("class/broken.c", "int x;");
  chmod("class/broken.c", 0);
  const RunResult r =
      batch_as_user({"--format", "json", "--report", "/dev/null", "class"}, dir.path());
  EXPECT_EQ(1, r.exit_status);
  EXPECT_EQ("ccsim-batch: skipped class/broken.c: cannot be read\n", r.err);
  EXPECT_NE(string::npos,
            r.out.find("\"skipped\":[{\"path\":\"class/broken.c\",\"reason\":\"cannot be read\","));
  // Named on the command line, it is an input error, not a skip.
  const RunResult named = batch_as_user({"class/a.c", "class/broken.c"}, dir.path());
  EXPECT_EQ(2, named.exit_status);
  EXPECT_EQ("ccsim-batch: class/broken.c: cannot be read\n", named.err);
}

TEST(BatchCli, EveryEntryPassedOverIsSaidAndListed) {
  testing_support::ScopedTempDir dir;
  mkdir("class", 0755);
  mkdir("class/sub", 0755);
  write_bytes("class/a.c", read_bytes(kClass + "/alice.c"));
  write_bytes("class/b.c", read_bytes(kClass + "/bob.c"));
  write_bytes("class/sub/in.c", "int x;");
  write_bytes("outside.c", "int secret;");
  write_bytes("class/big.c", string(5000, ';'));
  mkdir("class/locked", 0755);
  write_bytes("class/locked/x.c", "int y;");
  chmod("class/locked", 0);
  ASSERT_EQ(0, mkfifo("class/fifo.c", 0644));
  ASSERT_EQ(0, symlink("../outside.c", "class/out.c"));
  ASSERT_EQ(0, symlink("..", "class/up"));
  ASSERT_EQ(0, symlink("missing.c", "class/dangling.c"));
  ASSERT_EQ(0, symlink(".", "class/sub/self"));
  ASSERT_EQ(0, symlink("a.c", "class/same.c"));  // inside: followed
  // Students who handed in something, but no source.
  mkdir("class/dan", 0755);
  write_bytes("class/dan/report.docx", "not C");
  write_bytes("class/eve.zip", testing_support::make_archive(testing_support::ArchiveKind::kZip,
                                                             {{"notes.txt", "not C"}}));
  write_bytes("class/lab 1: fay.zip", "no zip");
  const RunResult r = batch_as_user({"--max-size", "4K", "--format", "json", "class"}, dir.path());
  EXPECT_EQ(1, r.exit_status);
  const std::vector<std::pair<string, string>> passed_over = {
      {"class/big.c", "larger than the limit (5000 bytes; --max-size 4096)"},
      {"class/dan", "holds no source file (--extensions says which are)"},
      {"class/dangling.c", "a link that leads nowhere, or round in a loop"},
      {"class/eve.zip", "holds no source file (--extensions says which are)"},
      {"class/fifo.c", "not a regular file (a FIFO, socket or device)"},
      {"class/lab 1: fay.zip", "cannot be read as an archive: Unrecognized archive format"},
      {"class/locked", "cannot be listed"},
      {"class/out.c", "a link to a place outside the path given"},
      {"class/sub/self", "a link to a folder already taken"},
      {"class/up", "a link to a place outside the path given"},
  };
  for (const auto& [path, why] : passed_over) {
    EXPECT_NE(string::npos, r.err.find("ccsim-batch: skipped " + path + ": " + why + "\n")) << path;
    EXPECT_NE(string::npos, r.out.find("{\"path\":\"" + path + "\",\"reason\":\"" + why + "\","))
        << path;
  }
  EXPECT_EQ(passed_over.size() + 1, lines(r.err).size()) << r.err;
  EXPECT_EQ(string::npos, r.out.find("secret"));
  // The table's summary counts them.
  EXPECT_EQ(0u, batch_as_user({"--max-size", "4K", "--top", "0", "class"}, dir.path())
                    .out.find("3 submissions, 11 skipped, 3 pairs, "));
  // Taken: a.c, b.c, same.c (a link inside) and sub; same.c is a.c again.
  EXPECT_NE(string::npos, r.out.find("{\"name\":\"sub\","));
  EXPECT_NE(string::npos, r.out.find("{\"path\":\"class/same.c\",\"reason\":\"given more"));
  // A FIFO or a device named as a path is an error at once, never a wait.
  for (const char* path : {"class/fifo.c", "/dev/zero"}) {
    const RunResult named = batch({path, "class/a.c"}, dir.path());
    EXPECT_EQ(2, named.exit_status) << path;
    EXPECT_EQ("ccsim-batch: " + string(path) + ": not a regular file\n", named.err);
    EXPECT_EQ(2, batch({"--base", path, "class/a.c"}, dir.path()).exit_status) << path;
  }
  chmod("class/locked", 0755);
}

// Two Word files renamed as sources matched as copies through their zip
// structure: what holds NUL bytes is no C source, and is said to be so.
TEST(BatchCli, FilesThatAreNoTextArePassedOverNotPaired) {
  using testing_support::ArchiveKind;
  using testing_support::make_archive;
  testing_support::ScopedTempDir dir;
  mkdir("class", 0755);
  write_bytes("class/a.c", read_bytes(kClass + "/alice.c"));
  write_bytes("class/b.c", read_bytes(kClass + "/bob.c"));
  write_bytes("class/x1.c",
              make_archive(ArchiveKind::kZip, {{"word/document.xml", "<w:t>one</w:t>"}}));
  write_bytes("class/x2.c",
              make_archive(ArchiveKind::kZip, {{"word/document.xml", "<w:t>two</w:t>"}}));
  write_bytes("class/c.zip", make_archive(ArchiveKind::kZip, {{"main.c", string("int\0x;", 7)}}));
  const RunResult r = batch({"--format", "csv", "--all-pairs", "class"}, dir.path());
  EXPECT_EQ(1, r.exit_status) << r.err;
  EXPECT_EQ(2u, lines(r.out).size()) << r.out;  // a.c and b.c alone
  const string why =
      ": no source text: it holds NUL bytes (a program or a document named as a source?)\n";
  for (const char* path : {"class/c.zip/main.c", "class/x1.c", "class/x2.c"})
    EXPECT_NE(string::npos, r.err.find("ccsim-batch: skipped " + string(path) + why)) << r.err;
  // Named on the command line, it is an input error.
  const RunResult named = batch({"class/x1.c", "class/a.c"}, dir.path());
  EXPECT_EQ(2, named.exit_status);
  EXPECT_EQ("ccsim-batch: class/x1.c" + why, named.err);
}

TEST(BatchCli, AClassAsAnArchiveOfFoldersFilesAndArchives) {
  using testing_support::ArchiveKind;
  using testing_support::make_archive;
  testing_support::ScopedTempDir dir;
  const string alice = read_bytes(kClass + "/alice.c");
  const string bob = read_bytes(kClass + "/bob.c");
  const string carol = read_bytes(kClass + "/carol.c");
  // As a course platform exports it: one wrapping folder, a folder per
  // student, a loose file, a student's own archive, and macOS litter.
  const string split = alice.substr(0, alice.size() / 2);
  write_bytes(
      "class.zip",
      make_archive(ArchiveKind::kZip,
                   {{"export/ann/part1.c", split},
                    {"export/ann/part2.c", alice.substr(split.size())},
                    {"export/bob.c", bob},
                    {"export/cy.zip", make_archive(ArchiveKind::kTarGz, {{"main.c", carol}})},
                    {"export/__MACOSX/._bob.c", "junk"},
                    {"export/../escape.c", "int x;"}}));
  const RunResult r = batch({"--format", "json", "class.zip"}, dir.path());
  EXPECT_EQ(1, r.exit_status) << r.err;
  for (const char* name : {"\"ann\"", "\"bob.c\"", "\"cy.zip\""})
    EXPECT_NE(string::npos, r.out.find(string("{\"name\":") + name)) << name;
  EXPECT_EQ(string::npos, r.out.find("MACOSX"));
  EXPECT_EQ(
      "ccsim-batch: skipped class.zip/export/../escape.c: a path that climbs out of the "
      "archive (absolute or with ..)\n",
      r.err);
  EXPECT_NE(string::npos, r.out.find("{\"first\":\"ann\",\"second\":\"bob.c\",\"score\":0.9"));
  // Its sources are shown with the archive in front.
  EXPECT_NE(string::npos, r.out.find("\"file\":\"class.zip/export/ann/part1.c\""));
  // Saved into a folder, and the folder named, it is one student's work:
  // nothing is compared, and the way to read it as a class is said.
  mkdir("downloads", 0755);
  write_bytes("downloads/class.zip", read_bytes(dir.path() + "/class.zip"));
  const RunResult saved = batch({"downloads"}, dir.path());
  EXPECT_EQ(0u, saved.out.find("1 submission, 1 skipped, 0 pairs")) << saved.out;
  EXPECT_NE(string::npos,
            saved.err.find("ccsim-batch: the one submission found is downloads/class.zip, an "
                           "archive in a folder, read as one student's work: nothing was "
                           "compared (to read a class's archive as the class, name it: "
                           "ccsim-batch downloads/class.zip)\n"))
      << saved.err;
  EXPECT_EQ(string::npos, r.err.find("the one submission")) << r.err;
  // A student's archive in a folder of the class is that student's submission.
  mkdir("folder", 0755);
  write_bytes("folder/ann.zip", make_archive(ArchiveKind::kZip, {{"src/a.c", alice}}));
  write_bytes("folder/bob.c", bob);
  const RunResult f = batch({"--format", "csv", "folder"}, dir.path());
  EXPECT_EQ(0u, lines(f.out).at(1).find("ann.zip,bob.c,0.9")) << f.out;
  // Students hand in RAR and 7z as often as zip; so may a class come.
  mkdir("rar", 0755);
  write_bytes("rar/ann.rar", make_archive(ArchiveKind::kRar, {{"ann/src/a.c", alice}}));
  write_bytes("rar/bob.7z", make_archive(ArchiveKind::k7z, {{"bob.c", bob}}));
  write_bytes("rar/cy.c", carol);
  const RunResult rar = batch({"--format", "csv", "rar"}, dir.path());
  EXPECT_EQ(0u, lines(rar.out).at(1).find("ann.rar,bob.7z,0.9")) << rar.out << rar.err;
  write_bytes("class.7z", make_archive(ArchiveKind::k7z, {{"ann/a.c", alice}, {"bob/b.c", bob}}));
  EXPECT_EQ(
      0u, lines(batch({"--format", "csv", "class.7z"}, dir.path()).out).at(1).find("ann,bob,0.9"));
  // What is no archive at all, named as one, is an input error.
  write_bytes("fake.zip", "not a zip");
  EXPECT_EQ(2, batch({"fake.zip", "folder"}, dir.path()).exit_status);
}

// Course platforms (Moodle, Chaoxing) export a folder per student holding
// what was uploaded, as often as not an archive: it is the student's work.
TEST(BatchCli, AnArchiveInAStudentsFolderIsThatStudentsWork) {
  using testing_support::ArchiveKind;
  using testing_support::make_archive;
  testing_support::ScopedTempDir dir;
  const string carol = read_bytes(kClass + "/carol.c");
  for (const char* student :
       {"class", "class/01 ann", "class/02 bob", "class/03 cy", "class/04 dan"})
    mkdir(student, 0755);
  write_bytes("class/01 ann/hw3.zip",
              make_archive(ArchiveKind::kZip, {{"hw3/main.c", read_bytes(kClass + "/alice.c")}}));
  // Beside the source, what Visual Studio keeps (tens of megabytes, often):
  // an archive is not bound by the size limit of a source.
  write_bytes("class/02 bob/hw3.rar",
              make_archive(ArchiveKind::kRar, {{"main.c", read_bytes(kClass + "/bob.c")},
                                               {".vs/Browse.VC.db", string(20000, 'x')}}));
  write_bytes("class/03 cy/main.c", carol);  // and uploaded again, zipped
  write_bytes("class/03 cy/main.zip", make_archive(ArchiveKind::kZip, {{"main.c", carol}}));
  write_bytes("class/04 dan/notes.zip", make_archive(ArchiveKind::kZip, {{"notes.txt", "x"}}));
  const RunResult r =
      batch({"--format", "csv", "--all-pairs", "--max-size", "4K", "class"}, dir.path());
  EXPECT_EQ(1, r.exit_status) << r.err;
  const std::vector<string> rows = lines(r.out);
  ASSERT_EQ(4u, rows.size()) << r.out;
  EXPECT_EQ(0u, rows[1].find("01 ann,02 bob,0.98")) << r.out;
  EXPECT_EQ(
      "ccsim-batch: skipped class/03 cy/main.zip/main.c: the same text as class/03 cy/main.c, "
      "counted once\n"
      "ccsim-batch: skipped class/04 dan: holds no source file (--extensions says which are)\n",
      r.err);
  // The template may come zipped in a folder too.
  mkdir("template", 0755);
  write_bytes("template/skeleton.zip", make_archive(ArchiveKind::kZip, {{"main.c", carol}}));
  const RunResult based =
      batch({"--format", "csv", "--all-pairs", "--base", "template", "class"}, dir.path());
  EXPECT_NE(string::npos, based.out.find("03 cy,")) << based.out;
  EXPECT_EQ(string::npos, based.out.find("03 cy,0.3")) << based.out;
  EXPECT_EQ(string::npos, based.err.find("NUL")) << based.err;
}

// A course platform's "download all submissions" puts every student's files
// side by side, each named after the student: one student is all of them.
TEST(BatchCli, AStudentsFilesInACoursePlatformsExportAreOneSubmission) {
  using testing_support::ArchiveKind;
  using testing_support::make_archive;
  testing_support::ScopedTempDir dir;
  const auto halves = [](const string& whole) {
    const std::size_t middle = whole.find('\n', whole.size() / 2) + 1;
    return std::make_pair(whole.substr(0, middle), whole.substr(middle));
  };
  const auto [ann_main, ann_util] = halves(read_bytes(kClass + "/alice.c"));
  const auto [bob_main, bob_util] = halves(read_bytes(kClass + "/bob.c"));
  const std::vector<std::pair<string, string>> members = {
      {"Ann Lee_101_assignsubmission_file_main.c", ann_main},
      {"Ann Lee_101_assignsubmission_file_util.c", ann_util},
      {"Ann Lee_101_assignsubmission_onlinetext_onlinetext.html", "<p>done</p>"},
      {"Bob Wu_102_assignsubmission_file_main.c", bob_main},
      {"Bob Wu_102_assignsubmission_file_util.c", bob_util},
      {"Cy Xu_103_assignsubmission_file_main.c", read_bytes(kClass + "/carol.c")},
      {"Dan Ng_104_assignsubmission_onlinetext_onlinetext.html", "<p>late</p>"}};
  mkdir("class", 0755);
  for (const auto& [name, text] : members) write_bytes("class/" + name, text);
  write_bytes("class.zip", make_archive(ArchiveKind::kZip, members));
  for (const char* given : {"class", "class.zip"}) {
    const RunResult r = batch({"--format", "csv", "--all-pairs", given}, dir.path());
    const std::vector<string> rows = lines(r.out);
    ASSERT_EQ(4u, rows.size()) << given << "\n" << r.out;
    EXPECT_EQ(0u, rows[1].find("Ann Lee_101,Bob Wu_102,0.98")) << given << "\n" << r.out;
    EXPECT_EQ("", r.err) << given;
  }
  // Blackboard's, with a note of each attempt beside its files.
  mkdir("bb", 0755);
  write_bytes("bb/HW3_ann_attempt_2023-10-09-21-30-05.txt", "Name: Ann Lee");
  write_bytes("bb/HW3_ann_attempt_2023-10-09-21-30-05_main.c", ann_main);
  write_bytes("bb/HW3_ann_attempt_2023-10-09-21-30-05_util.c", ann_util);
  write_bytes("bb/HW3_bob_attempt_2023-10-10-08-00-00_main.c", bob_main);
  // Bob tried twice; a file sorted between his attempts is no one's attempt.
  write_bytes("bb/HW3_bob_attempt_2023-10-10-09.c", read_bytes(kClass + "/carol.c"));
  write_bytes("bb/HW3_bob_attempt_2023-10-10-10-00-00_util.c", bob_util);
  const RunResult bb = batch({"--format", "csv", "--all-pairs", "bb"}, dir.path());
  ASSERT_EQ(4u, lines(bb.out).size()) << bb.out;
  EXPECT_EQ(0u, lines(bb.out)[1].find("HW3_ann,HW3_bob,0.98")) << bb.out;
  // Moodle's other export: a folder for each student.
  const string carol = read_bytes(kClass + "/carol.c");
  mkdir("folders", 0755);
  mkdir("folders/Cy Xu_103_assignsubmission_file_", 0755);
  write_bytes("folders/Cy Xu_103_assignsubmission_file_/main.c", carol);
  write_bytes("folders/Cy Xu_103_assignsubmission_file_hw.c", carol);
  write_bytes("folders/Ed Li_105_assignsubmission_file_main.c", read_bytes(kClass + "/dave.c"));
  const RunResult folders = batch({"--format", "csv", "--all-pairs", "folders"}, dir.path());
  EXPECT_EQ(0u, lines(folders.out).at(1).find("Cy Xu_103,Ed Li_105,")) << folders.out;
  EXPECT_EQ(
      "ccsim-batch: skipped folders/Cy Xu_103_assignsubmission_file_/main.c: the same text as "
      "folders/Cy Xu_103_assignsubmission_file_hw.c, counted once\n",
      folders.err);
}

// A project built with CLion (or Visual Studio's CMake support) carries
// CMake's own CMakeCCompilerId.c, hundreds of lines, in each student's
// build folder: not theirs, and the same for all of them.
TEST(BatchCli, CmakesBuildFilesAreNoStudentsWork) {
  using testing_support::ArchiveKind;
  using testing_support::make_archive;
  testing_support::ScopedTempDir dir;
  const string generated = read_bytes(kClass + "/alice.c") + read_bytes(kClass + "/dave.c") +
                           read_bytes(kClass + "/ken.c");
  const string id_file = "cmake-build-debug/CMakeFiles/3.25.1/CompilerIdC/CMakeCCompilerId.c";
  mkdir("class", 0755);
  for (const char* name : {"carol", "frank"}) {
    const string path = string("class/") + name;
    mkdir(path.c_str(), 0755);
    for (std::size_t at = 0; (at = id_file.find('/', at)) != string::npos; ++at)
      mkdir((path + "/" + id_file.substr(0, at)).c_str(), 0755);
    write_bytes(path + "/main.c", read_bytes(kClass + "/" + name + ".c"));
    write_bytes(path + "/" + id_file, generated);
  }
  write_bytes("class/judy.zip",
              make_archive(ArchiveKind::kZip, {{"judy/main.c", read_bytes(kClass + "/judy.c")},
                                               {"judy/" + id_file, generated}}));
  const RunResult r = batch({"--format", "csv", "--all-pairs", "class"}, dir.path());
  EXPECT_EQ(0, r.exit_status) << r.out;
  EXPECT_EQ(4u, lines(r.out).size()) << r.out;
  EXPECT_EQ("", r.err);
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

TEST(BatchCli, GbkSourcesAndNamesReadRight) {
  testing_support::ScopedTempDir dir;
  const string name = gbk("张三") + ".c";
  write_bytes(name, read_bytes(kClass + "/alice.c"));
  write_bytes("li.c", read_bytes(kClass + "/bob.c"));
  const RunResult r = batch({"--format", "csv", name, "li.c", "--report", "r.html"}, dir.path());
  // The name in UTF-8, marked as read from GB18030.
  EXPECT_EQ(0u, lines(r.out)[1].find("\xe5\xbc\xa0\xe4\xb8\x89.c (GB18030),li.c,0.98")) << r.out;
  // The GBK comment of the source shows as UTF-8 in the report.
  EXPECT_NE(
      string::npos,
      read_bytes(dir.path() + "/r.html").find("\xe8\x80\x81\xe5\xb8\x88\xe6\x8f\x90\xe4\xbe\x9b"));
}

// Windows editors save as UTF-16 when asked for "Unicode": such a copy is
// the same code, and must score as the file it was saved from.
TEST(BatchCli, AUtf16CopyScoresAsTheFileItWasSavedFrom) {
  testing_support::ScopedTempDir dir;
  const string bob = read_bytes(kClass + "/bob.c");  // GBK, with Chinese comments
  write_bytes("alice.c", read_bytes(kClass + "/alice.c"));
  write_bytes("bob.c", bob);
  write_bytes("bob-le.c", testing_support::utf16(testing_support::utf8_from_gbk(bob), true));
  write_bytes("bob-be.c", testing_support::utf16(testing_support::utf8_from_gbk(bob), false));
  const RunResult r =
      batch({"--format", "csv", "--all-pairs", ".", "--report", "r.html"}, dir.path());
  ASSERT_EQ(1, r.exit_status) << r.err;
  std::map<string, string> figures;  // by pair, the fields after the names
  for (const string& row : lines(r.out)) {
    const std::size_t second = row.find(',', row.find(',') + 1);
    figures[row.substr(0, second)] = row.substr(second);
  }
  for (const char* copy : {"bob-be.c", "bob-le.c"}) {
    EXPECT_EQ(0u, figures[string(copy) + ",bob.c"].find(",1.000000,1.000000,1.000000,")) << r.out;
    EXPECT_EQ(figures["alice.c,bob.c"], figures[string("alice.c,") + copy]) << r.out;
  }
  EXPECT_EQ(0u, figures["alice.c,bob.c"].find(",0.98")) << r.out;
  // The report shows the copy's comments, as it does the GBK file's.
  const string report = read_bytes(dir.path() + "/r.html");
  const string comment = "\xe8\x80\x81\xe5\xb8\x88\xe6\x8f\x90\xe4\xbe\x9b";  // 老师提供
  std::size_t shown = 0;
  for (std::size_t at = report.find(comment); at != string::npos; at = report.find(comment, at + 1))
    ++shown;
  EXPECT_GE(shown, 3u);
  // Whatever encoding the class is said to be in.
  ASSERT_EQ(1,
            batch({"--encoding", "latin1", "bob-le.c", "alice.c", "--report", "l.html"}, dir.path())
                .exit_status);
  EXPECT_NE(string::npos, read_bytes(dir.path() + "/l.html").find(comment));
  // Read as ccsim reads it, the file is its bytes, every other one a zero.
  const RunResult raw =
      batch({"--ccsim", "--all-pairs", "--format", "csv", "bob.c", "bob-le.c"}, dir.path());
  EXPECT_LT(std::stod(similarity_field(raw.out)), 0.5) << raw.out;
}
}  // namespace

namespace {

// The shard files of a run in `dir`, slices 1..n, as the shards wrote them.
std::vector<string> shard_files(const string& dir, int n, const std::vector<string>& options) {
  std::vector<string> paths;
  for (int k = 1; k <= n; ++k) {
    std::vector<string> args = options;
    args.insert(args.end(), {"--shard", std::to_string(k) + "/" + std::to_string(n), kClass});
    const RunResult r = batch(args);
    EXPECT_NE(2, r.exit_status) << r.err;
    paths.push_back(dir + "/part" + std::to_string(k));
    write_bytes(paths.back(), r.out);
  }
  return paths;
}

TEST(BatchCli, ShardsMergedGiveTheOutputOfTheWholeRunByteForByte) {
  testing_support::ScopedTempDir dir;
  for (const std::vector<string>& options :
       {std::vector<string>{}, std::vector<string>{"--all-pairs"},
        std::vector<string>{"--base", kTemplate, "--floor", "0.1"}}) {
    for (int n : {1, 4, 7}) {
      std::vector<string> parts = shard_files(dir.path(), n, options);
      std::reverse(parts.begin(), parts.end());  // the order given does not matter
      for (const char* format : {"csv", "json", "table"}) {
        std::vector<string> whole_args = options;
        whole_args.insert(whole_args.end(), {"--format", format, kClass});
        const RunResult whole = batch(whole_args);
        std::vector<string> merge_args = {"--format", format, "--merge"};
        merge_args.insert(merge_args.end(), parts.begin(), parts.end());
        const RunResult merged = batch(merge_args);
        EXPECT_EQ(whole.exit_status, merged.exit_status) << merged.err;
        EXPECT_EQ(whole.out, merged.out) << format << " in " << n << " slices";
      }
    }
  }
}

TEST(BatchCli, ShardsThatDoNotMakeOneRunAreRefused) {
  testing_support::ScopedTempDir dir;
  const std::vector<string> parts = shard_files(dir.path(), 3, {});
  const string other = dir.path() + "/other";
  write_bytes(other, batch({"--threshold", "0.5", "--shard", "3/3", kClass}).out);
  const string cut = dir.path() + "/cut";
  const string whole = read_bytes(parts[2]);
  write_bytes(cut, whole.substr(0, whole.size() / 2));
  const string foreign = dir.path() + "/foreign";
  write_bytes(foreign, "first,second,score\n");
  // A pair's score out of [0, 1], in a slice that lists one.
  const string outside = dir.path() + "/outside";
  std::vector<string> replaced = parts;
  for (std::size_t k = 0; k < parts.size() && replaced == parts; ++k) {
    string text = read_bytes(parts[k]);
    const std::size_t pair = text.find("\npair ");
    if (pair == string::npos) continue;
    std::size_t at = pair;  // the score: the fourth field of the line
    for (int field = 0; field < 3; ++field) at = text.find(' ', at + 1);
    text.replace(at + 1, text.find(' ', at + 1) - at - 1, "0x1p+1");  // 2
    write_bytes(outside, text);
    replaced[k] = outside;
  }
  ASSERT_NE(parts, replaced) << "no slice lists a pair";
  const string fifo = dir.path() + "/fifo";  // named by mistake: refused, not waited on
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  auto merge = [](std::vector<string> files) {
    files.insert(files.begin(), "--merge");
    return batch(files);
  };
  struct Case {
    std::vector<string> files;
    const char* says;
  };
  for (const Case& c : {Case{{parts[0], parts[1]}, "1 of the 3 slices are missing"},
                        Case{{parts[0], parts[1], parts[1], parts[2]}, "a slice already given"},
                        Case{{parts[0], parts[1], other}, "a slice of another run"},
                        Case{{parts[0], parts[1], cut}, "damaged or cut short"},
                        Case{replaced, "damaged or cut short"},
                        Case{{parts[0], parts[1], foreign}, "not a shard file"},
                        Case{{parts[0], parts[1], dir.path() + "/none"}, "cannot be read"},
                        Case{{parts[0], parts[1], fifo}, "cannot be read"}}) {
    const RunResult r = merge(c.files);
    EXPECT_EQ(2, r.exit_status) << c.says;
    EXPECT_NE(string::npos, r.err.find(c.says)) << r.err;
    EXPECT_EQ("", r.out);
  }
  // A merge takes shard files only; a shard writes a shard file only.
  EXPECT_EQ(2, batch({"--merge", parts[0], "--threshold", "0.5"}).exit_status);
  EXPECT_EQ(2, batch({"--merge", parts[0], "--report", dir.path() + "/r.html"}).exit_status);
  EXPECT_EQ(2, batch({"--shard", "1/2", "--format", "csv", kClass}).exit_status);
  EXPECT_EQ(2, batch({"--shard", "1/2", "--report", dir.path() + "/r.html", kClass}).exit_status);
}

}  // namespace

namespace {

// `text` with every `from` taken out.
string rows_text(string text, const string& from) {
  for (std::size_t at; (at = text.find(from)) != string::npos;) text.erase(at, from.size());
  return text;
}

// The lines of `text` with every `from` taken out, sorted.
std::vector<string> rows_without(const string& text, const string& from) {
  std::vector<string> rows = lines(rows_text(text, from));
  std::sort(rows.begin(), rows.end());
  return rows;
}

TEST(BatchCli, AnIndexOfPastSubmissionsServesAsTheFolderItWasMadeFrom) {
  testing_support::ScopedTempDir dir;
  const string past = dir.path() + "/past";
  const string fresh = dir.path() + "/new";
  ASSERT_EQ(0, mkdir(past.c_str(), 0755));
  ASSERT_EQ(0, mkdir(fresh.c_str(), 0755));
  for (const char* name : {"alice.c", "carol.c", "dave.c", "eve.c", "grace.c", "ivan.c", "judy.c"})
    write_bytes(past + "/" + name, read_bytes(kClass + "/" + name));
  for (const char* name : {"bob.c", "frank.c", "heidi.c", "ken.c", "lucy.c"})
    write_bytes(fresh + "/" + name, read_bytes(kClass + "/" + name));
  const string index = dir.path() + "/past.idx";
  const RunResult written = batch({"--write-index", index, past});
  EXPECT_EQ(0, written.exit_status) << written.err;
  EXPECT_NE(string::npos, written.err.find("wrote 7 submissions")) << written.err;

  for (const char* format : {"csv", "json"}) {
    const RunResult by_folder = batch({"--format", format, "--old", past, fresh});
    const RunResult by_index = batch({"--format", format, "--old", index, fresh});
    EXPECT_EQ(by_folder.exit_status, by_index.exit_status) << by_index.err;
    // Names differ by the path they were given under; the files keep theirs.
    EXPECT_EQ(rows_without(by_folder.out, past), rows_without(rows_text(by_index.out, index), past))
        << format;
  }
  // The copies across the years are found, with their source lines.
  const RunResult json = batch({"--format", "json", "--old", index, fresh});
  EXPECT_NE(string::npos, json.out.find("\"first\":\"bob.c\",\"second\":\"" + index + "/alice.c\""))
      << json.out.substr(0, 400);
  EXPECT_NE(string::npos, json.out.find("\"file\":\"" + past + "/alice.c\",\"line\":"));

  // Damaged, cut short, of another way of reading, or not an index at all.
  const string whole = read_bytes(index);
  string flipped = whole;
  flipped[whole.size() / 2] ^= 0x20;
  const string bad = dir.path() + "/bad.idx";
  struct Case {
    string bytes;
    std::vector<string> extra;
    const char* says;
  };
  for (const Case& c :
       {Case{flipped, {}, "damaged"}, Case{whole.substr(0, whole.size() - 9), {}, "damaged"},
        Case{whole.substr(0, 30), {}, "damaged"},
        Case{whole, {"--ccsim"}, "another way of reading"},
        Case{whole.substr(0, 18) + "\x07" + whole.substr(19), {}, "another version"}}) {
    write_bytes(bad, c.bytes);
    std::vector<string> args = c.extra;
    args.insert(args.end(), {"--old", bad, fresh});
    const RunResult r = batch(args);
    EXPECT_EQ(2, r.exit_status) << c.says;
    EXPECT_NE(string::npos, r.err.find(c.says)) << r.err;
    EXPECT_EQ("", r.out);
  }
  EXPECT_EQ(2, batch({"--write-index", index, "--format", "csv", past}).exit_status);
  const string empty = dir.path() + "/empty";
  ASSERT_EQ(0, mkdir(empty.c_str(), 0755));
  const RunResult nothing = batch({"--write-index", dir.path() + "/nothing.idx", empty});
  EXPECT_EQ(2, nothing.exit_status);
  EXPECT_NE(string::npos, nothing.err.find("no submission to write")) << nothing.err;
  EXPECT_NE(0, access((dir.path() + "/nothing.idx").c_str(), F_OK));
  EXPECT_EQ(2, batch({"--write-index", dir.path() + "/no/such/dir/x.idx", past}).exit_status);
  EXPECT_EQ(whole, read_bytes(index));  // a failed write leaves the index as it was
}

}  // namespace

namespace {

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
