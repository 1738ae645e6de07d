// ccsim-batch's scores end to end: the example class, disguised copies,
// agreement with ccsim itself, and sources however they were saved.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/run_batch.h"
#include "tests/support/archive_maker.h"
#include "tests/support/encodings.h"
#include "tests/support/run_binary.h"
#include "tests/support/temp_dir.h"

namespace {

using std::string;
using testing_support::batch;
using testing_support::field;
using testing_support::gbk;
using testing_support::kClass;
using testing_support::kTemplate;
using testing_support::lines;
using testing_support::read_bytes;
using testing_support::RunOptions;
using testing_support::RunResult;
using testing_support::write_bytes;

TEST(BatchScores, ExampleClassRanksTheTwoCopiesFirstAndNotTheTemplateOnlyOne) {
  const RunResult r = batch({"--all-pairs", "--base", kTemplate, "--format", "csv", kClass});
  EXPECT_EQ(1, r.exit_status);
  const std::vector<string> rows = lines(r.out);
  ASSERT_EQ(67u, rows.size());  // header and 12 * 11 / 2 pairs
  EXPECT_EQ("first,second,score,coverage,similarity,matched,longest,tiles,names", rows[0]);
  EXPECT_EQ(0u, rows[1].find("alice.c,bob.c,"));
  EXPECT_EQ(0u, rows[2].find("eve.c,heidi.c,"));
  const RunResult table = batch({"--base", kTemplate, kClass});
  EXPECT_EQ(0u, table.out.find("12 submissions, 66 pairs, 2 suspected (score >= 0.7, pairs below "
                               "0.466667 counted only, runs over 16 characters, code in 10 or more "
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

TEST(BatchScores, WithoutTheTemplateTheSkeletonIsFoundAsCommonCode) {
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

TEST(BatchScores, ATemplateThatHoldsSubmissionsIsSaid) {
  testing_support::ScopedTempDir dir;
  mkdir("class", 0755);
  for (const char* name : {"alice.c", "bob.c", "carol.c", "dave.c"})
    write_bytes(string("class/") + name, read_bytes(kClass + "/" + name));
  write_bytes("class.zip",
              testing_support::make_archive(testing_support::ArchiveKind::kZip,
                                            {{"ann/main.c", read_bytes(kClass + "/alice.c")},
                                             {"bob/main.c", read_bytes(kClass + "/bob.c")}}));
  const string tail =
      "): code of the template counts for nothing, so their copies cannot be found (give --base "
      "the code handed to the students alone)\n";
  struct Case {
    std::vector<string> args;
    string said;
  };
  for (const Case& c :
       {Case{{"--base", "class", "class"}, "4 of the 4 submissions (alice.c, bob.c, carol.c, ..."},
        Case{{"--base", "./class/alice.c", "class"}, "1 of the 4 submissions (alice.c"},
        Case{{"--base", "class", "--old", "class", "class.zip"},
             "4 of the 6 submissions (class/alice.c, class/bob.c, class/carol.c, ..."},
        Case{{"--base", "./class.zip", "class.zip"}, "2 of the 2 submissions (ann, bob"}}) {
    const RunResult r = batch(c.args, dir.path());
    EXPECT_EQ(0, r.exit_status) << c.said;
    EXPECT_EQ("ccsim-batch: the template (--base) holds the work of " + c.said + tail, r.err);
  }
  // The template it is meant to be is no submission.
  const RunResult fine = batch({"--base", kTemplate, "class"}, dir.path());
  EXPECT_EQ(1, fine.exit_status);
  EXPECT_EQ("", fine.err);
}

TEST(BatchScores, DisguisedCopiesRankAboveEveryIndependentPair) {
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
    // And flagged, the copy disguised every way at once too.
    EXPECT_EQ(0u, batch({"--top", "0", "class"}, dir.path())
                      .out.find("13 submissions, 78 pairs, 3 suspected"))
        << copy;
  }
}

TEST(BatchScores, AScoreUnderTheThresholdNeverShowsAsReachingIt) {
  // An independent pair whose score, rounded to three places, would reach
  // the next thousandth; with that as the threshold it shows cut, unflagged.
  const RunResult all = batch({"--no-names", "--all-pairs", "--format", "csv", kClass});
  string first, second, cut, threshold;
  for (const string& row : lines(all.out)) {
    if (row.rfind("first,", 0) == 0 || row.empty()) continue;
    const string score = field(row, 2);  // six places
    if (std::stod(score) < 0.9 && score[5] >= '5') {
      first = field(row, 0);
      second = field(row, 1);
      cut = score.substr(0, 5);
      char next[8];
      std::snprintf(next, sizeof next, "%.3f", (std::stoi(score.substr(2, 3)) + 1) / 1000.0);
      threshold = next;
      break;
    }
  }
  ASSERT_FALSE(threshold.empty()) << all.out;
  const RunResult r = batch({"--no-names", "--threshold", threshold, "--top", "100", kClass});
  bool seen = false;
  for (const string& row : lines(r.out)) {
    if (row.find(first) == string::npos || row.find(second) == string::npos) continue;
    seen = true;
    EXPECT_NE(string::npos, row.find("  " + cut + "  ")) << row << " at " << threshold;
    EXPECT_EQ(string::npos, row.find("suspected")) << row;
  }
  EXPECT_TRUE(seen) << r.out;
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

TEST(BatchScores, WithCcsimTheSimilarityIsWhatCcsimPrints) {
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

TEST(BatchScores, AnEndOfFileByteDoesNotHideACopy) {
  testing_support::ScopedTempDir dir;
  const string source = read_bytes(kClass + "/carol.c");
  write_bytes("a.c", source);
  write_bytes("b.c", "/* \x1a */\n" + source);
  const RunResult r = batch({"--format", "csv", "a.c", "b.c"}, dir.path());
  EXPECT_EQ(1, r.exit_status);
  // b.c has only the comment's four tokens more: all of a.c's code matches,
  // and the score stays that of a copy.
  const string row = lines(r.out).at(1);
  EXPECT_EQ("a.c", field(row, 0));
  EXPECT_GT(std::stod(field(row, 2)), 0.98) << r.out;
  EXPECT_GT(std::stod(field(row, 3)), 0.98) << r.out;
}

// Lines end in LF, CR LF or (old Mac files, or a copy made to look odd) a
// lone CR: the scores are the same, and so are the lines the evidence names.
TEST(BatchScores, EveryKindOfLineEndGivesTheSameScoresAndLines) {
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
    EXPECT_EQ(0u, lines(csv.out).at(1).find("alice.c,bob.c,0.997203,")) << name << csv.out;
    const string json = batch({"--format", "json", "alice.c", "bob.c"}, dir.path()).out;
    if (first_json.empty()) first_json = json;
    EXPECT_EQ(first_json, json) << name;
  }
}

TEST(BatchScores, GbkSourcesAndNamesReadRight) {
  testing_support::ScopedTempDir dir;
  const string name = gbk("张三") + ".c";
  write_bytes(name, read_bytes(kClass + "/alice.c"));
  write_bytes("li.c", read_bytes(kClass + "/bob.c"));
  const RunResult r = batch({"--format", "csv", name, "li.c", "--report", "r.html"}, dir.path());
  // The name in UTF-8, marked as read from GB18030.
  EXPECT_EQ(0u, lines(r.out)[1].find("\xe5\xbc\xa0\xe4\xb8\x89.c (GB18030),li.c,0.99")) << r.out;
  // The GBK comment of the source shows as UTF-8 in the report.
  EXPECT_NE(
      string::npos,
      read_bytes(dir.path() + "/r.html").find("\xe8\x80\x81\xe5\xb8\x88\xe6\x8f\x90\xe4\xbe\x9b"));
}

// Windows editors save as UTF-16 when asked for "Unicode": such a copy is
// the same code, and must score as the file it was saved from.
TEST(BatchScores, AUtf16CopyScoresAsTheFileItWasSavedFrom) {
  testing_support::ScopedTempDir dir;
  const string bob = read_bytes(kClass + "/bob.c");  // GBK, with Chinese comments
  write_bytes("alice.c", read_bytes(kClass + "/alice.c"));
  write_bytes("bob.c", bob);
  write_bytes("bob-le.c", testing_support::utf16(testing_support::utf8_from_gbk(bob), true));
  write_bytes("bob-be.c", testing_support::utf16(testing_support::utf8_from_gbk(bob), false));
  const string utf8 = testing_support::utf8_from_gbk(bob);
  write_bytes("bob-le-bare.c", testing_support::encoded(utf8, "UTF-16LE"));
  write_bytes("bob-be-bare.c", testing_support::encoded(utf8, "UTF-16BE"));
  write_bytes("bob-32le.c", string("\xff\xfe\0\0", 4) + testing_support::encoded(utf8, "UTF-32LE"));
  write_bytes("bob-32be-bare.c", testing_support::encoded(utf8, "UTF-32BE"));
  const RunResult r =
      batch({"--format", "csv", "--all-pairs", ".", "--report", "r.html"}, dir.path());
  ASSERT_EQ(1, r.exit_status) << r.err;
  std::map<string, string> figures;  // by pair, the fields after the names
  for (const string& row : lines(r.out)) {
    const std::size_t second = row.find(',', row.find(',') + 1);
    figures[row.substr(0, second)] = row.substr(second);
  }
  for (const char* copy : {"bob-be.c", "bob-le.c", "bob-le-bare.c", "bob-be-bare.c", "bob-32le.c",
                           "bob-32be-bare.c"}) {
    EXPECT_EQ(0u, figures[string(copy) + ",bob.c"].find(",1.000000,1.000000,1.000000,")) << r.out;
    EXPECT_EQ(figures["alice.c,bob.c"], figures[string("alice.c,") + copy]) << r.out;
  }
  EXPECT_EQ(0u, figures["alice.c,bob.c"].find(",0.99")) << r.out;
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

// Code common to the class is that found in at least --common-min
// submissions: a class of exactly that many has it taken out (the
// skeleton all twelve share), one fewer has none.
TEST(BatchScores, AClassOfExactlyCommonMinSubmissionsHasCommonCode) {
  const RunResult kept = batch({"--all-pairs", "--format", "csv", "--no-common", kClass});
  const RunResult at = batch({"--all-pairs", "--format", "csv", "--common-min", "12", kClass});
  const RunResult above = batch({"--all-pairs", "--format", "csv", "--common-min", "13", kClass});
  EXPECT_EQ(kept.out, above.out);
  EXPECT_LT(third_score(at.out) + 0.05, third_score(kept.out)) << at.out;
  EXPECT_NE(string::npos, batch({"--top", "0", "--common-min", "12", kClass})
                              .out.find("code in 12 or more submissions left out"));
  EXPECT_NE(
      string::npos,
      batch({"--top", "0", "--common-min", "13", kClass}).out.find("no common code left out"));
  EXPECT_NE(string::npos, batch({"--format", "json", "--common-min", "12", kClass})
                              .out.find("\"common_in_at_least\":12,"));
}

}  // namespace
