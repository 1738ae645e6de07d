#include "batch/decode.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>
#include <random>
#include <string>
#include <vector>

#include "tests/support/encodings.h"

namespace {

TEST(Decode, Utf8IsKeptAndGbkIsConverted) {
  EXPECT_TRUE(batch::is_valid_utf8("plain"));
  EXPECT_TRUE(batch::is_valid_utf8("\xe4\xb8\xad\xe6\x96\x87"));  // 中文 in UTF-8
  EXPECT_FALSE(batch::is_valid_utf8("\xd6\xd0\xce\xc4"));         // 中文 in GBK
  EXPECT_FALSE(batch::is_valid_utf8("\xe4\xb8"));                 // cut short
  EXPECT_FALSE(batch::is_valid_utf8("\xc0\x80"));                 // overlong
  EXPECT_EQ("\xe4\xb8\xad\xe6\x96\x87", batch::to_utf8("\xe4\xb8\xad\xe6\x96\x87"));
  EXPECT_EQ(
      "a\xe4\xb8\xad\xe6\x96\x87"
      "b",
      batch::to_utf8("a\xd6\xd0\xce\xc4"
                     "b"));
}

TEST(Decode, StrayBytesBecomeReplacementCharacters) {
  EXPECT_EQ("a\xef\xbf\xbd", batch::gb18030_to_utf8("a\xff"));
  EXPECT_EQ("\xef\xbf\xbd", batch::gb18030_to_utf8("\xd6"));  // a lead byte at the end
}

// glibc's iconv, as the decoder's table was made from: each byte that
// starts no character becomes U+FFFD, and decoding goes on after it.
std::string by_iconv(const std::string& bytes) {
  std::string out;
  iconv_t cd = iconv_open("UTF-8", "GB18030");
  std::string in(bytes);
  char* src = in.data();
  std::size_t src_left = in.size();
  char buf[4096];
  while (src_left > 0) {
    char* dst = buf;
    std::size_t dst_left = sizeof buf;
    const std::size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
    out.append(buf, static_cast<std::size_t>(dst - buf));
    if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
      out += "\xEF\xBF\xBD";
      ++src;
      --src_left;
    }
  }
  iconv_close(cd);
  return out;
}

TEST(Decode, Gb18030TableAgreesWithIconvEverywhere) {
  std::size_t checked = 0;
  auto same = [&](const std::string& bytes) {
    ++checked;
    const std::string want = by_iconv(bytes), got = batch::gb18030_to_utf8(bytes);
    if (want == got) return true;
    ADD_FAILURE() << "bytes " << testing::PrintToString(bytes) << ": iconv "
                  << testing::PrintToString(want) << ", table " << testing::PrintToString(got);
    return false;
  };
  for (int a = 0; a < 256; ++a)
    if (!same(std::string{static_cast<char>(a), 'x'})) return;
  for (int lead = 0x81; lead <= 0xFE; ++lead)
    for (int trail = 0; trail < 256; ++trail)
      if (!same(std::string{static_cast<char>(lead), static_cast<char>(trail), 'x'})) return;
  for (int b1 = 0x81; b1 <= 0x84; ++b1)
    for (int b2 = 0x30; b2 <= 0x39; ++b2)
      for (int b3 = 0x81; b3 <= 0xFE; ++b3)
        for (int b4 = 0x30; b4 <= 0x39; ++b4)
          if (!same(std::string{static_cast<char>(b1), static_cast<char>(b2), static_cast<char>(b3),
                                static_cast<char>(b4)}))
            return;
  // Past the BMP: its first and last characters, and beyond them.
  for (const char* four : {"\x90\x30\x81\x30", "\xE3\x32\x9A\x35", "\xE3\x32\x9A\x36",
                           "\x84\x31\xA4\x39", "\x84\x31\xA5\x30", "\xFE\x39\xFE\x39"})
    same(four);
  // And runs of bytes of every kind, cut anywhere.
  std::mt19937 rng(18030);
  const unsigned char kinds[] = {0x00, 0x0A, 0x30, 0x39, 0x41, 0x7F, 0x80,
                                 0x81, 0x84, 0x90, 0xA1, 0xD6, 0xFE, 0xFF};
  for (int k = 0; k < 20000; ++k) {
    std::string bytes;
    for (unsigned n = 1 + rng() % 10; n > 0; --n)
      bytes += static_cast<char>(rng() % 2 ? kinds[rng() % sizeof kinds] : rng() % 256);
    if (!same(bytes)) return;
  }
  EXPECT_GT(checked, 100000u);
}

TEST(Decode, Utf16WithItsMarkIsReadAsUtf8) {
  // ASCII, CR LF, 中文, and a character past the BMP (a surrogate pair).
  const std::string text = "int main() {\r\n  /* \xe4\xb8\xad\xe6\x96\x87 \xf0\x9f\x98\x80 */\r\n}";
  for (const bool little_endian : {true, false}) {
    std::string got = "untouched";
    EXPECT_TRUE(batch::utf16_to_utf8(testing_support::utf16(text, little_endian), &got));
    EXPECT_EQ(text, got) << (little_endian ? "little-endian" : "big-endian");
  }
  std::string got;
  ASSERT_TRUE(batch::utf16_to_utf8(std::string("\xff\xfe", 2), &got));
  EXPECT_EQ("", got);
  // A lone surrogate, high or low, and half a unit at the end.
  ASSERT_TRUE(batch::utf16_to_utf8(std::string("\xff\xfe"
                                               "a\0\x00\xd8"
                                               "b\0\x00\xdc"
                                               "c",
                                               11),
                                   &got));
  EXPECT_EQ(
      "a\xef\xbf\xbd"
      "b\xef\xbf\xbd\xef\xbf\xbd",
      got);
  ASSERT_TRUE(batch::utf16_to_utf8(std::string("\xfe\xff\xd8\x3d", 4), &got));  // cut short
  EXPECT_EQ("\xef\xbf\xbd", got);
}

// Names libarchive gives as wide text: code points here (32-bit wchar_t);
// what is no character shows as U+FFFD rather than as bytes of nothing.
TEST(Decode, WideTextIsReadAsUtf8) {
  EXPECT_EQ("a/\xe4\xb8\xad.c \xf0\x9f\x98\x80", batch::wide_to_utf8(L"a/\u4e2d.c \U0001F600"));
  if (sizeof(wchar_t) == 4) {
    const wchar_t bad[] = {L'x', static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x110000), 0};
    EXPECT_EQ("x\xef\xbf\xbd\xef\xbf\xbd", batch::wide_to_utf8(bad));
  }
  EXPECT_EQ("", batch::wide_to_utf8(L""));
}

TEST(Decode, OtherEncodingsAreNotTakenForUtf16) {
  for (const std::string& bytes :
       {std::string(), std::string("\xff"), std::string("int"), std::string("\xef\xbb\xbfint"),
        std::string("\xd6\xd0\xce\xc4"), std::string("\xfe\xfe\xfe"), std::string("\xfe\x40")}) {
    std::string out = "untouched";
    EXPECT_FALSE(batch::utf16_to_utf8(bytes, &out)) << testing::PrintToString(bytes);
    EXPECT_EQ("untouched", out);
  }
}

TEST(Decode, CharactersAreSplitWhole) {
  std::vector<std::size_t> lengths;
  batch::for_each_character("a\xd6\xd0\x81\x30\x81\x30z", false,
                            [&](std::size_t, std::size_t n) { lengths.push_back(n); });
  EXPECT_EQ((std::vector<std::size_t>{1, 2, 4, 1}), lengths);
  lengths.clear();
  batch::for_each_character(
      "a\xe4\xb8\xad"
      "b",
      true, [&](std::size_t, std::size_t n) { lengths.push_back(n); });
  EXPECT_EQ((std::vector<std::size_t>{1, 3, 1}), lengths);
}

}  // namespace
