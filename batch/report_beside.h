// The report of a class dropped on the program: written beside the class,
// in a file of its own that no file was before.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "batch/formats.h"
#include "platform/file.h"

namespace batch {

/// Where the report on the class given as `paths` goes, and the name it is
/// called by, when the class was dropped on the program and no report was
/// named. The folder is the one holding the first path. With one path the
/// name is that path's, an archive's or a file's extension left off
/// ("class" for the folder class, class.zip or class.tar.gz); with several
/// (students' folders or files dropped together) it is the name of the
/// folder holding the first. A path given as a drive or the root has the
/// root as its folder and no name.
struct ReportPlace {
  std::string folder;  // absolute, as platform::path_text() gives it
  std::string name;
};
ReportPlace report_place(const std::vector<std::string>& paths);

/// The `number`th file name tried for a report called `name`, from 1:
/// "<name>-ccsim-report.html", then "<name>-ccsim-report-2.html", ...; and
/// "ccsim-report.html", ... for no name.
std::string report_file_name(std::string_view name, int number);

/// How many names are tried before a folder counts as full.
constexpr int kReportNamesTried = 1000;

/// Creates the report's file in `place`, new: the first of its names at
/// which nothing is (no file, folder or link), made in one step that fails
/// if anything has come to be there meanwhile, so that no file is ever
/// written over, not even one that another run made a moment before.
/// Sets `path` to it. Check ok(); if not, `error` says why (the folder
/// cannot be written, or the first `names_tried` names are all taken).
platform::File create_report_file(const ReportPlace& place, std::string* path,
                                  std::string* error, int names_tried = kReportNamesTried);

/// The report on `run` written into a new file beside the class given as
/// `paths` (report_place(), create_report_file()); `path` set to it. False,
/// with `error` set, if it could not be: nothing is left behind then.
bool write_report_beside(const std::vector<std::string>& paths, const Run& run,
                         std::string* path, std::string* error);

}  // namespace batch
