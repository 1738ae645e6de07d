// list_folder() through std::filesystem, for systems without fstatat
// (Windows, where a path cannot be deep enough for the difference to tell).
#include <filesystem>
#include <system_error>

#include "platform/file.h"
#include "platform/folder.h"

namespace platform {

bool list_folder(const std::string& path, std::vector<FolderEntry>* out, std::string* why) {
  namespace fs = std::filesystem;
  std::error_code ec;
  for (fs::directory_iterator it(fs_path(path), ec); !ec && it != fs::directory_iterator();
       it.increment(ec)) {
    FolderEntry e;
    e.name = path_text(it->path().filename());
    std::error_code entry_ec;
    const fs::file_status st = it->symlink_status(entry_ec);
    if (!entry_ec) {
      e.type = fs::is_directory(st)      ? FolderEntry::Type::kFolder
               : fs::is_regular_file(st) ? FolderEntry::Type::kFile
               : fs::is_symlink(st)      ? FolderEntry::Type::kLink
                                         : FolderEntry::Type::kOther;
      if (e.type == FolderEntry::Type::kFile) {
        const std::uintmax_t size = it->file_size(entry_ec);
        e.size = entry_ec ? 0 : size;
      }
    }
    out->push_back(std::move(e));
  }
  if (ec) *why = ec.message();
  return !ec;
}

bool file_identity(const std::string& path, std::string* identity) {
  std::error_code ec;
  const std::filesystem::path real = std::filesystem::canonical(fs_path(path), ec);
  if (ec) return false;
  *identity = path_text(real);
  return true;
}

}  // namespace platform
