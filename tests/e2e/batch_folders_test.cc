// ccsim-batch finding a class in folders: which entries make which
// submission, and every entry passed over said.
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
  // A hard link is the very same file, under another name.
  ASSERT_EQ(0, link("sec1/y.c", "sec2/hard.c"));
  const RunResult hard = batch({"--format", "csv", "sec1", "sec2"}, dir.path());
  EXPECT_EQ("ccsim-batch: skipped sec2/hard.c: given more than once\n", hard.err);
  for (const string& row : lines(hard.out)) EXPECT_EQ(string::npos, row.find("1.000000")) << row;
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

// A student's folder 2,000 deep: each entry is known from its folder's
// listing, never by looking up its whole path again, so the walk takes as
// long as the entries take (looking the path up took a minute and a half),
// and the rules on links hold at the bottom as at the top.
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
  EXPECT_EQ(0u, lines(r.out).at(1).find("alice.c,bob,0.98")) << r.out;
  EXPECT_NE(string::npos, r.err.find("/d/etc: a link to a place outside the path given\n"));
  EXPECT_NE(string::npos, r.err.find("/d/up: a link to a folder already taken\n"));
  EXPECT_NE(string::npos, r.err.find("/d/same.c: the same text as class/bob/d/"));
  EXPECT_EQ(3u, lines(r.err).size()) << r.err.substr(0, 400);
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

// A template that holds the class (`--base DIR DIR`, or a student's file
// given as the template) leaves nothing to match: said, so that a run of
// zeros does not pass for a clean class.
TEST(BatchCli, ATemplateThatHoldsSubmissionsIsSaid) {
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

}  // namespace
