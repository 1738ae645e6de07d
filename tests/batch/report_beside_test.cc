// The report of a class dropped on the program: where it goes, what it is
// called, and that no file already there is ever written over. These run
// on Windows (under Wine) too.
#include "batch/report_beside.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "batch/options.h"
#include "platform/file.h"

namespace {

namespace fs = std::filesystem;
using batch::report_place;
using platform::fs_path;
using platform::path_text;

// A fresh folder under the system's temporary folder, removed afterwards.
class Scratch {
 public:
  Scratch() {
    const fs::path base = fs::temp_directory_path();
    for (int k = 0;; ++k) {
      dir_ = base / ("ccsim-beside-" + std::to_string(k));
      std::error_code ec;
      if (fs::create_directory(dir_, ec)) break;
    }
  }
  ~Scratch() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string path() const { return path_text(dir_); }
  std::string at(const std::string& name) const { return path() + "/" + name; }
  std::string folder(const std::string& name) const {
    fs::create_directories(fs_path(at(name)));
    return at(name);
  }
  std::string file(const std::string& name, std::string_view bytes) const {
    EXPECT_TRUE(platform::write_whole(at(name), bytes));
    return at(name);
  }

 private:
  fs::path dir_;
};

std::string contents(const std::string& path) {
  std::string bytes;
  EXPECT_TRUE(platform::read_file(path, &bytes)) << path;
  return bytes;
}

TEST(ReportBeside, NamesAreTheClassesThenNumbered) {
  EXPECT_EQ("class-ccsim-report.html", batch::report_file_name("class", 1));
  EXPECT_EQ("class-ccsim-report-2.html", batch::report_file_name("class", 2));
  EXPECT_EQ("class-ccsim-report-13.html", batch::report_file_name("class", 13));
  EXPECT_EQ("ccsim-report.html", batch::report_file_name("", 1));
  EXPECT_EQ("ccsim-report-2.html", batch::report_file_name("", 2));
}

TEST(ReportBeside, TheReportGoesBesideWhatWasDroppedNamedAfterIt) {
  Scratch s;
  const std::string here = s.path();
  const std::string chinese = s.folder("\xe7\x8f\xad\xe7\xba\xa7");  // 班级
  EXPECT_EQ(here, report_place({s.folder("class")}).folder);
  EXPECT_EQ("class", report_place({s.at("class")}).name);
  EXPECT_EQ("class", report_place({s.at("class") + "/"}).name);  // as a shell completes it
  EXPECT_EQ(here, report_place({s.at("class") + "/"}).folder);
  EXPECT_EQ("class", report_place({s.at("class") + "/sub/.."}).name);
  EXPECT_EQ("\xe7\x8f\xad\xe7\xba\xa7", report_place({chinese}).name);
  // A folder's name is all of it; an archive or a file loses its extension.
  EXPECT_EQ("week.3", report_place({s.folder("week.3")}).name);
  EXPECT_EQ("class", report_place({s.file("class.zip", "PK")}).name);
  EXPECT_EQ("class", report_place({s.file("class.TAR.GZ", "")}).name);
  EXPECT_EQ("alice", report_place({s.file("alice.c", "int x;")}).name);
  EXPECT_EQ(here, report_place({s.at("alice.c")}).folder);

  // Several dropped together: in the folder holding them, named after it.
  const batch::ReportPlace several =
      report_place({s.file("class/alice.c", "a"), s.file("class/bob.c", "b")});
  EXPECT_EQ(s.at("class"), several.folder);
  EXPECT_EQ("class", several.name);

  // A path relative to the working folder is settled against it.
  const fs::path cwd = fs::current_path();
  const batch::ReportPlace dot = report_place({"."});
  EXPECT_EQ(path_text(cwd.parent_path()), dot.folder);
  EXPECT_EQ(path_text(cwd.filename()), dot.name);

  // A root has no name to lend, and is its own folder.
  EXPECT_EQ("", report_place({path_text(cwd.root_path())}).name);
}

TEST(ReportBeside, NoFileAlreadyThereIsWrittenOver) {
  Scratch s;
  const batch::ReportPlace place{s.path(), "class"};
  std::string path, error;
  {
    platform::File first = batch::create_report_file(place, &path, &error);
    ASSERT_TRUE(first.ok()) << error;
    EXPECT_EQ(s.at("class-ccsim-report.html"), path);
    EXPECT_TRUE(first.write("one"));
    EXPECT_TRUE(first.close());
  }
  {
    platform::File second = batch::create_report_file(place, &path, &error);
    ASSERT_TRUE(second.ok()) << error;
    EXPECT_EQ(s.at("class-ccsim-report-2.html"), path);
  }
  // Taken by a file of the teacher's, or by a folder: each passed over.
  s.file("class-ccsim-report-3.html", "mine");
  s.folder("class-ccsim-report-4.html");
  platform::File fifth = batch::create_report_file(place, &path, &error);
  ASSERT_TRUE(fifth.ok()) << error;
  EXPECT_EQ(s.at("class-ccsim-report-5.html"), path);
  EXPECT_EQ("one", contents(s.at("class-ccsim-report.html")));
  EXPECT_EQ("mine", contents(s.at("class-ccsim-report-3.html")));
  EXPECT_TRUE(fs::is_directory(fs_path(s.at("class-ccsim-report-4.html"))));
#ifndef _WIN32
  // A link, even one leading nowhere, is passed over too: writing through it
  // would make a file elsewhere.
  fs::create_symlink(fs_path(s.at("nowhere")), fs_path(s.at("class-ccsim-report-6.html")));
  platform::File seventh = batch::create_report_file(place, &path, &error);
  ASSERT_TRUE(seventh.ok()) << error;
  EXPECT_EQ(s.at("class-ccsim-report-7.html"), path);
  EXPECT_FALSE(fs::exists(fs_path(s.at("nowhere"))));
#endif
}

TEST(ReportBeside, AFolderThatCannotTakeItOrIsFullIsSaid) {
  Scratch s;
  std::string path, error;
  const batch::ReportPlace missing{s.at("gone"), "class"};
  EXPECT_FALSE(batch::create_report_file(missing, &path, &error).ok());
  EXPECT_EQ(s.at("gone/class-ccsim-report.html") + ": cannot be written", error);
  EXPECT_FALSE(fs::exists(fs_path(s.at("gone"))));

  s.file("class-ccsim-report.html", "1");
  s.file("class-ccsim-report-2.html", "2");
  s.file("class-ccsim-report-3.html", "3");
  error.clear();
  EXPECT_FALSE(batch::create_report_file({s.path(), "class"}, &path, &error, 3).ok());
  EXPECT_EQ(s.at("class-ccsim-report.html") +
                " and the 2 numbered names after it are taken: no report is written over them",
            error);
  EXPECT_EQ("3", contents(s.at("class-ccsim-report-3.html")));
  EXPECT_FALSE(fs::exists(fs_path(s.at("class-ccsim-report-4.html"))));
}

TEST(ReportBeside, TheWholeReportIsWrittenBesideTheClass) {
  Scratch s;
  const std::string cls = s.folder("class");
  s.file("class-ccsim-report.html", "an earlier one");
  const batch::Options options;
  const std::vector<batch::Submission> subs;
  const std::vector<batch::Prepared> prepared;
  const std::vector<batch::PairScore> ranked;
  const std::vector<batch::Skipped> skipped;
  const batch::Run run{options, subs, prepared, ranked, skipped, 0, 0};
  std::string path, error;
  ASSERT_TRUE(batch::write_report_beside({cls}, run, &path, &error)) << error;
  EXPECT_EQ(s.at("class-ccsim-report-2.html"), path);
  EXPECT_NE(std::string::npos, contents(path).find("</html>"));
  EXPECT_EQ("an earlier one", contents(s.at("class-ccsim-report.html")));
}

}  // namespace
