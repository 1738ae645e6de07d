// list_folder() on POSIX systems: each entry examined relative to the open
// folder (fstatat), never by its whole path again.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/folder.h"

namespace platform {

bool list_folder(const std::string& path, std::vector<FolderEntry>* out, std::string* why) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* dir = fd < 0 ? nullptr : fdopendir(fd);
  if (dir == nullptr) {
    *why = std::strerror(errno);
    if (fd >= 0) ::close(fd);
    return false;
  }
  bool ok = true;
  for (;;) {
    errno = 0;
    const dirent* d = readdir(dir);
    if (d == nullptr) {
      if (errno != 0) {
        *why = std::strerror(errno);
        ok = false;
      }
      break;
    }
    const std::string name = d->d_name;
    if (name == "." || name == "..") continue;
    FolderEntry e;
    e.name = name;
    struct stat st;
    if (fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
      e.type = S_ISDIR(st.st_mode)   ? FolderEntry::Type::kFolder
               : S_ISREG(st.st_mode) ? FolderEntry::Type::kFile
               : S_ISLNK(st.st_mode) ? FolderEntry::Type::kLink
                                     : FolderEntry::Type::kOther;
      e.size = static_cast<std::uintmax_t>(st.st_size);
    }
    out->push_back(std::move(e));
  }
  closedir(dir);
  return ok;
}

bool file_identity(const std::string& path, std::string* identity) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  *identity = std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
  return true;
}

}  // namespace platform
