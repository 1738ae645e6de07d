// ccsim-batch finding submissions on disk: folders, files given twice,
// links, what is passed over and how that is said.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <regex>
#include <string>
#include <vector>

#include "tests/e2e/run_batch.h"
#include "tests/support/archive_maker.h"
#include "tests/support/run_binary.h"
#include "tests/support/temp_dir.h"

namespace {

using std::string;
using testing_support::batch;
using testing_support::batch_as_user;
using testing_support::kClass;
using testing_support::lines;
using testing_support::read_bytes;
using testing_support::RunOptions;
using testing_support::RunResult;
using testing_support::write_bytes;

TEST(BatchWalk, PathsWithoutCSourcesAreNamedNotPassedOver) {
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

TEST(BatchWalk, OldSubmissionsAreComparedWithNewOnesOnly) {
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

TEST(BatchWalk, SubdirectoriesAreSubmissionsOfAllTheirFiles) {
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
TEST(BatchWalk, AFileRepeatedInASubmissionCountsOnce) {
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
  EXPECT_EQ(0u, rows[2].find("alice.c,bob,0.99")) << r.out;
  EXPECT_EQ(0u, rows[3].find("alice.c,cy.zip,0.99")) << r.out;
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
TEST(BatchWalk, ExtensionsAreKnownInAnyCase) {
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
  EXPECT_EQ(0u, rows[1].find("ANN,Bo.Cpp,0.99")) << r.out;
  EXPECT_NE(string::npos, r.out.find("CY.ZIP")) << r.out;
  // And as the extensions are given: Bo.Cpp alone.
  EXPECT_EQ(0u, batch({"--top", "0", "--extensions", "CPP", "class"}, dir.path())
                    .out.find("1 submission, 2 skipped, 0 pairs"));
}

TEST(BatchWalk, RunsGoOnFromOneFileOfASubmissionIntoTheNext) {
  testing_support::ScopedTempDir dir;
  mkdir("class", 0755);
  mkdir("class/split", 0755);
  const string whole = read_bytes(kClass + "/carol.c");
  // Cut between two lines outside every function: the statements of a
  // block are read within one file, and so are its macros.
  const std::size_t middle = whole.find('\n') + 1;
  write_bytes("class/split/a.c", whole.substr(0, middle));
  write_bytes("class/split/b.c", whole.substr(middle));
  write_bytes("class/whole.c", whole);
  const RunResult r = batch({"--format", "json", "class"}, dir.path());
  EXPECT_NE(string::npos, r.out.find("\"coverage\":1.000000")) << r.out;
  // A tile starts in a.c and ends in b.c.
  EXPECT_TRUE(std::regex_search(r.out, std::regex("\"first\":\\{\"at\":[0-9]+,\"file\":\"class/split/a.c\","
                                                  "\"line\":[0-9]+,\"end_file\":\"class/split/b.c\",")))
      << r.out;
}

TEST(BatchWalk, FilesGivenTwiceAreTakenOnceAndEqualNamesAreToldApart) {
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
  EXPECT_EQ(0u, rows[1].find("sec1/x.c,old/z.c,0.99")) << rows[1];
  // No file is paired with itself.
  for (const string& row : rows) EXPECT_EQ(string::npos, row.find(",1.000000,1.000000,1.000000,")) << row;
  EXPECT_NE(string::npos, r.out.find("\nsec1/x.c,sec2/x.c,")) << r.out;
  EXPECT_NE(string::npos, r.out.find("\nsec1/x.c,y.c,")) << r.out;
  // A hard link is the very same file, under another name.
  ASSERT_EQ(0, link("sec1/y.c", "sec2/hard.c"));
  const RunResult hard = batch({"--format", "csv", "sec1", "sec2"}, dir.path());
  EXPECT_EQ("ccsim-batch: skipped sec2/hard.c: given more than once\n", hard.err);
  for (const string& row : lines(hard.out))
    EXPECT_EQ(string::npos, row.find(",1.000000,1.000000,1.000000,")) << row;
}

TEST(BatchWalk, UnreadableFilesAreReportedSkippedAndListed) {
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

TEST(BatchWalk, EveryEntryPassedOverIsSaidAndListed) {
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
TEST(BatchWalk, WhatIsNoTextIsToldByTheWholeFileNotByOneByte) {
  using testing_support::ArchiveKind;
  using testing_support::make_archive;
  testing_support::ScopedTempDir dir;
  mkdir("class", 0755);
  write_bytes("class/a.c", read_bytes(kClass + "/alice.c"));
  write_bytes("class/b.c", string("/* \0 */\n", 9) + read_bytes(kClass + "/bob.c"));
  write_bytes("class/x1.c",
              make_archive(ArchiveKind::kZip, {{"word/document.xml", "<w:t>one</w:t>"}}));
  write_bytes("class/x2.c",
              make_archive(ArchiveKind::kZip, {{"word/document.xml", "<w:t>two</w:t>"}}));
  const string program = string(
                             "\x7f"
                             "ELF\2\1\1",
                             7) +
                         string(100, '\0') + "main";
  write_bytes("class/c.zip", make_archive(ArchiveKind::kZip, {{"main.c", program}}));
  string noise;  // bytes as a compressed or encrypted file holds them
  for (unsigned k = 1; noise.size() < 3000; k = k * 1103515245u + 12345u)
    noise += static_cast<char>((k >> 16) & 0xff);
  write_bytes("class/d.c", noise);
  // Code padded with NULs as long as itself is no longer any source's.
  write_bytes("class/e.c", read_bytes(kClass + "/carol.c") + string(4000, '\0'));
  const RunResult r = batch({"--format", "csv", "--all-pairs", "class"}, dir.path());
  EXPECT_EQ(1, r.exit_status) << r.err;
  ASSERT_EQ(2u, lines(r.out).size()) << r.out;  // a.c and b.c alone
  EXPECT_EQ(0u, lines(r.out)[1].find("a.c,b.c,0.98")) << r.out;
  const string zip =
      ": no source text: its first bytes are those of a zip archive (as Word, "
      "Excel and PowerPoint files are)\n";
  const string bytes =
      ": no source text: too many NUL or control bytes (a program or a "
      "document named as a source?)\n";
  EXPECT_EQ(
      "ccsim-batch: skipped class/c.zip/main.c: no source text: its first bytes are those "
      "of a program\n"
      "ccsim-batch: skipped class/d.c" +
          bytes + "ccsim-batch: skipped class/e.c" + bytes + "ccsim-batch: skipped class/x1.c" +
          zip + "ccsim-batch: skipped class/x2.c" + zip,
      r.err);
  // Named on the command line, it is an input error.
  const RunResult named = batch({"class/x1.c", "class/a.c"}, dir.path());
  EXPECT_EQ(2, named.exit_status);
  EXPECT_EQ("ccsim-batch: class/x1.c" + zip, named.err);
  EXPECT_EQ(0, batch({"class/b.c", "class/a.c", "--threshold", "1"}, dir.path()).exit_status);
}

// The limit is a size a source may have: one of exactly --max-size bytes is
// read, in a folder, named, or in an archive; one byte more is passed over.
TEST(BatchWalk, ASourceOfExactlyTheSizeLimitIsRead) {
  using testing_support::ArchiveKind;
  using testing_support::make_archive;
  testing_support::ScopedTempDir dir;
  const auto padded = [](string text, std::size_t size) {
    text += "/*";
    text.resize(size - 3, ' ');
    return text + "*/\n";
  };
  const string a = padded(read_bytes(kClass + "/alice.c"), 2000);
  const string b = padded(read_bytes(kClass + "/bob.c"), 2000);
  ASSERT_EQ(2000u, a.size());
  mkdir("class", 0755);
  write_bytes("class/a.c", a);
  write_bytes("class/b.c", b);
  write_bytes("class.zip", make_archive(ArchiveKind::kZip, {{"ann/a.c", a}, {"bob/b.c", b}}));
  for (const std::vector<string>& paths :
       {std::vector<string>{"class"}, std::vector<string>{"class/a.c", "class/b.c"},
        std::vector<string>{"class.zip"}}) {
    std::vector<string> args = {"--max-size", "2000", "--top", "0"};
    args.insert(args.end(), paths.begin(), paths.end());
    const RunResult at = batch(args, dir.path());
    EXPECT_EQ(1, at.exit_status) << paths[0] << at.err;
    EXPECT_EQ(0u, at.out.find("2 submissions, 1 pair, 1 suspected")) << paths[0] << at.out;
    EXPECT_EQ("", at.err) << paths[0];
    args[1] = "1999";
    const RunResult over = batch(args, dir.path());
    EXPECT_NE(string::npos, over.err.find("larger than the limit (2000 bytes; --max-size 1999)"))
        << paths[0] << over.err;
    EXPECT_NE(1, over.exit_status) << paths[0];
  }
}

}  // namespace
