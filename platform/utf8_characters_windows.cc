// Windows: names are had as UTF-16, whatever the locale; nothing to change.
#include "platform/utf8_characters.h"

namespace platform {

Utf8Characters::Utf8Characters() = default;
Utf8Characters::~Utf8Characters() = default;

}  // namespace platform
