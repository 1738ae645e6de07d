// StdioConsole: the dialogue on standard input and output.
#include "platform/stdio_console.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace platform {
namespace {

// The screen, not the scrollback: what was there before the run stays.
constexpr char kClear[] = "\x1b[H\x1b[2J";
// Aqua text on bright white, then repaint the whole screen in it, as a
// console colour change does.
constexpr char kColours[] = "\x1b[36;107m\x1b[2J\x1b[H";
constexpr char kResetColours[] = "\x1b[0m";

// Signal handlers must reach these, so they are file-scope: whether the
// colours are ours, and the terminal settings to restore during a key wait.
volatile std::sig_atomic_t g_colours_set = 0;
volatile std::sig_atomic_t g_raw_mode = 0;
struct termios g_saved_termios;

void restore_terminal() {
  if (g_raw_mode) tcsetattr(STDIN_FILENO, TCSANOW, &g_saved_termios);
  if (g_colours_set) {
    ssize_t ignored = ::write(STDOUT_FILENO, kResetColours, sizeof kResetColours - 1);
    (void)ignored;
  }
}

extern "C" void on_fatal_signal(int sig) {
  restore_terminal();
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

void write_raw(std::string_view bytes) { std::fwrite(bytes.data(), 1, bytes.size(), stdout); }

// Escape codes are for terminals that know them.
bool terminal_takes_escapes() {
  const char* term = std::getenv("TERM");
  return term != nullptr && *term != '\0' && std::string_view(term) != "dumb";
}

// Opens /dev/null on `fd` if it is closed (the lowest free descriptor is
// taken, so callers go from 0 up); true if it was closed.
bool hold_if_closed(int fd) {
  if (fcntl(fd, F_GETFD) != -1) return false;
  const int held = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
  if (held >= 0 && held != fd) {
    dup2(held, fd);
    ::close(held);
  }
  return true;
}

}  // namespace

StdioConsole::StdioConsole()
    : output_closed_((hold_if_closed(STDIN_FILENO), hold_if_closed(STDOUT_FILENO))),
      screen_(isatty(STDOUT_FILENO) != 0 && terminal_takes_escapes()) {
  hold_if_closed(STDERR_FILENO);
  // On a terminal the text is shown in its own character set; piped or
  // redirected, the bytes are the program's own GBK.
  if (isatty(STDOUT_FILENO)) encoding_.open(user_charset());
}

void StdioConsole::write_stdout(std::string_view bytes) {
  if (encoding_.converting())
    write_raw(encoding_.convert(bytes));
  else
    write_raw(bytes);
}

StdioConsole::~StdioConsole() {
  std::fflush(stdout);
  restore_terminal();
  g_colours_set = 0;
}

void StdioConsole::clear_screen() {
  if (screen_) write_raw(kClear);
}

void StdioConsole::set_colours() {
  if (!screen_) return;
  std::fflush(stdout);
  g_colours_set = 1;
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGABRT}) std::signal(sig, on_fatal_signal);
  write_raw(kColours);
}

void StdioConsole::write(std::string_view bytes) { write_stdout(bytes); }

void StdioConsole::write_error(std::string_view bytes) {
  std::fflush(stdout);
  std::fwrite(bytes.data(), 1, bytes.size(), stderr);
}

bool StdioConsole::flush() {
  return std::fflush(stdout) == 0 && !std::ferror(stdout) && !output_closed_;
}

int StdioConsole::read_char() {
  std::fflush(stdout);
  return std::getchar();
}

int StdioConsole::read_key() {
  std::fflush(stdout);
  if (!isatty(STDIN_FILENO)) return std::getchar();
  struct termios raw;
  if (tcgetattr(STDIN_FILENO, &g_saved_termios) != 0) return std::getchar();
  raw = g_saved_termios;
  raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  g_raw_mode = 1;
  tcsetattr(STDIN_FILENO, TCSANOW, &raw);
  unsigned char key = 0;
  const ssize_t n = ::read(STDIN_FILENO, &key, 1);
  tcsetattr(STDIN_FILENO, TCSANOW, &g_saved_termios);
  g_raw_mode = 0;
  return n == 1 ? key : EOF;
}

}  // namespace platform
