// Sources as the report shows them: lines on the raw bytes, each decoded in
// the encoding asked for, and where each byte lands.
#include "batch/display_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using batch::Encoding;
using batch::shown_file;

TEST(DisplayText, LinesAreCountedOnTheRawBytes) {
  // A GB18030 lead byte right before a line end must not take the line end
  // with it: the lines stay those the JSON numbers.
  const std::string text = "int a;\xd6\nint b;\n\xd6\xd0\xce\xc4\n";
  const batch::ShownFile f = shown_file(text, Encoding::kAuto, 1 << 20);
  ASSERT_GE(f.lines.size(), 3u);
  EXPECT_EQ("int b;", f.lines[1]);
  EXPECT_EQ("\xe4\xb8\xad\xe6\x96\x87", f.lines[2]);  // 中文
  EXPECT_EQ(1u, f.line_of[text.find("int b")]);
  EXPECT_EQ(2u, f.line_of[text.find("\xd6\xd0")]);
  EXPECT_EQ(1u, f.column_of[text.find("\xce\xc4")]);  // the second character of its line
}

TEST(DisplayText, EachEncodingDecodesAsAsked) {
  const std::string latin = "caf\xe9 = 1;";
  EXPECT_EQ("caf\xc3\xa9 = 1;", shown_file(latin, Encoding::kLatin1, 100).lines[0]);
  // Not UTF-8 and asked as UTF-8: each odd byte shows as U+FFFD.
  EXPECT_EQ("caf\xef\xbf\xbd = 1;", shown_file(latin, Encoding::kUtf8, 100).lines[0]);
  const std::string utf8 = "s = \"\xf0\x9f\x98\x80\"; x";  // an emoji: two UTF-16 units
  const batch::ShownFile f = shown_file(utf8, Encoding::kAuto, 100);
  EXPECT_EQ(utf8, f.lines[0]);
  EXPECT_EQ(7u, f.column_of[utf8.find("\"; x")]);
  Encoding e;
  EXPECT_TRUE(batch::parse_encoding("GBK", &e));
  EXPECT_EQ(Encoding::kGb18030, e);
  EXPECT_TRUE(batch::parse_encoding("latin1", &e));
  EXPECT_FALSE(batch::parse_encoding("ebcdic", &e));
}

TEST(DisplayText, LargeSourcesAreClippedAtALineEnd) {
  std::string text;
  for (int k = 0; k < 100; ++k) text += "line " + std::to_string(k) + "\n";
  const batch::ShownFile f = shown_file(text, Encoding::kAuto, 50);
  EXPECT_TRUE(f.clipped);
  EXPECT_LE(f.line_of.size(), 51u);
  EXPECT_EQ("line 0", f.lines[0]);
  for (std::size_t k = 0; k + 1 < f.lines.size(); ++k) EXPECT_EQ(0u, f.lines[k].find("line "));
  EXPECT_FALSE(shown_file(text, Encoding::kAuto, 1 << 20).clipped);
}

}  // namespace
