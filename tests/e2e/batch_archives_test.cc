// ccsim-batch reading classes as course platforms export them and students
// hand them in: archives, a student's files side by side, build folders.
#include <gtest/gtest.h>
#include <sys/stat.h>

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
using testing_support::lines;
using testing_support::read_bytes;
using testing_support::RunResult;
using testing_support::write_bytes;

TEST(BatchArchives, AClassAsAnArchiveOfFoldersFilesAndArchives) {
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
  // ann's two halves of alice.c are one submission: a copy of bob.c.
  const std::size_t ann_bob = r.out.find("{\"first\":\"ann\",\"second\":\"bob.c\",\"score\":0.");
  ASSERT_NE(string::npos, ann_bob) << r.out;
  EXPECT_EQ(r.out.find("\"suspected\":", ann_bob), r.out.find("\"suspected\":true", ann_bob));
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
TEST(BatchArchives, AnArchiveInAStudentsFolderIsThatStudentsWork) {
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
  EXPECT_EQ(0u, rows[1].find("01 ann,02 bob,0.99")) << r.out;
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
TEST(BatchArchives, AStudentsFilesInACoursePlatformsExportAreOneSubmission) {
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
    EXPECT_EQ(0u, rows[1].find("Ann Lee_101,Bob Wu_102,0.99")) << given << "\n" << r.out;
    EXPECT_EQ("", r.err) << given;
  }
  // Blackboard's, with a note of each attempt beside its files: downloaded
  // with all attempts, a student's latest is the submission, the earlier
  // ones said (merged with them, a copy scored far below what it is).
  const std::vector<std::pair<string, string>> attempts = {
      {"HW3_ann_attempt_2023-10-09-21-30-05.txt", "Name: Ann Lee"},
      {"HW3_ann_attempt_2023-10-09-21-30-05_main.c", ann_main},
      {"HW3_ann_attempt_2023-10-09-21-30-05_util.c", ann_util},
      {"HW3_bob_attempt_2023-10-10-08-00-00.txt", "Name: Bob Wu"},
      {"HW3_bob_attempt_2023-10-10-08-00-00_main.c", read_bytes(kClass + "/dave.c")},
      // A file sorted between his attempts is no one's attempt.
      {"HW3_bob_attempt_2023-10-10-09.c", read_bytes(kClass + "/carol.c")},
      {"HW3_bob_attempt_2023-10-10-10-00-00_main.c", bob_main},
      {"HW3_bob_attempt_2023-10-10-10-00-00_util.c", bob_util},
      {"HW3_bob_attempt_2023-10-10-10-00-00.txt", "Name: Bob Wu"}};
  mkdir("bb", 0755);
  for (const auto& [name, text] : attempts) write_bytes("bb/" + name, text);
  write_bytes("bb.zip", make_archive(ArchiveKind::kZip, attempts));
  for (const char* given : {"bb", "bb.zip"}) {
    const RunResult bb = batch({"--format", "csv", "--all-pairs", given}, dir.path());
    ASSERT_EQ(4u, lines(bb.out).size()) << bb.out;
    EXPECT_EQ(0u, lines(bb.out)[1].find("HW3_ann,HW3_bob,0.99")) << bb.out;
    EXPECT_EQ("ccsim-batch: skipped " + string(given) +
                  "/HW3_bob_attempt_2023-10-10-08-00-00_main.c: an earlier attempt: the latest "
                  "(2023-10-10-10-00-00) is the one compared\n",
              bb.err);
  }
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

TEST(BatchArchives, OfAMemberNameThatComesTwiceTheLastIsTheFile) {
  using testing_support::ArchiveKind;
  using testing_support::make_archive;
  testing_support::ScopedTempDir dir;
  const string alice = read_bytes(kClass + "/alice.c");
  const std::vector<std::pair<string, string>> members = {
      {"alice/main.c", read_bytes(kClass + "/carol.c")},
      {"bob/main.c", read_bytes(kClass + "/bob.c")},
      {"./alice/main.c", alice}};  // appended later
  mkdir("unpacked", 0755);
  mkdir("unpacked/alice", 0755);
  mkdir("unpacked/bob", 0755);
  write_bytes("unpacked/alice/main.c", alice);
  write_bytes("unpacked/bob/main.c", read_bytes(kClass + "/bob.c"));
  const string unpacked = lines(batch({"--format", "csv", "unpacked"}, dir.path()).out).at(1);
  EXPECT_EQ(0u, unpacked.find("alice,bob,0.99")) << unpacked;
  for (const auto& [kind, name] : {std::make_pair(ArchiveKind::kTar, "class.tar"),
                                   std::make_pair(ArchiveKind::kZip, "class.zip"),
                                   std::make_pair(ArchiveKind::k7z, "class.7z")}) {
    write_bytes(name, make_archive(kind, members));
    const RunResult r = batch({"--format", "json", name}, dir.path());
    EXPECT_EQ(1, r.exit_status) << name;
    const string said = string(name) +
                        "/alice/main.c: an earlier member of the same name: the last one is the "
                        "file, as unpacking leaves it";
    EXPECT_EQ("ccsim-batch: skipped " + said + "\n", r.err) << name;
    EXPECT_NE(string::npos, r.out.find("{\"path\":\"" + said.substr(0, said.find(':')) +
                                       "\",\"reason\":\"an earlier member"))
        << name;
    EXPECT_EQ(unpacked, lines(batch({"--format", "csv", name}, dir.path()).out).at(1)) << name;
  }
  // An archive that comes twice is the last one, all of it.
  write_bytes(
      "nested.zip",
      make_archive(ArchiveKind::kZip,
                   {{"alice.zip",
                     make_archive(ArchiveKind::kZip, {{"main.c", read_bytes(kClass + "/carol.c")},
                                                      {"old.c", read_bytes(kClass + "/dave.c")}})},
                    {"bob.c", read_bytes(kClass + "/bob.c")},
                    {"alice.zip", make_archive(ArchiveKind::kZip, {{"main.c", alice}})}}));
  const RunResult nested = batch({"--format", "csv", "nested.zip"}, dir.path());
  EXPECT_EQ(0u, lines(nested.out).at(1).find("alice.zip,bob.c,0.99")) << nested.out;
  EXPECT_EQ(
      "ccsim-batch: skipped nested.zip/alice.zip: an earlier member of the same name: the last "
      "one is the file, as unpacking leaves it\n",
      nested.err);
  // A file and a folder of one name are two entries, two students.
  write_bytes("both.zip",
              make_archive(ArchiveKind::kZip, {{"ann/main.c", alice},
                                               {"bob.c", read_bytes(kClass + "/bob.c")},
                                               {"bob.c/main.c", read_bytes(kClass + "/carol.c")}}));
  const RunResult both = batch({"--format", "json", "both.zip"}, dir.path());
  EXPECT_EQ(0u, both.out.find("{")) << both.err;
  for (const char* name : {"\"ann\"", "\"bob.c\"", "\"bob.c/\""})
    EXPECT_NE(string::npos, both.out.find(string("{\"name\":") + name)) << name << both.out;
  EXPECT_NE(string::npos, both.out.find("{\"first\":\"ann\",\"second\":\"bob.c\",\"score\":0.99"))
      << both.out;
}

TEST(BatchArchives, AStudentInAClassArchiveIsSaidAsInTheFolderItUnpacksTo) {
  using testing_support::ArchiveKind;
  using testing_support::make_archive;
  testing_support::ScopedTempDir dir;
  const std::vector<std::pair<string, string>> members = {
      {"ann/main.c", read_bytes(kClass + "/alice.c")},
      {"bob/main.c", read_bytes(kClass + "/bob.c")},
      {"dan/report.docx", "not C"},
      {"eve.zip", ""},
      {"fay.zip", "PK\3\4 cut short"},
      {"gil.zip", make_archive(ArchiveKind::kZip, {})},
      {"hal.zip", make_archive(ArchiveKind::kZip, {{"notes.txt", "not C"}})},
      {"readme.txt", "the teacher's notes: no student's"}};
  mkdir("class", 0755);
  for (const char* student : {"class/ann", "class/bob", "class/dan"}) mkdir(student, 0755);
  for (const auto& [name, bytes] : members) write_bytes("class/" + name, bytes);
  write_bytes("class.zip", make_archive(ArchiveKind::kZip, members));
  const RunResult folder = batch({"--format", "csv", "class"}, dir.path());
  const RunResult zip = batch({"--format", "csv", "class.zip"}, dir.path());
  EXPECT_EQ(folder.out, zip.out);
  std::vector<string> said = lines(folder.err);
  ASSERT_EQ(5u, said.size()) << folder.err;
  for (const char* who : {"dan", "eve.zip", "gil.zip", "hal.zip"})
    EXPECT_NE(string::npos, folder.err.find("skipped class/" + string(who) +
                                            ": holds no source file (--extensions says which "
                                            "are)\n"))
        << who;
  EXPECT_NE(string::npos, folder.err.find("skipped class/fay.zip: cannot be read as an archive"));
  std::vector<string> zip_said;
  for (string line : lines(zip.err)) {
    const std::size_t at = line.find("class.zip/");
    if (at != string::npos) line.replace(at, 10, "class/");
    zip_said.push_back(line);
  }
  std::sort(said.begin(), said.end());
  std::sort(zip_said.begin(), zip_said.end());
  EXPECT_EQ(said, zip_said) << zip.err;
  // So too below a folder that wraps the class.
  std::vector<std::pair<string, string>> wrapped;
  for (const auto& [name, bytes] : members) wrapped.emplace_back("export/" + name, bytes);
  write_bytes("wrapped.zip", make_archive(ArchiveKind::kZip, wrapped));
  const RunResult w = batch({"--format", "csv", "wrapped.zip"}, dir.path());
  EXPECT_EQ(5u, lines(w.err).size()) << w.err;
  EXPECT_NE(string::npos, w.err.find("skipped wrapped.zip/export/dan: holds no source")) << w.err;
}

// A project built with CLion (or Visual Studio's CMake support) carries
// CMake's own CMakeCCompilerId.c, hundreds of lines, in each student's
// build folder: not theirs, and the same for all of them.
TEST(BatchArchives, CmakesBuildFilesAreNoStudentsWork) {
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

}  // namespace
