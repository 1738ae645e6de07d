// text_of(): known starts of binary files, the pattern of NUL bytes of wide
// text, and the shares of NUL and control bytes.
#include "batch/source_text.h"

#include <cstdint>

#include "batch/decode.h"
#include "platform/file.h"
#include "platform/text_mode.h"
#include "text/batch_messages.h"

namespace batch {
namespace {

struct Start {
  std::string_view bytes;
  const std::string_view* what;
};

// Files that students hand in by mistake under a source's name, or rename
// so: two Word files would match as copies through their common structure.
// None of these starts can begin a C or C++ source.
const Start kStarts[] = {
    {std::string_view("PK\x03\x04", 4), &text::kZipBytes},
    {std::string_view("PK\x05\x06", 4), &text::kZipBytes},
    {std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8), &text::kOldOfficeBytes},
    {"%PDF-", &text::kPdfBytes},
    {"{\\rtf", &text::kRtfBytes},
    {std::string_view("\x7F"
                      "ELF",
                      4),
     &text::kProgramBytes},
    {std::string_view("\xFE\xED\xFA\xCE", 4), &text::kProgramBytes},
    {std::string_view("\xFE\xED\xFA\xCF", 4), &text::kProgramBytes},
    {std::string_view("\xCE\xFA\xED\xFE", 4), &text::kProgramBytes},
    {std::string_view("\xCF\xFA\xED\xFE", 4), &text::kProgramBytes},
    {std::string_view("\xCA\xFE\xBA\xBE", 4), &text::kProgramBytes},
    {std::string_view("\0asm", 4), &text::kProgramBytes},
    {std::string_view("\x89PNG\r\n\x1A\n", 8), &text::kImageBytes},
    {std::string_view("\xFF\xD8\xFF", 3), &text::kImageBytes},
    {"GIF87a", &text::kImageBytes},
    {"GIF89a", &text::kImageBytes},
    {std::string_view("\x1F\x8B", 2), &text::kCompressedBytes},
    {std::string_view("\xFD"
                      "7zXZ\0",
                      6),
     &text::kCompressedBytes},
    {std::string_view("7z\xBC\xAF\x27\x1C", 6), &text::kCompressedBytes},
    {std::string_view("Rar!\x1A\x07", 6), &text::kCompressedBytes},
    {std::string_view("SQLite format 3\0", 16), &text::kDatabaseBytes},
};

std::uint32_t byte(std::string_view s, std::size_t k) { return static_cast<unsigned char>(s[k]); }

// A Windows program: "MZ", and where its header says, "PE\0\0".
bool is_windows_program(std::string_view raw) {
  if (raw.size() < 64 || raw.compare(0, 2, "MZ") != 0) return false;
  const std::size_t at = byte(raw, 60) | byte(raw, 61) << 8 | byte(raw, 62) << 16 |
                         static_cast<std::size_t>(byte(raw, 63)) << 24;
  return at < raw.size() && raw.size() - at >= 4 &&
         raw.compare(at, 4, std::string_view("PE\0\0", 4)) == 0;
}

// What a known kind of binary file `raw` starts as, or nullptr.
const std::string_view* binary_start(std::string_view raw) {
  for (const Start& s : kStarts)
    if (raw.size() >= s.bytes.size() && raw.compare(0, s.bytes.size(), s.bytes) == 0) return s.what;
  return is_windows_program(raw) ? &text::kProgramBytes : nullptr;
}

enum class Wide { kNone, kUtf16Le, kUtf16Be, kUtf32Le, kUtf32Be };

// UTF-32 without a mark: every unit a character, nearly all of them of the
// Basic Multilingual Plane (their two high bytes NUL), few of them U+0000.
// UTF-8 or GBK text is never so: four of its bytes make no character.
bool looks_utf32(std::string_view raw, bool little) {
  if (raw.size() < 8 || raw.size() % 4 != 0) return false;
  std::size_t plane0 = 0, zero = 0;
  const std::size_t units = raw.size() / 4;
  for (std::size_t at = 0; at < raw.size(); at += 4) {
    const std::uint32_t p = little ? byte(raw, at) | byte(raw, at + 1) << 8 |
                                         byte(raw, at + 2) << 16 | byte(raw, at + 3) << 24
                                   : byte(raw, at) << 24 | byte(raw, at + 1) << 16 |
                                         byte(raw, at + 2) << 8 | byte(raw, at + 3);
    if (p > 0x10FFFF || (p >= 0xD800 && p <= 0xDFFF)) return false;
    plane0 += p < 0x10000;
    zero += p == 0;
  }
  return plane0 * 10 >= units * 9 && zero * 10 < units;
}

// UTF-16 without a mark: ASCII text saved so has a NUL in every unit, on the
// same side; at least a third of the units have it (Chinese comments are
// none of them), the other side almost never.
bool looks_utf16(std::string_view raw, bool little) {
  if (raw.size() < 4 || raw.size() % 2 != 0) return false;
  std::size_t high_zero = 0, low_zero = 0;
  for (std::size_t at = 0; at < raw.size(); at += 2) {
    const bool first = raw[at] == '\0', second = raw[at + 1] == '\0';
    high_zero += little ? second : first;
    low_zero += little ? first : second;
  }
  const std::size_t units = raw.size() / 2;
  return high_zero * 3 >= units && low_zero * 8 <= high_zero;
}

Wide wide_form(std::string_view raw, std::size_t* mark) {
  *mark = 0;
  const auto starts = [&](std::string_view m) { return raw.compare(0, m.size(), m) == 0; };
  if (starts(std::string_view("\xFF\xFE\0\0", 4))) return *mark = 4, Wide::kUtf32Le;
  if (starts(std::string_view("\0\0\xFE\xFF", 4))) return *mark = 4, Wide::kUtf32Be;
  if (starts("\xFF\xFE")) return *mark = 2, Wide::kUtf16Le;
  if (starts("\xFE\xFF")) return *mark = 2, Wide::kUtf16Be;
  if (raw.find('\0') == std::string_view::npos) return Wide::kNone;
  if (looks_utf32(raw, true)) return Wide::kUtf32Le;
  if (looks_utf32(raw, false)) return Wide::kUtf32Be;
  if (looks_utf16(raw, true)) return Wide::kUtf16Le;
  if (looks_utf16(raw, false)) return Wide::kUtf16Be;
  return Wide::kNone;
}

// True when `text` is too much NUL or control bytes to be any source.
bool mostly_binary(std::string_view text) {
  std::size_t nul = 0, control = 0;
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == 0)
      ++nul;
    else if ((c < 0x20 && !(c >= 0x09 && c <= 0x0D) && c != 0x1A && c != 0x1B) || c == 0x7F)
      ++control;
  }
  return nul * 4 > text.size() || control * 20 > text.size() - nul;
}

}  // namespace

TextOf text_of(std::string_view raw) {
  TextOf t;
  if (const std::string_view* what = binary_start(raw)) {
    t.no_text = text::not_text_by_its_start(*what);
    return t;
  }
  std::size_t mark;
  const Wide wide = wide_form(raw, &mark);
  if (wide != Wide::kNone) {
    const std::string_view units = raw.substr(mark);
    t.wide = true;
    t.utf8 = wide == Wide::kUtf32Le || wide == Wide::kUtf32Be
                 ? utf32_to_utf8(units, wide == Wide::kUtf32Le)
                 : utf16_units_to_utf8(units, wide == Wide::kUtf16Le);
  }
  if (mostly_binary(t.wide ? std::string_view(t.utf8) : raw)) {
    t.no_text = std::string(text::kNotText);
    t.wide = false;
    t.utf8.clear();
  }
  return t;
}

std::string source_text(std::string path, std::string_view raw, const Reading& reading,
                        SourceFile* out) {
  if (reading.stop_at_eof_byte) {
    *out = SourceFile{std::move(path), platform::decode_text_mode(raw)};
    out->as_ccsim = true;
    return {};
  }
  const TextOf t = text_of(raw);
  if (!t.no_text.empty()) return t.no_text;
  *out = SourceFile{std::move(path), platform::decode_line_ends(t.wide ? t.utf8 : raw), t.wide};
  return {};
}

std::string read_source(const std::string& path, const Reading& reading, SourceFile* out) {
  std::string raw;
  if (!platform::read_file(path, &raw)) return std::string(text::kCannotBeRead);
  return source_text(path, raw, reading, out);
}

}  // namespace batch
