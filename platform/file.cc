// File: a thin owner of a stdio stream in binary mode; text-mode conversion
// is done explicitly by the callers (text_mode.h).
#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

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

File::File(File&& other) noexcept : fp_(std::exchange(other.fp_, nullptr)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    close();
    fp_ = std::exchange(other.fp_, nullptr);
  }
  return *this;
}

File::~File() { close(); }

bool File::read_all(std::string* out) {
  if (!fp_) return false;
  char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, fp_)) > 0) out->append(buf, n);
  return !std::ferror(fp_);
}

bool File::write(std::string_view bytes) {
  if (!fp_) return false;
  return std::fwrite(bytes.data(), 1, bytes.size(), fp_) == bytes.size();
}

bool File::close() {
  if (!fp_) return true;
  const bool ok = !std::ferror(fp_);
  const bool closed = std::fclose(fp_) == 0;
  fp_ = nullptr;
  return ok && closed;
}

bool read_file(const std::string& path, std::string* out) {
  File file = File::open_for_reading(path);
  return file.ok() && file.read_all(out);
}

bool can_write(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

std::string current_directory() {
  std::string buf(4096, '\0');
  if (getcwd(buf.data(), buf.size()) == nullptr) return ".";
  buf.resize(buf.find('\0'));
  return buf;
}

}  // namespace platform
