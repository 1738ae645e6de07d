// GBK dialogue text converted for a terminal of another character set.
#include "platform/terminal_encoding.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/encodings.h"

namespace {

using testing_support::gbk;

TEST(TerminalEncoding, GbkTerminalsGetTheBytesAsTheyAre) {
  for (const char* charset : {"GBK", "gb18030", "CP936"}) {
    platform::TerminalEncoding e;
    EXPECT_FALSE(e.open(charset)) << charset;
    EXPECT_EQ(gbk("相似度"), e.convert(gbk("相似度")));
  }
}

TEST(TerminalEncoding, Utf8TerminalsGetUtf8EvenForACharacterCutInTwo) {
  platform::TerminalEncoding e;
  ASSERT_TRUE(e.open("UTF-8"));
  const std::string text = gbk("相似度为0.983012\n");
  EXPECT_EQ("相似度为0.983012\n", e.convert(text));
  // A write that ends in the middle of a character: the rest completes it.
  EXPECT_EQ("相", e.convert(text.substr(0, 3)));
  EXPECT_EQ("似度为0.983012\n", e.convert(text.substr(3)));
}

TEST(TerminalEncoding, WhatTheTerminalCannotShowIsAQuestionMark) {
  platform::TerminalEncoding ascii;
  ASSERT_TRUE(ascii.open("ANSI_X3.4-1968"));
  EXPECT_EQ("?? Y/N ", ascii.convert(gbk("是否 Y/N ")));
  platform::TerminalEncoding utf8;
  ASSERT_TRUE(utf8.open("UTF-8"));
  EXPECT_EQ("a?b", utf8.convert("a\xff" "b"));  // no GBK at all
}

}  // namespace
