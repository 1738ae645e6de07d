// Whether a file given a source's name holds text, by one rule wherever it
// is found (named, in a folder, in an archive), and reading it so.
#pragma once

#include <string>
#include <string_view>

#include "batch/submission.h"

namespace batch {

/// The bytes of a file given a source's name, read as text.
struct TextOf {
  std::string no_text;  // why the bytes are no text at all; empty when they are
  bool wide = false;    // saved as UTF-16 or UTF-32, with a byte-order mark or without
  std::string utf8;     // the text of a wide file, as UTF-8
};

/// Reads `raw` by the one rule for "is this text", decided by the content
/// as a whole, never by one byte (gcc takes a stray NUL byte, and so does
/// the tokeniser: it writes nothing for it). No text: bytes that start as a
/// known kind of binary file (a zip, so a Word file; a PDF; a program; an
/// image), or where more than a quarter of the bytes are NUL or more than
/// one in twenty of the others are control bytes (a tab, a line or page
/// break, ESC and 0x1A are text). Wide: behind a UTF-16 or UTF-32 byte-order
/// mark, or, without one, where the NUL bytes fall as ASCII text saved so
/// puts them (every second or every fourth byte).
TextOf text_of(std::string_view raw);

/// The source at `path` made of `raw`, as `reading` says, into `out`; why
/// it is no text (out untouched), or nothing. Read as ccsim reads it, the
/// bytes are taken as they are.
std::string source_text(std::string path, std::string_view raw, const Reading& reading,
                        SourceFile* out);

/// Reads the source at `path` (path text) into `out`: why it is passed over,
/// or nothing.
std::string read_source(const std::string& path, const Reading& reading, SourceFile* out);

}  // namespace batch
