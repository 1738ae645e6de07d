// What is text and what is not, told by a file's content as a whole.
#include "batch/source_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using batch::text_of;
using std::string;

const string kCode = "int main(void) {\n  int n = 0; /* \xd6\xd0\xce\xc4 */\n  return n;\n}\n";

// `ascii` in UTF-16 or UTF-32 of either order, without a mark.
string widened(const string& ascii, int width, bool little) {
  string out;
  for (char c : ascii) {
    string unit(static_cast<std::size_t>(width), '\0');
    unit[little ? 0 : unit.size() - 1] = c;
    out += unit;
  }
  return out;
}

TEST(SourceText, ASourceWithStrayNulAndControlBytesIsText) {
  for (const string& source : {kCode, "/* " + string(1, '\0') + " */\n" + kCode,
                               kCode + string(3, '\0'), "\x1b[1m" + kCode + "\f\v\x1a", string()}) {
    const batch::TextOf t = text_of(source);
    EXPECT_EQ("", t.no_text) << source;
    EXPECT_FALSE(t.wide);
  }
}

TEST(SourceText, KnownBinaryStartsAreNoTextWhateverFollows) {
  const struct {
    string start;
    const char* kind;
  } cases[] = {{string("PK\x03\x04", 4), "zip archive"},
               {string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8), "old Word"},
               {"%PDF-1.7\n", "PDF"},
               {"{\\rtf1\\ansi", "RTF"},
               {string("\x7f"
                       "ELF",
                       4),
                "program"},
               {string("\xCF\xFA\xED\xFE", 4), "program"},
               {string("\x89PNG\r\n\x1a\n", 8), "image"},
               {string("\x1f\x8b\x08", 3), "compressed"},
               {string("SQLite format 3\0", 16), "database"}};
  for (const auto& c : cases) {
    const batch::TextOf t = text_of(c.start + kCode);
    EXPECT_NE(string::npos, t.no_text.find(c.kind)) << c.kind << ": " << t.no_text;
  }
  // A Windows program only where its header leads to "PE": a source may
  // begin with an identifier MZ.
  string exe = "MZ" + string(58, '\x90') + string("\x40\0\0\0", 4) + string("PE\0\0", 4) + kCode;
  EXPECT_NE(string::npos, text_of(exe).no_text.find("program"));
  EXPECT_EQ("", text_of("MZ_LIMIT;\n" + kCode + string(64, ' ')).no_text);
}

TEST(SourceText, TooManyNulOrControlBytesAreNoText) {
  string noise;  // as compressed data: a control byte in about ten
  for (unsigned k = 7; noise.size() < 2000; k = k * 1103515245u + 12345u)
    noise += static_cast<char>((k >> 16) & 0xff);
  EXPECT_NE("", text_of(noise).no_text);
  EXPECT_NE("", text_of(kCode + string(kCode.size(), '\0')).no_text);
  EXPECT_NE("", text_of(kCode + string(kCode.size() / 5, '\x01')).no_text);
  EXPECT_EQ("", text_of(kCode + string(kCode.size() / 40, '\x01')).no_text);
  EXPECT_NE("", text_of(string(100, '\0')).no_text);
}

TEST(SourceText, WideTextIsReadWithItsMarkOrByItsNulBytes) {
  const string ascii = "int x = 1;\nint y;\n";
  for (bool little : {true, false}) {
    for (int width : {2, 4}) {
      const string bare = widened(ascii, width, little);
      string mark = width == 2 ? string("\xFF\xFE") : string("\xFF\xFE\0\0", 4);
      if (!little) mark = string(mark.rbegin(), mark.rend());
      for (const string& bytes : {bare, mark + bare}) {
        const batch::TextOf t = text_of(bytes);
        EXPECT_EQ("", t.no_text) << width << little;
        EXPECT_TRUE(t.wide) << width << little;
        EXPECT_EQ(ascii, t.utf8) << width << little;
      }
    }
  }
  // Chinese comments in UTF-16 have no NUL byte: the code around them tells.
  const string mixed = widened("int x; /* ", 2, true) + string("\x2d\x4e\x87\x65", 4) +
                       widened(" */\nint y;\n", 2, true);
  const batch::TextOf t = text_of(mixed);
  EXPECT_TRUE(t.wide);
  EXPECT_EQ("int x; /* \xe4\xb8\xad\xe6\x96\x87 */\nint y;\n", t.utf8);
  // A few NUL bytes on one side are no sign of UTF-16.
  EXPECT_FALSE(text_of(kCode + string(1, '\0') + "x" + string(1, '\0')).wide);
}

}  // namespace
