// The tokenising step of a run: one source file in, its list file and token
// file out.
#pragma once

#include <string>
#include <vector>

#include "platform/console.h"

namespace lexer {

/// Reads the source `name`, writes the list file `list` and the token file
/// `token`. The source is opened for reading only and never written. If the
/// source cannot be read, or an output may not or cannot be written, the
/// matching message goes to `console` and the result is false. Outputs are
/// checked before anything is written: a link (which would write elsewhere)
/// or a name for one of `sources` (the run's sources, by a hard link) is
/// refused. Both files are written whole or not at all: a failure leaves
/// what was there before (an output missing until then is made empty by
/// the check, as an open would make it).
bool token(const char* name, const char* list, const char* token,
           const std::vector<std::string>& sources, platform::Console& console);

}  // namespace lexer
