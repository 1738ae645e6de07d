// The rule for "is this text", and sources read by it.
#include "batch/source_text.h"

#include "batch/decode.h"
#include "platform/file.h"
#include "platform/text_mode.h"
#include "text/batch_messages.h"

namespace batch {

// A source saved as UTF-16 (Windows editors offer it as "Unicode") is read
// as UTF-8, so it tokenises as the same code saved as UTF-8 or GBK does;
// read as ccsim reads it, it stays bytes. False when the bytes are no text
// at all: C source has no NUL byte, while a program, an image or a document
// renamed as a source is full of them (two Word files would match as
// copies through their common structure).
bool source_text(std::string path, std::string_view raw, const Reading& reading, SourceFile* out) {
  if (reading.stop_at_eof_byte) {
    *out = SourceFile{std::move(path), platform::decode_text_mode(raw)};
    return true;
  }
  std::string utf8;
  const bool from_utf16 = utf16_to_utf8(raw, &utf8);
  if (from_utf16) raw = utf8;
  if (raw.find('\0') != std::string_view::npos) return false;
  *out = SourceFile{std::move(path), platform::decode_line_ends(raw), from_utf16};
  return true;
}

std::string_view read_source(const std::string& path, const Reading& reading, SourceFile* out) {
  std::string raw;
  if (!platform::read_file(path, &raw)) return text::kCannotBeRead;
  if (!source_text(path, raw, reading, out)) return text::kNotText;
  return {};
}

}  // namespace batch
