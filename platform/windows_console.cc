// WindowsConsole: the console API for the screen, the C runtime's text-mode
// streams for pipes and files.
#include "platform/windows_console.h"

#include <conio.h>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

namespace platform {
namespace {

constexpr UINT kChinese = 936;             // the dialogue's code page
constexpr WORD kAquaOnBrightWhite = 0xF3;  // what "color F3" sets
WORD g_saved_attributes = 0;
volatile LONG g_colours_set = 0;

void restore_colours() {
  if (InterlockedExchange(&g_colours_set, 0) == 0) return;
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  SetConsoleTextAttribute(out, g_saved_attributes);
}

// Ctrl-C and Ctrl-Break leave the console in its own colours.
BOOL WINAPI on_control(DWORD) {
  restore_colours();
  return FALSE;  // and the program ends as it would have
}

// Paints the whole screen buffer with `attributes`, as cls and color do.
void paint(HANDLE out, WORD attributes, bool blank) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(out, &info)) return;
  const DWORD cells = static_cast<DWORD>(info.dwSize.X) * static_cast<DWORD>(info.dwSize.Y);
  DWORD done = 0;
  const COORD origin = {0, 0};
  if (blank) FillConsoleOutputCharacterW(out, L' ', cells, origin, &done);
  FillConsoleOutputAttribute(out, attributes, cells, origin, &done);
  if (blank) SetConsoleCursorPosition(out, origin);
}

// Bytes of `text` that end in the middle of a double-byte character.
std::size_t cut_tail(std::string_view text) {
  std::size_t k = 0;
  while (k < text.size()) {
    if (IsDBCSLeadByteEx(kChinese, static_cast<BYTE>(text[k]))) {
      if (k + 1 == text.size()) return 1;
      k += 2;
    } else {
      ++k;
    }
  }
  return 0;
}

}  // namespace

WindowsConsole::WindowsConsole() : out_(GetStdHandle(STD_OUTPUT_HANDLE)) {
  DWORD mode = 0;
  screen_ = GetConsoleMode(static_cast<HANDLE>(out_), &mode) != 0;
  keyboard_ = GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
  DWORD processes[2];
  own_window_ = screen_ && GetConsoleProcessList(processes, 2) == 1;
  // Piped or redirected, the bytes go through text-mode streams: LF is
  // written as CR LF, as the program's own runtime would write it.
  _setmode(_fileno(stdout), _O_TEXT);
  _setmode(_fileno(stdin), _O_TEXT);
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (screen_ && GetConsoleScreenBufferInfo(static_cast<HANDLE>(out_), &info))
    g_saved_attributes = info.wAttributes;
}

WindowsConsole::~WindowsConsole() {
  flush();
  if (own_window_ && keyboard_) _getch();
  restore_colours();
}

void WindowsConsole::clear_screen() {
  if (!screen_) return;
  flush();
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (GetConsoleScreenBufferInfo(static_cast<HANDLE>(out_), &info))
    paint(static_cast<HANDLE>(out_), info.wAttributes, true);
}

void WindowsConsole::set_colours() {
  if (!screen_) return;
  SetConsoleCtrlHandler(on_control, TRUE);
  InterlockedExchange(&g_colours_set, 1);
  paint(static_cast<HANDLE>(out_), kAquaOnBrightWhite, false);
  SetConsoleTextAttribute(static_cast<HANDLE>(out_), kAquaOnBrightWhite);
}

void WindowsConsole::write(std::string_view bytes) {
  if (!screen_) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) lost_ = true;
    return;
  }
  // Code page 936 text as UTF-16, whatever code page the console is in; a
  // character cut between two writes waits for its second byte.
  std::string text = pending_ + std::string(bytes);
  const std::size_t cut = cut_tail(text);
  pending_ = text.substr(text.size() - cut);
  text.resize(text.size() - cut);
  if (text.empty()) return;
  const int n =
      MultiByteToWideChar(kChinese, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(kChinese, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  DWORD written = 0;
  if (!WriteConsoleW(static_cast<HANDLE>(out_), wide.data(), static_cast<DWORD>(wide.size()),
                     &written, nullptr))
    lost_ = true;
}

void WindowsConsole::write_error(std::string_view bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stderr);
  std::fflush(stderr);
}

int WindowsConsole::read_char() {
  flush();
  return std::getchar();
}

int WindowsConsole::read_key() {
  flush();
  if (!keyboard_) return std::getchar();
  return _getch();
}

bool WindowsConsole::flush() {
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) lost_ = true;
  return !lost_;
}

}  // namespace platform
