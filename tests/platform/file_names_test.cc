// File names of any script, on every system: the programs keep them as
// UTF-8 text, and open, write, replace and remove files by them. These run
// on Windows (under Wine) too.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/file.h"

namespace {

namespace fs = std::filesystem;
using platform::fs_path;
using platform::path_text;

// A fresh folder under the system's temporary folder, removed afterwards.
class Scratch {
 public:
  Scratch() {
    const fs::path base = fs::temp_directory_path();
    for (int k = 0;; ++k) {
      dir_ = base / ("ccsim-names-" + std::to_string(k));
      std::error_code ec;
      if (fs::create_directory(dir_, ec)) break;
    }
  }
  ~Scratch() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string at(const std::string& name) const { return path_text(dir_) + "/" + name; }

 private:
  fs::path dir_;
};

TEST(FileNames, TextAndPathsConvertBothWaysWithSlashesBetweenParts) {
  const std::string name = "\xe7\x8f\xad\xe7\xba\xa7/\xe5\xbc\xa0\xe4\xb8\x89.c";  // 班级/张三.c
  EXPECT_EQ(name, path_text(fs_path(name)));
  EXPECT_EQ(name,
            path_text(fs_path("\xe7\x8f\xad\xe7\xba\xa7") / fs_path("\xe5\xbc\xa0\xe4\xb8\x89.c")));
  EXPECT_EQ(".c", path_text(fs_path(name).extension()));
  EXPECT_EQ("\xe5\xbc\xa0\xe4\xb8\x89.c", path_text(fs_path(name).filename()));
}

TEST(FileNames, FilesNamedInChineseAreWrittenReadReplacedAndRemoved) {
  Scratch scratch;
  const std::string file = scratch.at("\xe5\xbc\xa0\xe4\xb8\x89.c");   // 张三.c
  const std::string other = scratch.at("\xe6\x9d\x8e\xe5\x9b\x9b.c");  // 李四.c
  ASSERT_TRUE(platform::write_whole(file, "int main() {}\n"));
  EXPECT_TRUE(fs::is_regular_file(fs_path(file)));
  std::string back;
  ASSERT_TRUE(platform::read_file(file, &back));
  EXPECT_EQ("int main() {}\n", back);
  ASSERT_TRUE(platform::write_whole(file, "again"));  // over the earlier one
  back.clear();
  ASSERT_TRUE(platform::read_file(file, &back));
  EXPECT_EQ("again", back);
  EXPECT_FALSE(fs::exists(fs_path(file + ".part")));
  ASSERT_TRUE(platform::write_whole(other, "other"));
  EXPECT_TRUE(platform::move_replacing(other, file));
  back.clear();
  ASSERT_TRUE(platform::read_file(file, &back));
  EXPECT_EQ("other", back);
  EXPECT_FALSE(fs::exists(fs_path(other)));
  EXPECT_TRUE(platform::can_write(other));
  EXPECT_TRUE(platform::remove_file(file));
  EXPECT_FALSE(platform::File::open_for_reading(file).ok());
  EXPECT_FALSE(platform::remove_file(file));
}

}  // namespace
