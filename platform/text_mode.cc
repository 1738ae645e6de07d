// Text-mode conversion.
#include "platform/text_mode.h"

namespace platform {

std::string decode_text_mode(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const char ch = raw[i];
    if (ch == '\x1a') break;
    if (ch == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
    out.push_back(ch);
  }
  return out;
}

std::string decode_line_ends(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '\r') {
      out.push_back(raw[i]);
    } else if (i + 1 == raw.size() || raw[i + 1] != '\n') {
      out.push_back('\n');
    }
  }
  return out;
}

std::string encode_text_mode(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (char ch : text) {
    if (ch == '\n') out.push_back('\r');
    out.push_back(ch);
  }
  return out;
}

}  // namespace platform
