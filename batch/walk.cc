// Walk: folders listed, links checked, each folder entered once.
#include "batch/walk.h"

#include <algorithm>
#include <system_error>

#include "batch/archive.h"
#include "batch/names.h"
#include "platform/file.h"
#include "text/batch_messages.h"

namespace batch {
namespace fs = std::filesystem;

// Entries no student wrote, passed over unsaid in folders and archives
// alike: hidden ones (".git", ".vs", ".DS_Store"); the "__MACOSX" folder of
// resource forks that a zip made on a Mac carries, and unzip brings into the
// class; and CMake's "CMakeFiles", in every project built with CLion or
// Visual Studio's CMake support, whose generated CMakeCCompilerId.c (some
// 10,000 token-string characters) would pair every two such students.
bool is_tools_entry(std::string_view part) {
  return part == "__MACOSX" || part == "CMakeFiles" || part.rfind('.', 0) == 0;
}

std::string child_path(const std::string& parent, std::string_view name) {
  std::string path = parent;
  if (path.empty() || path.back() != '/') path += '/';
  return path.append(name);
}

bool named_file(const fs::path& p, std::uintmax_t max_size, std::string* error,
                std::string (*too_large)(std::uintmax_t, std::uintmax_t)) {
  std::error_code ec;
  if (!fs::is_regular_file(p, ec)) {
    *error = text::batch_not_a_regular_file(shown_name(platform::path_text(p)));
    return false;
  }
  const std::uintmax_t size = fs::file_size(p, ec);
  if (!ec && size > max_size) {
    *error = shown_name(platform::path_text(p)) + ": " + too_large(size, max_size);
    return false;
  }
  return true;
}

Walk::Walk(const std::string& root, const Reading& reading, std::vector<Skipped>* skipped)
    : reading_(reading), skipped_(skipped) {
  std::error_code ec;
  fs::path real = fs::canonical(platform::fs_path(root), ec);
  if (ec) real = fs::absolute(platform::fs_path(root), ec).lexically_normal();
  root_ = platform::path_text(real);
  entered_.insert(root_);
}

bool Walk::entries(const std::string& path, std::vector<Entry>* out, std::string* why) {
  std::vector<Entry> all;
  const bool listed = platform::list_folder(path, &all, why);
  for (Entry& e : all)
    if (!is_tools_entry(e.name)) out->push_back(std::move(e));
  std::sort(out->begin(), out->end(),
            [](const Entry& x, const Entry& y) { return x.name < y.name; });
  return listed;
}

Walk::Kind Walk::kind_of(const std::string& path, const Entry& e, const std::string& parent,
                         std::string* real) {
  using Type = Entry::Type;
  Type type = e.type;
  std::uintmax_t size = e.size;
  if (type == Type::kUnknown) return passed_over(path, text::kCannotBeExamined);
  if (type == Type::kLink) {
    // Only a link is resolved, a whole path at a time: for every folder that
    // would cost as many lookups as it lies deep.
    std::error_code ec;
    const fs::path target = fs::canonical(platform::fs_path(path), ec);
    if (ec) return passed_over(path, text::kDanglingLink);
    *real = platform::path_text(target);
    if (!inside(*real)) return passed_over(path, text::kLinkOutside);
    const fs::file_status st = fs::status(target, ec);
    if (ec) return passed_over(path, text::kCannotBeExamined);
    type = fs::is_directory(st)      ? Type::kFolder
           : fs::is_regular_file(st) ? Type::kFile
                                     : Type::kOther;
    if (type == Type::kFile) size = fs::file_size(target, ec);
    if (ec) size = 0;
  } else {
    *real = child_path(parent, e.name);
  }
  if (type == Type::kFolder) return Kind::kFolder;
  const bool source = is_source_name(e.name, reading_);
  if (type != Type::kFile) return source ? passed_over(path, text::kNotARegularFile) : Kind::kOther;
  if (!source && !is_archive_name(e.name)) return Kind::kOther;
  // An archive is bound by what it unpacks to, not by a source's size: a
  // student's zipped project carries Visual Studio's database of tens of
  // megabytes beside a few kilobytes of C.
  if (source && size > reading_.max_size)
    return passed_over(path, text::too_large(size, reading_.max_size));
  if (!source && size > ArchiveLimits().total)
    return passed_over(path, text::archive_too_large(size, ArchiveLimits().total));
  return Kind::kFile;
}

bool Walk::enter(const std::string& path, const std::string& real) {
  if (entered_.insert(real).second) return true;
  passed_over(path, text::kWalkedAlready);
  return false;
}

void Walk::files_below(const std::string& folder, const std::string& real,
                       std::vector<std::string>* out) {
  // Depth first in path order, on a stack of its own: a folder nested
  // thousands deep must not run the program out of stack.
  struct Open {
    std::string path;
    std::string real;
    std::vector<Entry> entries;
    std::size_t next = 0;
  };
  std::vector<Open> open;
  const auto open_folder = [&](std::string path, std::string real_path) {
    Open o{std::move(path), std::move(real_path), {}, 0};
    std::string why;
    if (!entries(o.path, &o.entries, &why)) passed_over(o.path, text::kCannotBeListed);
    open.push_back(std::move(o));
  };
  open_folder(folder, real);
  while (!open.empty()) {
    Open& top = open.back();
    if (top.next == top.entries.size()) {
      open.pop_back();
      continue;
    }
    const Entry& e = top.entries[top.next++];
    std::string path = child_path(top.path, e.name);
    std::string entry_real;
    const Kind kind = kind_of(path, e, top.real, &entry_real);
    if (kind == Kind::kFile) out->push_back(std::move(path));
    if (kind == Kind::kFolder && enter(path, entry_real))
      open_folder(std::move(path), std::move(entry_real));  // `top` is gone from here on
  }
}

Walk::Kind Walk::passed_over(const std::string& path, std::string_view why) {
  skipped_->push_back(Skipped{path, std::string(why)});
  return Kind::kOther;
}

bool Walk::inside(const std::string& real) const {
  const std::string& r = root_;
  return real == r || (real.size() > r.size() && real.compare(0, r.size(), r) == 0 &&
                       (r.back() == '/' || real[r.size()] == '/'));
}

}  // namespace batch
