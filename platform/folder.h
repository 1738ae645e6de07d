// Listing a folder: each entry's name with what it is, in one pass, so that
// a walk costs the same for every entry however deep its folder lies.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct FolderEntry {
  enum class Type { kFolder, kFile, kLink, kOther, kUnknown };
  std::string name;  // as path text (UTF-8 on Windows)
  Type type =
      Type::kUnknown;  // the entry itself, a link not followed; kUnknown if it cannot be examined
  std::uintmax_t size = 0;  // of a file
};

/// The entries of the folder at `path` (path text), "." and ".." left out,
/// in no order. False, with `why` set to the system's words, if it cannot be
/// listed (what was listed before an error is kept).
bool list_folder(const std::string& path, std::vector<FolderEntry>* out, std::string* why);

/// What tells the file or folder at `path` (path text, links followed) from
/// every other: equal for two paths that lead to the same one (a hard link
/// too, where the system has them). False if it cannot be examined.
bool file_identity(const std::string& path, std::string* identity);

}  // namespace platform
