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

namespace batch {

/// Entries no student wrote, passed over unsaid in folders and archives
/// alike: hidden ones, "__MACOSX", CMake's "CMakeFiles".
bool is_tools_entry(std::string_view part);

/// Lists `p` in `skipped` with the reason `why`.
void skip(std::vector<Skipped>* skipped, const std::filesystem::path& p, std::string_view why);

/// A path named on the command line as a file: a regular file within the
/// size limit, or an input error.
bool named_file(const std::filesystem::path& p, std::uintmax_t max_size, std::string* error,
                std::string (*too_large)(std::uintmax_t, std::uintmax_t));

/// The walk under one path argument: a link is followed only to a place
/// inside the argument, and a folder is entered once however many links
/// lead to it. Whatever is passed over for a reason is listed in `skipped`.
class Walk {
 public:
  enum class Kind { kFile, kFolder, kOther };

  Walk(const std::filesystem::path& root, const Reading& reading, std::vector<Skipped>* skipped);

  /// What `p` is, following a link that stays inside the argument; reports
  /// an entry passed over (for a plain file, only a source or an archive is
  /// worth it).
  Kind kind_of(const std::filesystem::path& p);

  /// True the first time a folder is entered (by any path that leads to it).
  bool enter(const std::filesystem::path& folder);

  /// The entries of a folder a student may have written, in path order; an
  /// error is reported.
  std::vector<std::filesystem::path> entries(const std::filesystem::path& folder);

  /// The sources and archives below `folder` (entered already), in path order.
  void files_below(const std::filesystem::path& folder, std::vector<std::filesystem::path>* out);

 private:
  Kind passed_over(const std::filesystem::path& p, std::string_view why);
  bool inside(const std::filesystem::path& real) const;
  bool is_c_file(const std::filesystem::path& p) const;

  std::filesystem::path root_;
  const Reading& reading_;
  std::vector<Skipped>* skipped_;
  std::set<std::string> entered_;
};

}  // namespace batch
