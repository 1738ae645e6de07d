// ccsim-batch reading archives and course platforms' exports of a class.
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

}  // namespace
