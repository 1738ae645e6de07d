// What the report draws of a pair's tiles, and the figures in lines it
// takes from them.
#include "batch/report_tiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using batch::DrawnTile;
using batch::Shown;
using batch::Submission;
using compare::Match;

// A submission of one file whose token string holds a character per word
// of `text`, every word code.
Submission words_of(const std::string& text) {
  Submission s;
  s.files.push_back({"a.c", text});
  std::uint32_t line = 1;
  for (std::size_t at = 0; at < text.size();) {
    if (text[at] == '\n') ++line;
    if (text[at] == ' ' || text[at] == '\n') {
      ++at;
      continue;
    }
    const std::size_t end = std::min(text.find_first_of(" \n", at), text.size());
    s.tokens += 'x';
    s.char_file.push_back(0);
    s.char_begin.push_back(static_cast<std::uint32_t>(at));
    s.char_end.push_back(static_cast<std::uint32_t>(end));
    s.char_line.push_back(line);
    at = end;
  }
  s.code_end = s.tokens.size();
  return s;
}

Shown shown(const Submission& s) {
  Shown out;
  out.included = true;
  out.files.push_back(batch::shown_file(s.files[0].text, batch::Encoding::kUtf8, 1 << 20));
  return out;
}

// Three lines of three words each: words 0-2, 3-5 and 6-8.
const std::string kThree = "int a ;\nint b ;\nint c ;\n";

std::vector<Match> tiles_of(const std::vector<DrawnTile>& drawn) {
  std::vector<Match> out;
  for (const DrawnTile& t : drawn) out.push_back(t.tile);
  return out;
}

TEST(ReportTiles, ATileWhoseTextALongerOneMarkedOnEitherSideIsPassedOver) {
  const Submission a = words_of(kThree), b = words_of(kThree);
  const Shown sa = shown(a), sb = shown(b);
  // All of it, and its middle line again: one block.
  std::vector<DrawnTile> drawn = batch::drawn_tiles(a, sa, b, sb, {{0, 0, 9}, {3, 3, 3}});
  ASSERT_EQ(1u, drawn.size());
  EXPECT_EQ((Match{0, 0, 9}), drawn[0].tile);
  ASSERT_EQ(1u, drawn[0].first.size());
  EXPECT_EQ(0u, drawn[0].first[0].line);
  EXPECT_EQ(2u, drawn[0].first[0].end_line);
  // Marked already on the first side only: passed over all the same.
  drawn = batch::drawn_tiles(a, sa, b, sb, {{0, 0, 6}, {3, 6, 3}});
  EXPECT_EQ((std::vector<Match>{{0, 0, 6}}), tiles_of(drawn));
  // Lines apart, or only partly marked: each drawn.
  drawn = batch::drawn_tiles(a, sa, b, sb, {{0, 0, 3}, {6, 6, 3}});
  EXPECT_EQ((std::vector<Match>{{0, 0, 3}, {6, 6, 3}}), tiles_of(drawn));
  drawn = batch::drawn_tiles(a, sa, b, sb, {{0, 0, 6}, {3, 3, 6}});
  EXPECT_EQ(2u, drawn.size());
}

TEST(ReportTiles, FiguresInLinesComeFromTheTilesGiven) {
  const std::vector<Submission> subs = {words_of(kThree), words_of(kThree + "int d ;\n")};
  std::vector<batch::Prepared> prepared(2);
  prepared[0].allowed.assign(9, 1);
  prepared[1].allowed.assign(12, 1);
  prepared[1].allowed[9] = prepared[1].allowed[10] = prepared[1].allowed[11] = 0;  // line 4: template
  batch::LineCounter lines(subs, prepared);
  // Lines 1-2 of the first against lines 1-2 of the second, and line 3
  // against line 3: all three of each side's own lines (the second's
  // template line is none of them); the longest, two.
  batch::LineFigures f = lines.figures(0, 1, {{0, 0, 6}, {6, 6, 3}});
  EXPECT_DOUBLE_EQ(1.0, f.first);
  EXPECT_DOUBLE_EQ(1.0, f.second);
  EXPECT_EQ(2u, f.longest);
  // The tile drawn alone: two of three lines.
  f = lines.figures(0, 1, {{0, 0, 6}});
  EXPECT_DOUBLE_EQ(2.0 / 3, f.first);
  EXPECT_DOUBLE_EQ(2.0 / 3, f.second);
}

}  // namespace
