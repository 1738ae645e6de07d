// A file held open: opened for reading, or created (truncated) for writing.
// Closing is explicit or happens when the object goes.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

class File {
 public:
  /// Opens an existing regular file for reading only. Check ok(). Anything
  /// else (a folder, a FIFO, a device) is refused without blocking.
  static File open_for_reading(const std::string& path);
  /// Creates or truncates a file for writing. Check ok().
  static File create(const std::string& path);
  /// Creates a file for writing that was not there: fails, leaving it as it
  /// is, if anything is at `path` already. Check ok().
  static File create_new(const std::string& path);

  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File();

  bool ok() const { return fp_ != nullptr; }
  /// All bytes from the current position to the end. False on a read error.
  bool read_all(std::string* out);
  /// Up to `n` bytes into `out` (fewer at the end). False on a read error.
  bool read_some(std::size_t n, std::string* out);
  /// False on a write error.
  bool write(std::string_view bytes);
  /// Flushes and closes; false if anything failed to reach the disk.
  bool close();

 private:
  explicit File(std::FILE* fp) : fp_(fp) {}
  std::FILE* fp_;
};

/// Reads a whole file; false if it cannot be opened or read.
bool read_file(const std::string& path, std::string* out);

/// True if `path` can be written: it is created if missing, but an existing
/// file is left as it is (not truncated).
bool can_write(const std::string& path);

/// True if `path` itself is a link (a symbolic link, dangling or not; on
/// Windows any reparse point): writing to it would write somewhere else.
bool is_link(const std::string& path);

/// True if `a` and `b` both exist and are one file: the same name, or hard
/// links to one another.
bool same_file(const std::string& a, const std::string& b);

/// Writes `bytes` as the whole of the file at `path`, in one step: they go to
/// a new file beside it first (`path`.part, or `path`.1.part, ... when that
/// name is taken: a file already there is never written over), which then
/// takes its place, so that a failed write leaves a file already at `path`
/// as it was. Through a link, the file it leads to is replaced. Anything but
/// a regular file (a device, a pipe) is written directly. False if anything
/// failed.
bool write_whole(const std::string& path, std::string_view bytes);

/// Writes several files whole, as write_whole() writes one, and all or none
/// of them: every file's bytes go to a new file beside it first, and only
/// when all are on disk do they take their places. False if anything
/// failed; the files at the paths are then as they were, unless the last
/// step, a rename within the folder, failed after others were done.
bool write_all_whole(const std::vector<std::pair<std::string, std::string_view>>& files);

/// Makes a write to a pipe whose reader has gone (`| head -1`) fail as
/// any write error does, rather than end the process there (SIGPIPE, on
/// POSIX systems), so that the program can say so and finish its work.
void make_closed_pipes_write_errors();

/// Moves the file `from` to `to`, replacing a file already at `to`.
bool move_replacing(const std::string& from, const std::string& to);

/// Removes a file; false if it could not be.
bool remove_file(const std::string& path);

/// Paths are text inside the programs: UTF-8 on Windows (whatever the
/// system's code page), the bytes the system gave elsewhere. These turn
/// that text into a path for std::filesystem and back, with '/' between
/// the parts on every system. Text that can be no path here (not UTF-8, on
/// Windows: a name from inside an archive) gives the empty path, which
/// names no file.
std::filesystem::path fs_path(const std::string& text);
std::string path_text(const std::filesystem::path& p);

}  // namespace platform

namespace platform {

/// The absolute path of the working directory ("." if it cannot be had).
std::string current_directory();

}  // namespace platform
