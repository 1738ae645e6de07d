// Opening files on POSIX systems: without blocking, regular files only.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

#include "platform/file.h"

namespace platform {

File File::open_for_reading(const std::string& path) {
  // Opened without blocking, so that a FIFO with no writer cannot hang us;
  // only a regular file is read (a folder, a FIFO or a device is no source).
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return File(nullptr);
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return File(nullptr);
  }
  std::FILE* fp = fdopen(fd, "rb");
  if (fp == nullptr) ::close(fd);
  return File(fp);
}

File File::create(const std::string& path) { return File(std::fopen(path.c_str(), "wb")); }

File File::create_new(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return File(nullptr);
  std::FILE* fp = fdopen(fd, "wb");
  if (fp == nullptr) ::close(fd);
  return File(fp);
}

void make_closed_pipes_write_errors() { std::signal(SIGPIPE, SIG_IGN); }

bool move_replacing(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

bool remove_file(const std::string& path) { return std::remove(path.c_str()) == 0; }

bool can_write(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

bool is_link(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool same_file(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

std::string current_directory() {
  std::string buf(4096, '\0');
  if (getcwd(buf.data(), buf.size()) == nullptr) return ".";
  buf.resize(buf.find('\0'));
  return buf;
}

}  // namespace platform
