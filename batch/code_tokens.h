// The tokens ccsim-batch compares: a source's code, with what a student can
// change without changing the program taken out or made one form.
//
// ccsim's own tokens keep everything in place: comments, the words of
// messages, the spelling of an increment. A copy dressed up with comments
// between its lines, reworded messages, `i += 1` for `i++`, `while` for
// `for` or a `typedef` for `long` then loses its long runs. Here, instead:
//
// - comments and the text of string literals stand after the code (a
//   copied comment or message still matches, and counts in the length, but
//   an added one cuts no run); a string literal stands as `"`, a
//   character literal as `'`, a number as `0` in the code itself;
// - `{` and `}` are left out, as is `std::`: braces added or moved, or a
//   `using namespace std;`, change nothing;
// - `x++`, `++x`, `x += 1` and `x = x + 1` are all `++x` (and so for `--`),
//   and `x = x OP e` is `x OP= e`;
// - a run of integer type words (`unsigned long long`) is one `zh`;
// - macros and typedefs are read through, and statements rewritten as
//   code_rewrites.h says: `for` as `while`, `?:` as `if`, declarations as
//   what they set, code that never runs and functions no one calls left
//   out;
// - the rest is written as ccsim writes it: identifiers as `id`, `int`,
//   `long` and `short` as `zh`, `float` and `double` as `fu`, ccsim's
//   keywords and symbols as they are, every other symbol left out.
//
// Each token keeps the bytes of the source it stands for, so that evidence
// shows the student's own lines.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace batch {

struct CodeToken {
  std::string_view written;  // what it adds to the token string (never empty)
  std::uint32_t begin = 0;   // the source bytes it stands for
  std::uint32_t end = 0;
  bool aside = false;  // the text of a comment or a literal, after the code
};

/// The tokens of `text` (a source with LF line ends) as the batch compares
/// them: its code, then the text of its comments and string literals
/// (`aside`). The written forms view `text` or the program's own constants.
std::vector<CodeToken> code_tokens(std::string_view text);

}  // namespace batch
