// The console on Windows: code page 936 text written to a console window as
// UTF-16 whatever the console's own code page, or as bytes through a
// text-mode stream to a pipe or file; cleared and coloured with the console
// API; one key read with _getch.
#pragma once

#include <string>
#include <string_view>

#include "platform/console.h"

namespace platform {

class WindowsConsole final : public Console {
 public:
  WindowsConsole();
  /// Restores the console's colours; when the program owns its console
  /// window (started by a double-click), waits for a key first, so that
  /// the verdict can be read before the window closes.
  ~WindowsConsole() override;
  WindowsConsole(const WindowsConsole&) = delete;
  WindowsConsole& operator=(const WindowsConsole&) = delete;

  void clear_screen() override;
  void set_colours() override;
  void write(std::string_view bytes) override;
  void write_error(std::string_view bytes) override;
  int read_char() override;
  int read_key() override;
  bool flush() override;

 private:
  void* out_;            // the console's output handle, when it is one
  bool screen_;          // standard output is a console window
  bool keyboard_;        // standard input is a console
  bool own_window_;      // no other process shares the console
  std::string pending_;  // a lead byte whose trail byte is still to come
  bool lost_ = false;    // some of the dialogue could not be written
};

}  // namespace platform
