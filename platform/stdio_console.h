// The console on a POSIX terminal or pipe: stdio for the dialogue (in the
// terminal's own character set on a screen), ANSI sequences for clearing
// and colours where TERM allows them, termios for the one-key wait.
#pragma once

#include <string_view>

#include "platform/console.h"
#include "platform/terminal_encoding.h"

namespace platform {

class StdioConsole final : public Console {
 public:
  /// Standard input, output and error that are closed are held open on
  /// /dev/null, so that no file the program opens can take their places.
  StdioConsole();
  /// Restores the terminal's own colours if they were changed.
  ~StdioConsole() override;
  StdioConsole(const StdioConsole&) = delete;
  StdioConsole& operator=(const StdioConsole&) = delete;

  void clear_screen() override;
  void set_colours() override;
  void write(std::string_view bytes) override;
  void write_error(std::string_view bytes) override;
  int read_char() override;
  int read_key() override;
  bool flush() override;

 private:
  void write_stdout(std::string_view bytes);

  bool output_closed_;  // standard output was closed when the program started
  bool screen_;         // standard output is a terminal that takes escape codes
  TerminalEncoding encoding_;
};

}  // namespace platform
