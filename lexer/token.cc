// token(): the file handling around tokenise().
#include "lexer/token.h"

#include <string>

#include "lexer/token_files.h"
#include "lexer/tokeniser.h"
#include "platform/file.h"
#include "platform/text_mode.h"
#include "text/messages.h"

namespace lexer {

namespace {

// Why an output name may not be written, or "" if it may: a link would
// carry the write to another file (a source, say), and a hard link to a
// source would make the source the output.
std::string_view refusal(const char* output, const std::vector<std::string>& sources) {
  if (platform::is_link(output)) return text::kOutputIsALink;
  for (const std::string& source : sources)
    if (platform::same_file(output, source)) return text::kOutputIsASource;
  if (!platform::can_write(output)) return text::kOutputUnwritable;
  return std::string_view();
}

}  // namespace

bool token(const char* name, const char* list, const char* token,
           const std::vector<std::string>& sources, platform::Console& console) {
  platform::File source = platform::File::open_for_reading(name);
  if (!source.ok()) {
    console.write(text::kSourceOpenFailed);
    console.write_error(text::source_unreadable(name));
    return false;
  }
  // Both outputs are checked before anything is written.
  for (const char* output : {list, token}) {
    const std::string_view why = refusal(output, sources);
    if (!why.empty()) {
      console.write(text::kWriteFailed);
      console.write_error(text::output_refused(output, why));
      return false;
    }
  }
  std::string raw;
  if (!source.read_all(&raw)) {
    console.write(text::kSourceOpenFailed);
    console.write_error(text::source_unreadable(name));
    return false;
  }
  source.close();
  // A text-mode read ends at the first 0x1A byte; say so when that hides
  // some of the file, which could hide a copy.
  const std::size_t eof_byte = raw.find('\x1a');
  if (eof_byte != std::string::npos && eof_byte + 1 < raw.size())
    console.write_error(text::text_ends_early(name, eof_byte));
  const std::vector<std::string> link = tokenise(platform::decode_text_mode(raw));
  // Both files are made in full beside their names and only then take their
  // places, so a failure (a full disk, memory running out) leaves the files
  // of an earlier run as they were.
  const std::string tokens = token_string(link);
  const std::string listed = platform::encode_text_mode(list_text(link));
  if (!platform::write_all_whole({{token, tokens}, {list, listed}})) {
    console.write(text::kWriteFailed);
    console.write_error(text::output_refused(list, text::kOutputNotWritten));
    return false;
  }
  return true;
}

}  // namespace lexer
