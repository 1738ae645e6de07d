#include "platform/file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"

namespace {

using testing_support::ScopedTempDir;

TEST(File, CreateTruncatesAndReadGivesTheBytesBack) {
  ScopedTempDir dir;
  testing_support::write_bytes("f", "old contents");
  platform::File out = platform::File::create("f");
  ASSERT_TRUE(out.ok());
  EXPECT_TRUE(out.write(std::string("x\0y", 3)));
  EXPECT_TRUE(out.close());
  std::string back;
  EXPECT_TRUE(platform::read_file("f", &back));
  EXPECT_EQ(std::string("x\0y", 3), back);
}

TEST(File, MissingFilesAndDirectoriesDoNotOpenForReading) {
  ScopedTempDir dir;
  EXPECT_FALSE(platform::File::open_for_reading("absent").ok());
  mkdir("folder", 0755);
  EXPECT_FALSE(platform::File::open_for_reading("folder").ok());
  std::string ignored;
  EXPECT_FALSE(platform::read_file("folder", &ignored));
}

TEST(File, ReadOnlyFilesOpenForReading) {
  ScopedTempDir dir;
  testing_support::write_bytes("ro", "abc");
  chmod("ro", 0444);
  std::string back;
  EXPECT_TRUE(platform::read_file("ro", &back));
  EXPECT_EQ("abc", back);
}

TEST(File, WriteWholeReplacesAFileOrLeavesItAsItWas) {
  ScopedTempDir dir;
  const auto contents = [](const std::string& path) {
    std::string back;
    return platform::read_file(path, &back) ? back : "(unreadable)";
  };
  testing_support::write_bytes("out", "earlier");
  EXPECT_TRUE(platform::write_whole("out", "later"));
  EXPECT_EQ("later", contents("out"));
  // Names beside it that are taken are left as they are.
  testing_support::write_bytes("out.part", "the user's own");
  mkdir("out.1.part", 0755);
  EXPECT_TRUE(platform::write_whole("out", "again"));
  EXPECT_EQ("again", contents("out"));
  EXPECT_EQ("the user's own", contents("out.part"));
  EXPECT_TRUE(std::filesystem::is_directory("out.1.part"));
  EXPECT_FALSE(std::filesystem::exists("out.2.part"));
  // No file beside it can be made: the earlier one is untouched.
  for (int k = 2; k < 100; ++k) mkdir(("out." + std::to_string(k) + ".part").c_str(), 0755);
  EXPECT_FALSE(platform::write_whole("out", "lost"));
  EXPECT_EQ("again", contents("out"));
  EXPECT_EQ("the user's own", contents("out.part"));
  EXPECT_FALSE(platform::write_whole("no/such/folder/out", "x"));
}

TEST(File, WriteWholeThroughALinkReplacesTheFileItLeadsTo) {
  ScopedTempDir dir;
  mkdir("shared", 0755);
  testing_support::write_bytes("shared/report.html", "earlier");
  ASSERT_EQ(0, symlink("shared/report.html", "report.html"));
  EXPECT_TRUE(platform::write_whole("report.html", "later"));
  EXPECT_TRUE(std::filesystem::is_symlink("report.html"));
  std::string back;
  EXPECT_TRUE(platform::read_file("shared/report.html", &back));
  EXPECT_EQ("later", back);
}

}  // namespace
