// token(): the file handling around tokenise().
#include "lexer/token.h"

#include <string>

#include "lexer/token_files.h"
#include "lexer/tokeniser.h"
#include "platform/file.h"
#include "platform/text_mode.h"
#include "text/messages.h"

namespace lexer {

bool token(const char* name, const char* list, const char* token, platform::Console& console) {
  platform::File source = platform::File::open_for_reading(name);
  if (!source.ok()) {
    console.write(text::kSourceOpenFailed);
    console.write_error(text::source_unreadable(name));
    return false;
  }
  // Both outputs are checked before either is truncated: a failure leaves
  // the files of an earlier run as they were.
  if (!platform::can_write(list) || !platform::can_write(token)) {
    console.write(text::kWriteFailed);
    return false;
  }
  platform::File list_file = platform::File::create(list);
  if (!list_file.ok()) {
    console.write(text::kWriteFailed);
    return false;
  }
  platform::File token_file = platform::File::create(token);
  if (!token_file.ok()) {
    console.write(text::kWriteFailed);
    return false;
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
  // The token file is finished first: the comparison reads it back.
  const bool tokens_written = token_file.write(token_string(link)) && token_file.close();
  const bool list_written =
      list_file.write(platform::encode_text_mode(list_text(link))) && list_file.close();
  if (!tokens_written || !list_written) {
    console.write(text::kWriteFailed);
    return false;
  }
  return true;
}

}  // namespace lexer
