// Taking each submission once, and the files a run must not write over.
#include "batch/roster.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>

#include "batch/archive.h"
#include "platform/file.h"
#include "text/batch_messages.h"

namespace batch {
namespace fs = std::filesystem;

void settle(std::vector<Submission>* subs, std::size_t* fresh, std::vector<Skipped>* skipped) {
  std::set<std::vector<std::string>> seen;  // each kept submission's files, resolved
  std::vector<Submission> kept;
  std::size_t kept_fresh = 0;
  for (std::size_t k = 0; k < subs->size(); ++k) {
    Submission& s = (*subs)[k];
    std::vector<std::string> files;
    for (const SourceFile& f : s.files) {
      // Files from an index are not on this disk; each index entry is one
      // submission of its own.
      if (s.from_index) {
        files.push_back(std::string(1, '\0') + s.full_name + '\0' + f.path);
        continue;
      }
      std::error_code ec;
      const fs::path resolved = fs::canonical(platform::fs_path(f.path), ec);
      files.push_back(ec ? f.path : platform::path_text(resolved));
    }
    std::sort(files.begin(), files.end());
    if (!seen.insert(std::move(files)).second) {
      skipped->push_back(Skipped{s.full_name, std::string(text::kGivenMoreThanOnce)});
      continue;
    }
    kept_fresh += k < *fresh;
    kept.push_back(std::move(s));
  }
  std::map<std::string, std::size_t> uses;
  for (const Submission& s : kept) ++uses[s.name];
  for (Submission& s : kept)
    if (uses[s.name] > 1) s.name = s.full_name;
  *subs = std::move(kept);
  *fresh = kept_fresh;
}

Overwrites overwrites(const std::string& path, const std::vector<std::string>& given,
                      const std::vector<Submission>& subs, const Submission& base) {
  // The same file by identity, so that a link of either kind is seen through.
  std::error_code ec;
  const fs::path target = platform::fs_path(path);
  if (!fs::exists(target, ec)) return Overwrites::kNothing;
  auto same = [&](const std::string& p) {
    std::error_code e;
    return fs::equivalent(platform::fs_path(p), target, e) && !e;
  };
  auto same_file = [&](const SourceFile& f) { return same(f.path); };
  for (const Submission& s : subs)
    if (std::any_of(s.files.begin(), s.files.end(), same_file)) return Overwrites::kSource;
  if (std::any_of(base.files.begin(), base.files.end(), same_file)) return Overwrites::kSource;
  return std::any_of(given.begin(), given.end(), same) ? Overwrites::kGivenPath
                                                       : Overwrites::kNothing;
}

bool is_archive_in_folder(const Submission& s) {
  if (s.from_index || !is_archive_name(s.full_name)) return false;
  std::error_code ec;
  return fs::is_directory(platform::fs_path(s.full_name).parent_path(), ec);
}

}  // namespace batch
