// ccsim-batch writes UTF-8: names of any script, and its own words. A
// Windows console reads bytes in its own code page, so there the text goes
// to it as UTF-16; everywhere else, and when redirected, the bytes go as
// they are.
#pragma once

#include <memory>
#include <string_view>

namespace platform {

/// While it lives, std::cout writes UTF-8 text readably to a Windows
/// console; nothing changes elsewhere.
class Utf8Console {
 public:
  Utf8Console();
  ~Utf8Console();
  Utf8Console(const Utf8Console&) = delete;
  Utf8Console& operator=(const Utf8Console&) = delete;

 private:
  struct Redirect;  // what the system's side changed, to put back
  std::unique_ptr<Redirect> redirect_;
};

/// Writes UTF-8 text to standard error, as std::cout goes to a console.
void write_error(std::string_view text);

/// True when the program has a Windows console window to itself and a
/// keyboard: started by a double-click, or by a folder dropped on it. That
/// window closes as the program ends. False everywhere else.
bool console_window_is_own();

/// Writes `prompt` to standard error and waits for a key at the console.
void wait_for_key(std::string_view prompt);

}  // namespace platform
