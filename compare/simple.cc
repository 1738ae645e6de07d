// simple(): the comparison dialogue around the tiling.
#include "compare/simple.h"

#include <string>
#include <vector>

#include "compare/sstring.h"
#include "compare/tiling.h"
#include "compare/verdict.h"
#include "platform/file.h"
#include "platform/text_mode.h"
#include "text/messages.h"

namespace compare {
namespace {

constexpr char kToken1[] = "token1.txt";
constexpr char kToken2[] = "token2.txt";

bool is_yes(int answer) { return answer == 'Y' || answer == 'y'; }

bool load(const char* path, std::string* out) {
  std::string raw;
  if (!platform::read_file(path, &raw)) return false;
  *out = platform::decode_text_mode(raw);
  return true;
}

void open_in_viewer(platform::Console& console, platform::Viewer& viewer) {
  if (!viewer.open_all({kToken1, kToken2}))
    console.write_error(text::viewer_unavailable(platform::current_directory()));
}

// Replays the passes on the strings, printing both after every pass; the
// last pass, which collapsed nothing, is shown too.
void show_passes(const std::string& a, const std::string& b, const std::vector<Tile>& tiles,
                 platform::Console& console) {
  SString A = make_sstring(a);
  SString B = make_sstring(b);
  auto La = static_cast<std::ptrdiff_t>(a.size());
  auto Lb = static_cast<std::ptrdiff_t>(b.size());
  auto show = [&](std::size_t pass) {
    console.write(text::pass_heading(static_cast<long long>(pass)));
    console.write(view(A, La));
    console.write("\n");
    console.write(view(B, Lb));
    console.write("\n");
  };
  for (std::size_t pass = 0; pass < tiles.size(); ++pass) {
    const auto len = static_cast<std::ptrdiff_t>(tiles[pass].length);
    replace(A, static_cast<std::ptrdiff_t>(tiles[pass].a), len, La);
    replace(B, static_cast<std::ptrdiff_t>(tiles[pass].b), len, Lb);
    La = La - len + 1;
    Lb = Lb - len + 1;
    show(pass + 1);
  }
  show(tiles.size() + 1);
}

}  // namespace

bool simple(int MinMatchLen, platform::Console& console, platform::Viewer& viewer) {
  std::string a, b;
  if (!load(kToken1, &a)) {
    console.write(text::kFileOpenFailed);
    console.read_key();
    return false;
  }
  console.write(text::token_length_1(static_cast<long long>(a.size())));
  if (!load(kToken2, &b)) {
    console.write(text::kFileOpenFailed);
    console.read_key();
    return false;
  }
  console.write(text::token_length_2(static_cast<long long>(b.size())));

  console.write(text::kViewQuestion);
  const int h = console.read_char();
  if (is_yes(h)) open_in_viewer(console, viewer);
  console.read_char();  // the rest of the answer's line, normally its line end
  console.write(text::kDetailQuestion);
  const int ch = console.read_char();

  const std::vector<Tile> tiles = tiling(a, b, MinMatchLen);
  if (is_yes(ch)) show_passes(a, b, tiles, console);
  long long MatchLen = 0;
  for (const Tile& t : tiles) MatchLen += static_cast<long long>(t.length);

  console.write(text::kNoMoreMatches);
  const float n =
      similarity(MatchLen, static_cast<long long>(a.size()), static_cast<long long>(b.size()));
  console.write(text::matched_total(MatchLen));
  console.write(text::kFormula);
  console.write(text::similarity(n));
  copy(n, console);
  return true;
}

}  // namespace compare
