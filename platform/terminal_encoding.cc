// TerminalEncoding: iconv, byte by byte past what it cannot convert.
#include "platform/terminal_encoding.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <clocale>

namespace platform {
namespace {

bool is_gbk_family(std::string charset) {
  for (char& c : charset) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return charset == "GBK" || charset == "GB18030" || charset == "CP936";
}

}  // namespace

std::string user_charset() {
  if (std::setlocale(LC_CTYPE, "") == nullptr) return "ANSI_X3.4-1968";
  return nl_langinfo(CODESET);
}

TerminalEncoding::~TerminalEncoding() {
  if (cd_) iconv_close(static_cast<iconv_t>(cd_));
}

bool TerminalEncoding::open(const std::string& charset) {
  if (charset.empty() || is_gbk_family(charset)) return false;
  const iconv_t cd = iconv_open(charset.c_str(), "GBK");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  cd_ = cd;
  return true;
}

std::string TerminalEncoding::convert(std::string_view gbk) {
  if (!cd_) return std::string(gbk);
  std::string in = pending_ + std::string(gbk);
  pending_.clear();
  std::string out;
  char buf[1024];
  char* src = in.data();
  std::size_t left = in.size();
  while (left > 0) {
    char* dst = buf;
    std::size_t room = sizeof buf;
    const std::size_t r = iconv(static_cast<iconv_t>(cd_), &src, &left, &dst, &room);
    out.append(buf, static_cast<std::size_t>(dst - buf));
    if (r != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
    if (errno == EINVAL) {  // a character cut short: wait for its rest
      pending_.assign(src, left);
      break;
    }
    // No counterpart (or no GBK at all): one '?' for the character.
    const auto lead = static_cast<unsigned char>(*src);
    const std::size_t skip = lead >= 0x81 && lead <= 0xfe && left >= 2 ? 2 : 1;
    out += '?';
    src += skip;
    left -= skip;
  }
  return out;
}

}  // namespace platform
