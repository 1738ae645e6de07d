// archive_submissions(): an archive's members grouped by student, by the
// rules of a folder.
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
    if (!part.empty() && part != ".") parts.push_back(part);
    start = end + 1;
  }
  return parts;
}

// A member as the class sees it: its visible parts, below the folders that
// wrap everything.
struct Item {
  std::vector<std::string> parts;
  const Member* member;
  std::size_t outer;  // the member of the outermost archive it is in (itself, for one), or kNone
};

bool refused(const Item& i) { return i.member->kind == Member::Kind::kRefused; }

// True if `i` is part of what a student handed in at the top: a source, an
// archive or a folder (a file that is no source, loose at the top, is not).
bool handed_in(const Item& i) {
  return !refused(i) && !(i.parts.size() == 1 && i.member->kind == Member::Kind::kOther);
}

// Takes off the folders that wrap everything handed in, as one folder
// exported around a class does; returns them.
std::string unwrap(std::vector<Item>* items) {
  std::string wrappers;
  for (;;) {
    const Item* first = nullptr;
    bool wrapped = true;
    for (const Item& i : *items) {
      if (!handed_in(i)) continue;
      if (first == nullptr) first = &i;
      const bool folder = i.member->kind == Member::Kind::kFolder;
      wrapped = wrapped && i.parts[0] == first->parts[0] && (i.parts.size() > 1 || folder);
    }
    if (first == nullptr || !wrapped) return wrappers;
    const std::string wrapper = first->parts[0];
    wrappers += wrapper + "/";
    for (Item& i : *items)
      if (!i.parts.empty() && i.parts[0] == wrapper) i.parts.erase(i.parts.begin());
    // The wrapper's own entry is gone; so is what lies beside it, passed over.
    items->erase(
        std::remove_if(items->begin(), items->end(), [](const Item& i) { return i.parts.empty(); }),
        items->end());
  }
}

}  // namespace

bool archive_submissions(const std::string& path, const Reading& reading, bool as_class,
                         std::map<std::string, std::vector<SourceFile>>* groups,
                         std::vector<Skipped>* skipped, std::string* error,
                         const ArchiveLimits& limits) {
  std::string bytes;
  if (!named_file(platform::fs_path(path), limits.total, error, text::archive_too_large))
    return false;
  if (!platform::read_file(path, &bytes)) {
    *error = text::batch_unreadable(shown_name(path));
    return false;
  }
  std::vector<Member> members;
  if (!unpack(shown_name(path), bytes, reading, limits, &members, skipped, error)) return false;
  std::vector<Item> items;
  std::vector<std::size_t> outer(members.size(), Member::kNone);
  for (std::size_t k = 0; k < members.size(); ++k) {
    const Member& m = members[k];
    if (m.within != Member::kNone)
      outer[k] = outer[m.within];
    else if (m.kind == Member::Kind::kArchive)
      outer[k] = k;
    std::vector<std::string> parts = visible_parts(m.path);
    if (!parts.empty()) items.push_back(Item{std::move(parts), &m, outer[k]});
  }
  const std::string wrappers = unwrap(&items);
  std::vector<std::size_t> item_of(members.size(), Member::kNone);
  for (std::size_t k = 0; k < items.size(); ++k)
    item_of[static_cast<std::size_t>(items[k].member - members.data())] = k;
  // What an item is part of at the top: a folder, or a file (a source, or an
  // archive with all that is in it).
  const auto top_name = [&](const Item& i) {
    const std::size_t archive = i.outer == Member::kNone ? Member::kNone : item_of[i.outer];
    const bool in_top_archive = archive != Member::kNone && items[archive].parts.size() == 1;
    const bool file =
        in_top_archive || (i.parts.size() == 1 && i.member->kind != Member::Kind::kFolder);
    return std::make_pair(i.parts[0], !file);
  };
  std::vector<TopEntry> top;
  std::map<std::pair<std::string, bool>, std::size_t> top_of;
  for (const Item& i : items) {
    if (!handed_in(i)) continue;
    const auto [name, folder] = top_name(i);
    if (top_of.emplace(std::make_pair(name, folder), top.size()).second)
      top.push_back(TopEntry{name, folder});
  }
  // The items of each entry; what is refused makes no student, but is said
  // of one.
  std::vector<std::vector<const Item*>> items_of(top.size());
  for (const Item& i : items) {
    if (!handed_in(i) && !refused(i)) continue;
    const auto at = top_of.find(top_name(i));
    if (at != top_of.end()) items_of[at->second].push_back(&i);
  }
  const std::string in = path + "/" + wrappers;  // where the top entries lie
  for (auto& [name, student] : students_of(top)) {
    for (std::size_t e : student.earlier)
      skipped->push_back(Skipped{in + top[e].name, text::earlier_attempt(student.latest)});
    std::vector<SourceFile> files;
    bool said = false;
    for (std::size_t e : student.entries) {
      for (const Item* i : items_of[e]) {
        const Member& m = *i->member;
        said |= m.kind == Member::Kind::kRefused;
        if (m.kind != Member::Kind::kSource) continue;
        SourceFile file;
        std::string why = source_text(path + "/" + m.path, m.bytes, reading, &file);
        if (why.empty()) {
          files.push_back(std::move(file));
        } else {
          skipped->push_back(Skipped{path + "/" + m.path, std::move(why)});
          said = true;
        }
      }
    }
    std::sort(files.begin(), files.end(),
              [](const SourceFile& x, const SourceFile& y) { return x.path < y.path; });
    if (!files.empty()) {
      (*groups)[name] = std::move(files);
    } else if (as_class && !said) {  // a student who handed in no source is said
      const std::string& shown = student.entries.size() == 1 ? top[student.entries[0]].name : name;
      skipped->push_back(Skipped{in + shown, std::string(text::kHoldsNoSource)});
    }
  }
  return true;
}

}  // namespace batch
