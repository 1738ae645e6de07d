// POSIX terminals take the bytes as they come: UTF-8 for a UTF-8 locale.
#include <cstdio>

#include "platform/utf8_console.h"

namespace platform {

struct Utf8Console::Redirect {};

Utf8Console::Utf8Console() = default;
Utf8Console::~Utf8Console() = default;

void write_error(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stderr); }

// A terminal window outlives the programs run in it.
bool console_window_is_own() { return false; }

void wait_for_key(std::string_view) {}

}  // namespace platform
