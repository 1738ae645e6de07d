#include "lexer/classify.h"

#include <gtest/gtest.h>

#include <string>

#include "lexer/char_class.h"

namespace {

using lexer::type;

TEST(Classify, KeywordTables) {
  for (const char* w : {"int", "long", "short"}) EXPECT_EQ('K', type(w)) << w;
  for (const char* w : {"float", "double"}) EXPECT_EQ('E', type(w)) << w;
  for (const char* w :
       {"=", "==", "!=", "&&", "||", "++", "--", "+", "-", "*", "/", ">=", "<=", ">", "<"})
    EXPECT_EQ('A', type(w)) << w;
  for (const char* w : {"[", "]", "{", "}", "(", ")", ",", ";", "'", "#", "."})
    EXPECT_EQ('R', type(w)) << w;
  for (const char* w : {"main", "printf", "char", "unsigned", "return", "volatile", "auto"})
    EXPECT_EQ('Y', type(w)) << w;
}

TEST(Classify, CaseMattersAndUnlistedWordsAreIdentifiers) {
  EXPECT_EQ('C', type("Int"));
  EXPECT_EQ('C', type("INT"));
  EXPECT_EQ('C', type("scanf"));
  EXPECT_EQ('C', type("x"));
}

TEST(Classify, NumbersByFirstByteOnly) {
  EXPECT_EQ('N', type("123"));
  EXPECT_EQ('N', type("0x1F"));
  EXPECT_EQ('N', type("7up"));
  EXPECT_EQ('N', type("1e5"));
}

TEST(Classify, EverythingElseIsH) {
  for (const char* w : {"!", "&", "|", "%", "\"", ":", "_", "?", "^", "~", "\\", "\xb5", ""})
    EXPECT_EQ('H', type(w)) << w;
}

TEST(CharClass, AllBytesMatchTheCLocale) {
  for (int ch = 0; ch < 256; ++ch) {
    const auto byte = static_cast<unsigned char>(ch);
    const bool alpha = (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
    const bool digit = ch >= '0' && ch <= '9';
    EXPECT_EQ(alpha, lexer::is_alpha(byte)) << ch;
    EXPECT_EQ(digit, lexer::is_digit(byte)) << ch;
    EXPECT_EQ(alpha || digit, lexer::is_alnum(byte)) << ch;
  }
}

}  // namespace
