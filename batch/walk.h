// The walk of a folder named on the command line: what no student wrote is
// passed over, a link is followed only inside the path named, and a folder
// is entered once.
#pragma once

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "batch/submission.h"
#include "platform/folder.h"

namespace batch {

/// Entries no student wrote, passed over unsaid in folders and archives
/// alike: hidden ones, "__MACOSX", CMake's "CMakeFiles".
bool is_tools_entry(std::string_view part);

/// The path text `parent`/`name`.
std::string child_path(const std::string& parent, std::string_view name);

/// A path named on the command line as a file: a regular file within the
/// size limit, or an input error.
bool named_file(const std::filesystem::path& p, std::uintmax_t max_size, std::string* error,
                std::string (*too_large)(std::uintmax_t, std::uintmax_t));

/// The walk under one path argument: a link is followed only to a place
/// inside the argument, and a folder is entered once however many links
/// lead to it. Whatever is passed over for a reason is listed in `skipped`.
/// Paths are path text. An entry is known from its folder's listing and a
/// folder's real path is its parent's and its name (only a link is
/// resolved), so each entry costs the same however deep it lies.
class Walk {
 public:
  enum class Kind { kFile, kFolder, kOther };
  using Entry = platform::FolderEntry;

  Walk(const std::string& root, const Reading& reading, std::vector<Skipped>* skipped);

  /// The real path of the argument.
  const std::string& root() const { return root_; }

  /// The entries of the folder at `path` a student may have written, in
  /// path order. False, with `why` set, if it cannot be listed.
  bool entries(const std::string& path, std::vector<Entry>* out, std::string* why);

  /// What the entry `e` at `path`, in the folder whose real path is
  /// `parent`, is, following a link that stays inside the argument; reports
  /// an entry passed over (for a plain file, only a source or an archive is
  /// worth it). For a folder, `real` is set to its real path.
  Kind kind_of(const std::string& path, const Entry& e, const std::string& parent,
               std::string* real);

  /// True the first time the folder at `path`, real path `real`, is entered
  /// (by any path that leads to it).
  bool enter(const std::string& path, const std::string& real);

  /// The sources and archives below `folder` (entered already, real path
  /// `real`), in path order.
  void files_below(const std::string& folder, const std::string& real,
                   std::vector<std::string>* out);

 private:
  Kind passed_over(const std::string& path, std::string_view why);
  bool inside(const std::string& real) const;

  std::string root_;
  const Reading& reading_;
  std::vector<Skipped>* skipped_;
  std::set<std::string> entered_;  // real paths
};

}  // namespace batch
