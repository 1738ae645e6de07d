// report_place() and the exclusive creation of the report's file.
#include "batch/report_beside.h"

#include <filesystem>
#include <system_error>

#include "batch/archive.h"
#include "batch/html_report.h"
#include "batch/names.h"
#include "text/batch_messages.h"

namespace batch {
namespace {

namespace fs = std::filesystem;

// `text` as an absolute path without "." or ".." and without a separator
// at its end (unless it is a root).
fs::path settled(const std::string& text) {
  std::error_code ec;
  fs::path p = fs::absolute(platform::fs_path(text), ec);
  if (ec) p = platform::fs_path(text);
  p = p.lexically_normal();
  if (!p.has_filename() && p.has_relative_path()) p = p.parent_path();
  return p;
}

// The name a path goes by, or none for a root.
std::string name_of(const fs::path& p) {
  return p.has_relative_path() ? platform::path_text(p.filename()) : std::string();
}

}  // namespace

ReportPlace report_place(const std::vector<std::string>& paths) {
  if (paths.empty()) return {platform::path_text(settled(".")), std::string()};
  const fs::path first = settled(paths[0]);
  if (!first.has_relative_path()) return {platform::path_text(first), std::string()};
  const fs::path folder = first.parent_path();
  ReportPlace place{platform::path_text(folder), std::string()};
  if (paths.size() > 1) {
    place.name = name_of(folder);
    return place;
  }
  place.name = name_of(first);
  std::error_code ec;
  if (fs::is_directory(first, ec)) return place;
  if (const std::size_t ext = archive_extension_size(place.name); ext > 0)
    place.name.resize(place.name.size() - ext);
  else
    place.name = platform::path_text(first.stem());
  return place;
}

std::string report_file_name(std::string_view name, int number) {
  std::string file(name);
  if (!file.empty()) file += '-';
  file += "ccsim-report";
  if (number > 1) file += "-" + std::to_string(number);
  return file + ".html";
}

platform::File create_report_file(const ReportPlace& place, std::string* path,
                                  std::string* error, int names_tried) {
  std::string folder = place.folder;
  if (folder.empty() || folder.back() != '/') folder += '/';
  for (int number = 1; number <= names_tried; ++number) {
    *path = folder + report_file_name(place.name, number);
    platform::File file = platform::File::create_new(*path);
    if (file.ok()) return file;
    // Something is there (a file, a folder, a link even to nothing): the
    // next name. Nothing there, the folder cannot be written.
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(platform::fs_path(*path), ec))) {
      *error = text::batch_unwritable(shown_name(*path));
      return file;
    }
  }
  *error = text::report_names_taken(shown_name(folder + report_file_name(place.name, 1)),
                                    names_tried);
  return platform::File::create_new(std::string());  // names no file: not ok()
}

bool write_report_beside(const std::vector<std::string>& paths, const Run& run,
                         std::string* path, std::string* error) {
  platform::File file = create_report_file(report_place(paths), path, error);
  if (!file.ok()) return false;
  const bool written = file.write(report_page(run, ReportLimits{}));
  if (file.close() && written) return true;
  platform::remove_file(*path);
  *error = text::batch_unwritable(shown_name(*path));
  return false;
}

}  // namespace batch
