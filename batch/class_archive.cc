// archive_submissions(): members grouped by student.
#include "batch/class_archive.h"

#include <algorithm>

#include "batch/archive.h"
#include "batch/course_platforms.h"
#include "batch/names.h"
#include "batch/source_text.h"
#include "batch/walk.h"
#include "platform/file.h"
#include "text/batch_messages.h"

namespace batch {
namespace {

// The parts of a member's path, or none for a member no student wrote.
std::vector<std::string> visible_parts(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start < path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(start, end - start);
    if (is_tools_entry(part)) return {};
    if (!part.empty()) parts.push_back(part);
    start = end + 1;
  }
  return parts;
}

}  // namespace

bool archive_submissions(const std::string& path, const Reading& reading,
                         std::map<std::string, std::vector<SourceFile>>* groups,
                         std::vector<Skipped>* skipped, std::string* error) {
  const ArchiveLimits limits;
  std::string bytes;
  if (!named_file(platform::fs_path(path), limits.total, error, text::archive_too_large))
    return false;
  if (!platform::read_file(path, &bytes)) {
    *error = text::batch_unreadable(shown_name(path));
    return false;
  }
  std::vector<Member> members;
  if (!unpack(shown_name(path), bytes, reading, limits, &members, skipped, error)) return false;
  std::vector<std::pair<std::vector<std::string>, Member*>> kept;
  for (Member& m : members) {
    std::vector<std::string> parts = visible_parts(m.path);
    if (!parts.empty()) kept.emplace_back(std::move(parts), &m);
  }
  const auto wrapped = [&] {
    return !kept.empty() && std::all_of(kept.begin(), kept.end(), [&](const auto& k) {
      return k.first.size() > 1 && k.first[0] == kept[0].first[0];
    });
  };
  while (wrapped())
    for (auto& k : kept) k.first.erase(k.first.begin());
  for (const auto& [parts, member] : kept) {
    SourceFile file;
    std::string why = source_text(path + "/" + member->path, member->bytes, reading, &file);
    if (why.empty())
      (*groups)[std::string(student_of(parts[0]))].push_back(std::move(file));
    else
      skipped->push_back(Skipped{path + "/" + member->path, std::move(why)});
  }
  for (auto& [name, files] : *groups)
    std::sort(files.begin(), files.end(),
              [](const SourceFile& x, const SourceFile& y) { return x.path < y.path; });
  return true;
}

}  // namespace batch
