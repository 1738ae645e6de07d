// Files on Windows: names are UTF-8 text inside the program and reach the
// system as UTF-16, so that any name opens whatever the code page; only
// files on a disk are read (not a console, a pipe or a device such as CON).
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "platform/file.h"

namespace platform {
namespace {

// The UTF-16 form of UTF-8 text; empty (which names no file) if it is not
// UTF-8.
std::wstring wide(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                    static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                      out.data(), n);
  return out;
}

// A C stream on an open handle (`flags` and `mode` as _open_osfhandle and
// _fdopen take them), or nullptr with the handle closed.
std::FILE* stream_of(HANDLE h, int flags, const char* mode) {
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), flags | _O_BINARY);
  if (fd < 0) {
    CloseHandle(h);
    return nullptr;
  }
  std::FILE* fp = _fdopen(fd, mode);
  if (fp == nullptr) _close(fd);
  return fp;
}

}  // namespace

File File::open_for_reading(const std::string& path) {
  HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return File(nullptr);
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    CloseHandle(h);
    return File(nullptr);
  }
  return File(stream_of(h, _O_RDONLY, "rb"));
}

File File::create(const std::string& path) { return File(_wfopen(wide(path).c_str(), L"wb")); }

File File::create_new(const std::string& path) {
  HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return File(nullptr);
  return File(stream_of(h, _O_WRONLY, "wb"));
}

bool can_write(const std::string& path) {
  HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool disk = GetFileType(h) == FILE_TYPE_DISK;
  CloseHandle(h);
  return disk;
}

bool is_link(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

namespace {

// The volume and index that tell a file apart from every other, whatever
// name (or hard link) it is reached by; false if it cannot be opened.
bool identity_of(const std::string& path, BY_HANDLE_FILE_INFORMATION* info) {
  HANDLE h = CreateFileW(wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool ok = GetFileInformationByHandle(h, info) != 0;
  CloseHandle(h);
  return ok;
}

}  // namespace

bool same_file(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION x, y;
  return identity_of(a, &x) && identity_of(b, &y) &&
         x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
         x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

// The C library's rename refuses to replace a file on Windows.
// A write to a pipe whose reader has gone fails with an error here anyway.
void make_closed_pipes_write_errors() {}

bool move_replacing(const std::string& from, const std::string& to) {
  return MoveFileExW(wide(from).c_str(), wide(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool remove_file(const std::string& path) { return DeleteFileW(wide(path).c_str()) != 0; }

std::string current_directory() {
  char buf[MAX_PATH + 1];
  const DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
  return n == 0 || n > MAX_PATH ? std::string(".") : std::string(buf, n);
}

}  // namespace platform
