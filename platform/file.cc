// File: a thin owner of a stdio stream in binary mode; text-mode conversion
// is done explicitly by the callers (text_mode.h). How files are opened
// safely is the system's: file_posix.cc, file_windows.cc.
#include "platform/file.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <utility>

namespace platform {

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

bool File::read_some(std::size_t n, std::string* out) {
  if (!fp_) return false;
  std::string buf(n, '\0');
  buf.resize(std::fread(buf.data(), 1, n, fp_));
  out->append(buf);
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

namespace {

// A new file beside `path` holding `bytes` (`path`.part, or `path`.1.part,
// ... when that name is taken: a file of the user's own called
// report.html.part is left alone). Its name, or "" if none could be made.
std::string stage_beside(const std::string& path, std::string_view bytes) {
  std::error_code ec;
  for (int k = 0; k < 100; ++k) {
    const std::string beside = path + (k == 0 ? "" : "." + std::to_string(k)) + ".part";
    File file = File::create_new(beside);
    if (!file.ok()) {
      if (std::filesystem::exists(fs_path(beside), ec)) continue;  // taken: the next name
      return std::string();
    }
    const bool written = file.write(bytes);
    if (file.close() && written) return beside;
    remove_file(beside);
    return std::string();
  }
  return std::string();
}

}  // namespace

bool write_whole(const std::string& given, std::string_view bytes) {
  // A device or a pipe (/dev/null, a shell's >(...)) is written as it is.
  std::error_code ec;
  const auto kind = std::filesystem::status(fs_path(given), ec).type();
  if (!ec && kind != std::filesystem::file_type::regular) {
    File file = File::create(given);
    return file.ok() && file.write(bytes) && file.close();
  }
  // Through a link, the file it leads to is the one replaced; the link stays.
  std::string path = given;
  if (std::filesystem::is_symlink(fs_path(given), ec)) {
    const std::filesystem::path target = std::filesystem::canonical(fs_path(given), ec);
    if (!ec) path = path_text(target);
  }
  return write_all_whole({{path, bytes}});
}

bool write_all_whole(const std::vector<std::pair<std::string, std::string_view>>& files) {
  std::vector<std::string> staged;
  for (const auto& [path, bytes] : files) {
    std::string beside = stage_beside(path, bytes);
    if (beside.empty()) {
      for (const std::string& s : staged) remove_file(s);
      return false;
    }
    staged.push_back(std::move(beside));
  }
  bool moved = true;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (moved && move_replacing(staged[i], files[i].first)) continue;
    moved = false;
    remove_file(staged[i]);
  }
  return moved;
}

std::filesystem::path fs_path(const std::string& text) {
  try {
    return std::filesystem::u8path(text);
  } catch (const std::exception&) {
    return {};  // no UTF-8 (a GBK name from an archive, on Windows): names no file
  }
}

std::string path_text(const std::filesystem::path& p) { return p.generic_u8string(); }

}  // namespace platform
