// The roster of a run: what collect() and read_index() found, made into one
// list of submissions, each taken once; and what an output must not be
// written over.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "batch/submission.h"

namespace batch {

/// Where the file at `path` lies: absolute, links and "." and ".." resolved;
/// an archive member's path (class.zip/ann/main.c) after its archive's.
std::string resolved_path(const std::string& path);

/// What tells the file at `path` (path text; or a member of an archive on
/// disk, `class.zip/ann/main.c`) from every other: the same for any two
/// paths to one file, hard links included.
std::string file_key(const std::string& path);

/// Makes a roster of what collect() and read_index() found: a submission of
/// the very same files as an earlier one (a path given twice, a file both
/// new and old, an index of files also given) is dropped and listed in
/// `skipped`; the same files are those at the same resolved_path() (for an
/// index's, where they lay when it was written) with the same bytes, and
/// files on disk that are one file by file_key() (a hard link).
/// Submissions that would still share a name are shown by their full
/// names. The first `*fresh` are the new ones; the count follows the drops.
void settle(std::vector<Submission>* subs, std::size_t* fresh, std::vector<Skipped>* skipped);

/// The submissions of `subs` that hold a file of the template `base`, the
/// very same file (a folder given both as the class and as --base, or a
/// student's file given as the template), in order.
std::vector<std::size_t> in_template(const std::vector<Submission>& subs, const Submission& base);

/// What writing a file at `path` would destroy of a run's input: one of the
/// files read for `subs` or `base`, or one of the paths `given` (an archive,
/// an index of past years). A report or an index is never written over either.
enum class Overwrites { kNothing, kSource, kGivenPath };
Overwrites overwrites(const std::string& path, const std::vector<std::string>& given,
                      const std::vector<Submission>& subs, const Submission& base);

/// True if `s` is an archive found in a folder, one student's work there
/// (not a class's archive named itself, whose folders are the students).
bool is_archive_in_folder(const Submission& s);

}  // namespace batch
