#include "platform/text_mode.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::decode_line_ends;
using platform::decode_text_mode;
using platform::encode_text_mode;
using std::string;

TEST(TextMode, DecodeFoldsCrLfKeepsLoneCrStopsAtCtrlZ) {
  EXPECT_EQ("a\nb\n", decode_text_mode("a\r\nb\r\n"));
  EXPECT_EQ("a\rb", decode_text_mode("a\rb"));
  EXPECT_EQ("a\r", decode_text_mode("a\r"));  // CR at the very end
  EXPECT_EQ("\r\n", decode_text_mode("\r\r\n"));
  EXPECT_EQ("ab", decode_text_mode("ab\x1a"
                                   "cd\r\n"));
  EXPECT_EQ("", decode_text_mode("\x1a"));
  EXPECT_EQ("", decode_text_mode(""));
  EXPECT_EQ(string("a\0b", 3), decode_text_mode(string("a\0b", 3)));
}

TEST(TextMode, LineEndsAreReadAsEditorsShowThem) {
  EXPECT_EQ("a\nb\n", decode_line_ends("a\r\nb\r\n"));
  EXPECT_EQ("a\nb\n", decode_line_ends("a\rb\r"));
  EXPECT_EQ("a\n\nb", decode_line_ends("a\r\r\nb"));
  EXPECT_EQ("\n\n", decode_line_ends("\n\r"));
  EXPECT_EQ(
      "ab\x1a"
      "cd\n",
      decode_line_ends("ab\x1a"
                       "cd\r\n"));
  EXPECT_EQ("", decode_line_ends(""));
}

TEST(TextMode, EncodeWritesCrLfForEveryLf) {
  EXPECT_EQ("a\r\n\r\nb", encode_text_mode("a\n\nb"));
  EXPECT_EQ("\r\r\n", encode_text_mode("\r\n"));
  EXPECT_EQ("", encode_text_mode(""));
}

}  // namespace
