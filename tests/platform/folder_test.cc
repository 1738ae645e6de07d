#include "platform/folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace {

using platform::FolderEntry;
using testing_support::ScopedTempDir;

// Each entry comes with what it is itself: a link is a link, whatever it
// leads to, and a file has its size.
TEST(Folder, EntriesComeWithWhatTheyAreAndTheirSize) {
  ScopedTempDir dir;
  mkdir("f", 0755);
  mkdir("f/sub", 0755);
  testing_support::write_bytes("f/a.c", "int a;");
  ASSERT_EQ(0, symlink("sub", "f/to_sub"));
  ASSERT_EQ(0, symlink("missing", "f/dangling"));
  ASSERT_EQ(0, mkfifo("f/fifo", 0644));
  std::vector<FolderEntry> entries;
  std::string why;
  ASSERT_TRUE(platform::list_folder("f", &entries, &why)) << why;
  std::sort(entries.begin(), entries.end(),
            [](const FolderEntry& x, const FolderEntry& y) { return x.name < y.name; });
  ASSERT_EQ(5u, entries.size());
  const std::vector<std::pair<std::string, FolderEntry::Type>> expected = {
      {"a.c", FolderEntry::Type::kFile},
      {"dangling", FolderEntry::Type::kLink},
      {"fifo", FolderEntry::Type::kOther},
      {"sub", FolderEntry::Type::kFolder},
      {"to_sub", FolderEntry::Type::kLink}};
  for (std::size_t k = 0; k < expected.size(); ++k) {
    EXPECT_EQ(expected[k].first, entries[k].name);
    EXPECT_EQ(expected[k].second, entries[k].type) << entries[k].name;
  }
  EXPECT_EQ(6u, entries[0].size);
}

TEST(Folder, WhatCannotBeListedSaysWhy) {
  ScopedTempDir dir;
  testing_support::write_bytes("file", "x");
  for (const char* path : {"missing", "file"}) {
    std::vector<FolderEntry> entries;
    std::string why;
    EXPECT_FALSE(platform::list_folder(path, &entries, &why)) << path;
    EXPECT_FALSE(why.empty()) << path;
    EXPECT_TRUE(entries.empty()) << path;
  }
}

// Two paths to one file, by a link of either kind, are one file; a copy of
// it is another.
TEST(Folder, IdentityIsTheFilesNotThePaths) {
  ScopedTempDir dir;
  mkdir("d", 0755);
  testing_support::write_bytes("d/a.c", "int a;");
  testing_support::write_bytes("d/copy.c", "int a;");
  ASSERT_EQ(0, symlink("d/a.c", "soft.c"));
  ASSERT_EQ(0, link("d/a.c", "hard.c"));
  std::string a, soft, hard, dotted, copy, missing;
  ASSERT_TRUE(platform::file_identity("d/a.c", &a));
  ASSERT_TRUE(platform::file_identity("soft.c", &soft));
  ASSERT_TRUE(platform::file_identity("hard.c", &hard));
  ASSERT_TRUE(platform::file_identity("./d/../d/a.c", &dotted));
  ASSERT_TRUE(platform::file_identity("d/copy.c", &copy));
  EXPECT_EQ(a, soft);
  EXPECT_EQ(a, hard);
  EXPECT_EQ(a, dotted);
  EXPECT_NE(a, copy);
  EXPECT_FALSE(platform::file_identity("d/missing.c", &missing));
}

}  // namespace
