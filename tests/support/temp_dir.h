// A scratch folder for tests that touch the disk: made and entered on
// construction, left and removed with everything in it on destruction.
#pragma once

#include <string>
#include <string_view>

namespace testing_support {

class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::string previous_;
};

/// Writes `bytes` to `path` exactly.
void write_bytes(const std::string& path, std::string_view bytes);
/// The file's bytes; a test failure if it cannot be read.
std::string read_bytes(const std::string& path);
bool file_exists(const std::string& path);

}  // namespace testing_support
