// The tokenising step of a run: one source file in, its list file and token
// file out.
#pragma once

#include "platform/console.h"

namespace lexer {

/// Reads the source `name`, writes the list file `list` and the token file
/// `token`, and closes all three. The source is opened for reading only and
/// never written. Files are opened in that order, each checked at once: if
/// the source cannot be read, or an output cannot be created or written, the
/// matching message goes to `console` and the result is false (files already
/// created stay as they are).
bool token(const char* name, const char* list, const char* token, platform::Console& console);

}  // namespace lexer
