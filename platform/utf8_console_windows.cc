// UTF-8 text to a Windows console as UTF-16 (WriteConsoleW), whatever the
// console's code page; to a file or a pipe as its bytes.
#include <conio.h>
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <string>

#include "platform/utf8_console.h"

namespace platform {
namespace {

bool is_console(HANDLE h) {
  DWORD mode = 0;
  return h != INVALID_HANDLE_VALUE && h != nullptr && GetConsoleMode(h, &mode) != 0;
}

// How many bytes at the end of `text` begin a UTF-8 character that is not
// complete yet.
std::size_t incomplete_tail(const std::string& text) {
  for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
    const auto c = static_cast<unsigned char>(text[text.size() - back]);
    if ((c & 0xc0) != 0x80) {  // the character's first byte
      const std::size_t length = c >= 0xf0 ? 4 : c >= 0xe0 ? 3 : c >= 0xc0 ? 2 : 1;
      return length > back ? back : 0;
    }
  }
  return 0;
}

void to_console(HANDLE h, std::string_view utf8) {
  if (utf8.empty()) return;
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  if (n <= 0) return;
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  DWORD written = 0;
  WriteConsoleW(h, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

// A stream buffer that gathers text and hands whole characters to the
// console.
class ConsoleBuffer : public std::streambuf {
 public:
  explicit ConsoleBuffer(HANDLE h) : h_(h) {}
  ~ConsoleBuffer() override { flush(true); }

 protected:
  int_type overflow(int_type c) override {
    if (!traits_type::eq_int_type(c, traits_type::eof())) text_ += traits_type::to_char_type(c);
    if (text_.size() >= 4096) flush(false);
    return traits_type::not_eof(c);
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    text_.append(s, static_cast<std::size_t>(n));
    if (text_.size() >= 4096) flush(false);
    return n;
  }
  int sync() override {
    flush(false);
    return 0;
  }

 private:
  void flush(bool all) {
    const std::size_t keep = all ? 0 : incomplete_tail(text_);
    to_console(h_, std::string_view(text_).substr(0, text_.size() - keep));
    text_.erase(0, text_.size() - keep);
  }

  HANDLE h_;
  std::string text_;
};

}  // namespace

struct Utf8Console::Redirect {
  explicit Redirect(HANDLE out) : console(out) {}
  ConsoleBuffer console;
  std::streambuf* before = nullptr;
};

Utf8Console::Utf8Console() {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (!is_console(out)) return;
  std::cout.flush();
  redirect_ = std::make_unique<Redirect>(out);
  redirect_->before = std::cout.rdbuf(&redirect_->console);
}

Utf8Console::~Utf8Console() {
  if (!redirect_) return;
  std::cout.flush();
  std::cout.rdbuf(redirect_->before);
}

void write_error(std::string_view text) {
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (is_console(err))
    to_console(err, text);
  else
    std::fwrite(text.data(), 1, text.size(), stderr);
}

bool console_window_is_own() {
  DWORD processes[2];
  return is_console(GetStdHandle(STD_OUTPUT_HANDLE)) &&
         is_console(GetStdHandle(STD_INPUT_HANDLE)) && GetConsoleProcessList(processes, 2) == 1;
}

void wait_for_key(std::string_view prompt) {
  std::cout.flush();
  write_error(prompt);
  _getch();
  write_error("\n");
}

}  // namespace platform
