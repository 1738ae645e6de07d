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

namespace {

bool is_tools_path(const fs::path& p) { return is_tools_entry(platform::path_text(p.filename())); }

}  // namespace

void skip(std::vector<Skipped>* skipped, const fs::path& p, std::string_view why) {
  skipped->push_back(Skipped{platform::path_text(p), std::string(why)});
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

Walk::Walk(const fs::path& root, const Reading& reading, std::vector<Skipped>* skipped)
    : reading_(reading), skipped_(skipped) {
  std::error_code ec;
  root_ = fs::canonical(root, ec);
  entered_.insert(platform::path_text(root_));
}

Walk::Kind Walk::kind_of(const fs::path& p) {
  std::error_code ec;
  fs::file_status st = fs::symlink_status(p, ec);
  if (ec) return passed_over(p, text::kCannotBeExamined);
  if (fs::is_symlink(st)) {
    const fs::path target = fs::canonical(p, ec);
    if (ec) return passed_over(p, text::kDanglingLink);
    if (!inside(target)) return passed_over(p, text::kLinkOutside);
    st = fs::status(target, ec);
    if (ec) return passed_over(p, text::kCannotBeExamined);
  }
  if (fs::is_directory(st)) return Kind::kFolder;
  if (!fs::is_regular_file(st)) {
    return is_c_file(p) ? passed_over(p, text::kNotARegularFile) : Kind::kOther;
  }
  const bool source = is_c_file(p);
  if (!source && !is_archive_name(platform::path_text(p))) return Kind::kOther;
  // An archive is bound by what it unpacks to, not by a source's size: a
  // student's zipped project carries Visual Studio's database of tens of
  // megabytes beside a few kilobytes of C.
  const std::uintmax_t size = fs::file_size(p, ec);
  if (!ec && source && size > reading_.max_size)
    return passed_over(p, text::too_large(size, reading_.max_size));
  if (!ec && !source && size > ArchiveLimits().total)
    return passed_over(p, text::archive_too_large(size, ArchiveLimits().total));
  return Kind::kFile;
}

bool Walk::enter(const fs::path& folder) {
  std::error_code ec;
  const fs::path real = fs::canonical(folder, ec);
  if (ec) {
    skip(skipped_, folder, text::kCannotBeExamined);
    return false;
  }
  if (entered_.insert(platform::path_text(real)).second) return true;
  skip(skipped_, folder, text::kWalkedAlready);
  return false;
}

std::vector<fs::path> Walk::entries(const fs::path& folder) {
  std::vector<fs::path> found;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator();
       it.increment(ec))
    if (!is_tools_path(it->path())) found.push_back(it->path());
  if (ec) skip(skipped_, folder, text::kCannotBeListed);
  std::sort(found.begin(), found.end());
  return found;
}

void Walk::files_below(const fs::path& folder, std::vector<fs::path>* out) {
  for (const fs::path& entry : entries(folder)) {
    const Kind kind = kind_of(entry);
    if (kind == Kind::kFile) out->push_back(entry);
    if (kind == Kind::kFolder && enter(entry)) files_below(entry, out);
  }
}

Walk::Kind Walk::passed_over(const fs::path& p, std::string_view why) {
  skip(skipped_, p, why);
  return Kind::kOther;
}

bool Walk::inside(const fs::path& real) const {
  const std::string r = platform::path_text(root_);
  const std::string t = platform::path_text(real);
  return t == r || (t.size() > r.size() && t.compare(0, r.size(), r) == 0 &&
                    (r.back() == '/' || t[r.size()] == '/'));
}

bool Walk::is_c_file(const fs::path& p) const {
  return is_source_name(platform::path_text(p.filename()), reading_);
}

}  // namespace batch
