// Walking the folders of a class: what is a student's work, which links
// are followed, and what is passed over (and listed as such).
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "batch/submission.h"

namespace batch {

/// Entries no student wrote, passed over unsaid in folders and archives
/// alike: hidden ones (".git", ".vs", ".DS_Store"); the "__MACOSX" folder of
/// resource forks that a zip made on a Mac carries, and unzip brings into
/// the class; and CMake's "CMakeFiles", in every project built with CLion or
/// Visual Studio's CMake support, whose generated CMakeCCompilerId.c (some
/// 10,000 token-string characters) would pair every two such students.
bool is_tools_entry(std::string_view part);
bool is_tools_path(const std::filesystem::path& p);

/// Lists `p` in `skipped`, passed over for the reason `why`.
void list_skipped(std::vector<Skipped>* skipped, const std::filesystem::path& p,
                  std::string_view why);

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

  /// The sources and archives below `folder` (entered already), in path
  /// order.
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
