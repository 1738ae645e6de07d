// Submissions of a class: found on disk, read as bytes, tokenised exactly as
// ccsim does, with every token-string character traced back to its source.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace batch {

/// How a source file is read. By default the whole file counts (a 0x1A
/// byte is an ordinary byte) and UTF-16 or UTF-32 is read as UTF-8; as
/// ccsim reads it, the bytes are taken as they are and the text stops at
/// the first 0x1A byte.
struct Reading {
  bool stop_at_eof_byte = false;
  std::uintmax_t max_size = 10 * 1024 * 1024;          // larger sources are passed over
  std::vector<std::string> extensions = {".c", ".h"};  // of the files that are sources
  unsigned jobs = 1;                                   // threads that tokenise a folder's sources
};

/// True if the file name (the last part of `path`) ends in one of the
/// extensions of sources, in any case: `MAIN.C` is a source as `main.c` is.
/// A name that is only an extension (`.c`, a hidden file) is not.
bool is_source_name(std::string_view path, const Reading& reading);

struct SourceFile {
  std::string path;          // as found on disk
  std::string text;          // CR LF read as LF, as a text-mode read delivers it (UTF-16 as UTF-8)
  bool from_wide = false;    // saved as UTF-16 or UTF-32: `text` is UTF-8 whatever --encoding says
  std::string indexed_at{};  // loaded from an index: where it lay then (resolved_path())
  bool as_ccsim = false;     // tokenised as ccsim does it (else as code_tokens.h says)
};

struct Submission {
  std::string name;       // as shown
  std::string full_name;  // with the path it was found under
  std::vector<SourceFile> files;
  std::string tokens;  // the token string of all its files, in order
  // Where its files' code ends in `tokens`: the text of their comments and
  // literals follows it (all of it is code as ccsim tokenises).
  std::size_t code_end = 0;
  // Per token-string character: its file and its token's bytes in that text.
  std::vector<std::uint32_t> char_file;
  std::vector<std::uint32_t> char_begin;
  std::vector<std::uint32_t> char_end;
  std::vector<std::uint32_t> char_line;  // 1-based line of its token
  bool from_index = false;               // loaded from an index file: traced only on demand
};

struct Skipped {
  std::string path;
  std::string reason;
};

/// Where a character of a submission's token string comes from.
struct SourceSpot {
  std::uint32_t file;
  std::uint32_t line;  // 1-based
};
SourceSpot locate(const Submission& s, std::size_t char_pos);

/// Adds the submissions under `path`: a file is one submission (named as
/// given); in a directory each .c or .h file is one, and each subdirectory
/// is one made of its C files in path order (named relative to `path`, or
/// `path`/relative when `prefix_names`). Hidden entries are passed over. A
/// link is followed only to a place inside `path`, and a folder is walked
/// once. Entries that cannot be read or listed, links that lead outside or
/// nowhere, C files that are no regular file or larger than
/// `reading.max_size` are listed in `skipped`. Returns false, with `error`
/// set, if `path` does not exist or cannot be listed, or is a file that is
/// not regular, too large or unreadable.
bool collect(const std::string& path, bool prefix_names, const Reading& reading,
             std::vector<Submission>* out, std::vector<Skipped>* skipped, std::string* error);

/// All C files under `path` (or `path` itself, a file) as one submission,
/// for template code. Same errors as collect().
bool collect_as_one(const std::string& path, const Reading& reading, Submission* out,
                    std::vector<Skipped>* skipped, std::string* error);

/// Tokenises `file` onto the end of `s`: as ccsim does when the file says
/// so, else into the tokens the batch compares (code_tokens.h).
void append_file(Submission* s, SourceFile file);

/// Gives a submission loaded with its token string only (from an index)
/// the source position of each token-string character, tokenising its
/// files again; a submission that has them is left as it is. False if its
/// files do not give its token string (an index of another tokeniser).
bool trace(Submission* s);

}  // namespace batch
