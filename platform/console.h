// The console the program talks to: output bytes, line-buffered and one-key
// input, clearing and colours.
//
// StdioConsole (stdio_console.h) is the real one; tests use a fake that
// scripts the input and records every call.
#pragma once

#include <string_view>

namespace platform {

class Console {
 public:
  virtual ~Console() = default;

  /// Clears the screen (a no-op where the output is not a screen).
  virtual void clear_screen() = 0;
  /// Bright white background, aqua text, for the rest of the run.
  virtual void set_colours() = 0;
  /// Writes bytes to the dialogue as they are.
  virtual void write(std::string_view bytes) = 0;
  /// Writes bytes to the error stream, outside the dialogue.
  virtual void write_error(std::string_view bytes) = 0;
  /// One character from the line-buffered input, or EOF (-1) at its end.
  /// Everything written before is visible first.
  virtual int read_char() = 0;
  /// Waits for one key press without echo; EOF (-1) if none can come.
  virtual int read_key() = 0;
  /// Pushes out everything written; false if any of the dialogue could not
  /// be written (a full disk, a closed output).
  virtual bool flush() = 0;
};

}  // namespace platform
