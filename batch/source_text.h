// Whether a file given a source's name holds source text, and reading it.
#pragma once

#include <string>
#include <string_view>

#include "batch/submission.h"

namespace batch {

/// The text of a source read from `raw`, as `reading` says, into `out`
/// (with `path`); false when the bytes are no text at all (a program, an
/// image or a document given a source's name).
bool source_text(std::string path, std::string_view raw, const Reading& reading, SourceFile* out);

/// Reads the source at `path` (path text): why it is passed over, or
/// nothing.
std::string_view read_source(const std::string& path, const Reading& reading, SourceFile* out);

}  // namespace batch
