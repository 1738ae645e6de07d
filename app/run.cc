// run(): prepare the console, tokenise both sources, compare.
#include "app/run.h"

#include <new>
#include <string>
#include <vector>

#include "compare/simple.h"
#include "lexer/token.h"
#include "text/messages.h"

namespace app {
namespace {

constexpr int kMinMatchLen = 3;
constexpr int kCompleted = 0;
constexpr int kFileFailed = 1;

int dialogue(platform::Console& console, platform::Viewer& viewer) {
  console.clear_screen();
  console.set_colours();
  console.write(text::kInstruction);
  console.read_char();  // the user's Enter
  // No output may stand for either source: a link there would overwrite it.
  const std::vector<std::string> sources = {"file1.c", "file2.c"};
  if (!lexer::token("file1.c", "list1.txt", "token1.txt", sources, console)) return kFileFailed;
  if (!lexer::token("file2.c", "list2.txt", "token2.txt", sources, console)) return kFileFailed;
  console.write(text::kTokensReady);
  console.read_char();
  if (!compare::simple(kMinMatchLen, console, viewer)) return kFileFailed;
  return kCompleted;
}

}  // namespace

int run(platform::Console& console, platform::Viewer& viewer) {
  int status = kCompleted;
  try {
    status = dialogue(console, viewer);
  } catch (const std::bad_alloc&) {
    console.write_error(text::kOutOfMemory);
    return kFileFailed;
  }
  // A dialogue that never reached its reader is no result.
  if (!console.flush()) {
    console.write_error(text::kOutputLost);
    return kFileFailed;
  }
  return status;
}

}  // namespace app
