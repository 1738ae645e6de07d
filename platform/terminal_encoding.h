// The dialogue's GBK bytes in the character set of the terminal that shows
// them, as a Windows console shows code page 936 text whatever it is.
#pragma once

#include <string>
#include <string_view>

namespace platform {

class TerminalEncoding {
 public:
  TerminalEncoding() = default;
  ~TerminalEncoding();
  TerminalEncoding(const TerminalEncoding&) = delete;
  TerminalEncoding& operator=(const TerminalEncoding&) = delete;

  /// Prepares to convert GBK to `charset`; false (and nothing to convert)
  /// when `charset` is GBK or GB18030 already, or cannot be converted to.
  bool open(const std::string& charset);
  bool converting() const { return cd_ != nullptr; }

  /// `gbk` in the terminal's character set. A byte sequence with no
  /// counterpart there shows as '?'; a character cut at the end of `gbk`
  /// is held back and completed by the next call.
  std::string convert(std::string_view gbk);

 private:
  void* cd_ = nullptr;  // iconv_t
  std::string pending_;
};

/// The character set of the LC_CTYPE locale the user has set (only that
/// category is taken from the environment: numbers keep their '.').
std::string user_charset();

}  // namespace platform
