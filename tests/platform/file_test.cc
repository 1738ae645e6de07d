#include "platform/file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

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
  testing_support::write_bytes("out", "earlier");
  EXPECT_TRUE(platform::write_whole("out", "later"));
  std::string back;
  EXPECT_TRUE(platform::read_file("out", &back));
  EXPECT_EQ("later", back);
  // The file beside it cannot be made: the earlier one is untouched.
  mkdir("out.part", 0755);
  EXPECT_FALSE(platform::write_whole("out", "lost"));
  back.clear();
  EXPECT_TRUE(platform::read_file("out", &back));
  EXPECT_EQ("later", back);
  EXPECT_FALSE(platform::write_whole("no/such/folder/out", "x"));
}

}  // namespace
