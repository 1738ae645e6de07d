// An archive read as a class: which of its members make which submission.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "batch/archive.h"
#include "batch/submission.h"

namespace batch {

/// The sources in the archive at `path`, by submission, as a folder's are:
/// each top-level folder or nested archive is one, and so is each loose
/// source (a course platform's student's entries are one, of the latest
/// attempt); a folder that wraps everything is looked into. Each
/// submission's files are in path order. With `as_class`, a student who
/// handed in no source is said, as in a folder; else the archive is one
/// student's work. False, with `error` set, if the archive cannot be read
/// or is refused whole (past `limits`).
bool archive_submissions(const std::string& path, const Reading& reading, bool as_class,
                         std::map<std::string, std::vector<SourceFile>>* groups,
                         std::vector<Skipped>* skipped, std::string* error,
                         const ArchiveLimits& limits = {});

}  // namespace batch
