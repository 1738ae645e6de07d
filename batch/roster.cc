// Taking each submission once, and the files a run must not write over.
#include "batch/roster.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>

#include "batch/archive.h"
#include "platform/file.h"
#include "platform/folder.h"
#include "text/batch_messages.h"

namespace batch {
namespace fs = std::filesystem;

std::string resolved_path(const std::string& path) {
  const fs::path given = platform::fs_path(path);
  if (given.empty()) return path;  // no path on this system (a name not in UTF-8, on Windows)
  std::error_code ec;
  const fs::path absolute = fs::absolute(given, ec);
  if (ec) return path;
  const fs::path resolved = fs::weakly_canonical(absolute, ec);
  return ec ? platform::path_text(absolute) : platform::path_text(resolved);
}

std::string file_key(const std::string& path) {
  std::string identity;
  if (platform::file_identity(path, &identity)) return identity;
  // A member of an archive: the archive's identity, and the path in it.
  for (std::size_t slash = path.find('/'); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    const std::string archive = path.substr(0, slash);
    if (is_archive_name(archive) && platform::file_identity(archive, &identity))
      return identity + path.substr(slash);
  }
  return path;
}

namespace {

// A submission's files as settle() tells them apart: the places they lie
// at, sorted, and the files in that order.
struct Places {
  std::vector<std::string> places;
  std::vector<std::size_t> order;
};

Places places_of(const Submission& s) {
  std::vector<std::pair<std::string, std::size_t>> at;
  for (std::size_t k = 0; k < s.files.size(); ++k)
    at.emplace_back(s.from_index ? s.files[k].indexed_at : resolved_path(s.files[k].path), k);
  std::sort(at.begin(), at.end());
  Places p;
  for (auto& [place, k] : at) {
    p.places.push_back(std::move(place));
    p.order.push_back(k);
  }
  return p;
}

bool same_texts(const Submission& a, const std::vector<std::size_t>& a_order, const Submission& b,
                const std::vector<std::size_t>& b_order) {
  for (std::size_t k = 0; k < a_order.size(); ++k)
    if (a.files[a_order[k]].text != b.files[b_order[k]].text) return false;
  return true;
}

}  // namespace

void settle(std::vector<Submission>* subs, std::size_t* fresh, std::vector<Skipped>* skipped) {
  // A file is the one already taken when it lies at the same place and
  // holds the same bytes, whatever form it came in: read from disk, from an
  // archive, or from an index (which keeps where its files lay when it was
  // written). Files at the same place with other bytes (changed since they
  // were indexed) are other work; files elsewhere with the same bytes are
  // two students' copies, to be compared. Files on disk that are one file
  // by the system's identity (hard links) are the one already taken too.
  std::set<std::vector<std::string>> seen_keys;               // files on disk, by file_key()
  std::multimap<std::vector<std::string>, std::size_t> seen;  // places -> kept submission
  std::vector<std::vector<std::size_t>> kept_order;           // each kept one's files by place
  std::vector<Submission> kept;
  std::size_t kept_fresh = 0;
  for (std::size_t k = 0; k < subs->size(); ++k) {
    Submission& s = (*subs)[k];
    Places p = places_of(s);
    std::vector<std::string> keys;
    if (!s.from_index) {  // an index's files are not on this disk
      for (const SourceFile& f : s.files) keys.push_back(file_key(f.path));
      std::sort(keys.begin(), keys.end());
    }
    const auto [first, last] = seen.equal_range(p.places);
    if ((!s.from_index && seen_keys.count(keys) > 0) ||
        std::any_of(first, last, [&](const auto& e) {
          return same_texts(kept[e.second], kept_order[e.second], s, p.order);
        })) {
      skipped->push_back(Skipped{s.full_name, std::string(text::kGivenMoreThanOnce)});
      continue;
    }
    if (!s.from_index) seen_keys.insert(std::move(keys));
    seen.emplace(std::move(p.places), kept.size());
    kept_order.push_back(std::move(p.order));
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

std::vector<std::size_t> in_template(const std::vector<Submission>& subs, const Submission& base) {
  std::set<std::string> template_files;
  for (const SourceFile& f : base.files) template_files.insert(file_key(f.path));
  std::vector<std::size_t> found;
  if (template_files.empty()) return found;
  for (std::size_t k = 0; k < subs.size(); ++k) {
    if (subs[k].from_index) continue;  // not on this disk
    for (const SourceFile& f : subs[k].files)
      if (template_files.count(file_key(f.path)) > 0) {
        found.push_back(k);
        break;
      }
  }
  return found;
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
