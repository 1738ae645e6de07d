// An index file of past submissions: read and tokenised once, then given as
// --old to every later run, which loads it instead of walking and
// tokenising thousands of files again.
//
// The file (all integers little-endian):
//
//   "ccsim-batch index\n"             18 bytes
//   u32 version                        4
//   u32 flags                          bit 0: sources read up to a 0x1A byte
//   u64 count                          submissions
//   count times:
//     str name, str full name          as shown, and with the path given
//     u32 files, then each: str path, str place, str text
//                                      place: where the file lay (resolved_path())
//     str tokens                       the token string of all its files
//     u64 code end                     where their code ends in it (the text
//                                      of comments and messages follows)
//   u64 checksum                       FNV-1a 64 of every byte after the magic
//
// where str is a u64 length and that many bytes. A file's place lets a run
// that is also given the file itself take it once (settle()); version 1
// had none, 2 held ccsim's tokens, 3 the batch's before their statements
// were put in one order. What depends on the class a run checks (the code common to it,
// and the grams left to match) is worked out by each run: it cannot be
// stored.
#pragma once

#include <string>
#include <vector>

#include "batch/submission.h"

namespace batch {

/// Writes `subs` to `path` (replaced whole, through a temporary file).
bool write_index(const std::string& path, const std::vector<Submission>& subs,
                 const Reading& reading, std::string* error);

/// True if `path` is a regular file that begins as an index file does, or
/// one cut short within that beginning (an empty file too) and not named as
/// a source or an archive: read_index() refuses that as cut short.
bool is_index_file(const std::string& path, const Reading& reading);

/// Appends the submissions of the index at `path`, names shown as
/// `path`/name. Their token strings are the stored ones; trace() gives them
/// their source positions when an output needs those. False, with `error`
/// saying why, for a file damaged, cut short, of another version, or
/// written with another way of reading than `reading`.
bool read_index(const std::string& path, const Reading& reading, std::vector<Submission>* out,
                std::string* error);

}  // namespace batch
