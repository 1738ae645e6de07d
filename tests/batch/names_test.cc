// Names shown to a person: readable, and never two raw names alike.
#include "batch/names.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using batch::shown_name;

TEST(Names, Utf8AsItIsGbkMarkedOddBytesEscaped) {
  EXPECT_EQ("alice.c", shown_name("alice.c"));
  EXPECT_EQ("\xe4\xb8\xad.c", shown_name("\xe4\xb8\xad.c"));        // 中.c, UTF-8
  EXPECT_EQ("\xe4\xb8\xad.c (GB18030)", shown_name("\xd6\xd0.c"));  // 中.c, GBK
  EXPECT_EQ("a\\xff.c", shown_name("a\xff.c"));                     // no reading
  EXPECT_EQ("a\\x80.c", shown_name("a\x80.c"));
  EXPECT_EQ("\xe4\xb8\xad\\xff", shown_name("\xe4\xb8\xad\xff"));  // a good character kept
}

TEST(Names, ControlCharactersCannotForgeLinesOrEscapes) {
  EXPECT_EQ("a\\x0a1  0.99  x.c", shown_name("a\n1  0.99  x.c"));
  EXPECT_EQ("\\x1b[31mred", shown_name("\x1b[31mred"));
  EXPECT_EQ("tab\\x09", shown_name("tab\t"));
  EXPECT_EQ("back\\\\slash", shown_name("back\\slash"));
}

TEST(Names, DifferentRawNamesAreNeverShownAlike) {
  const std::vector<std::string> raw = {
      "a\xff.c",
      "a\x80.c",
      "a\\xff.c",
      "a\\\\xff.c",
      "\xd6\xd0.c",
      "\xe4\xb8\xad.c",
      "\xe4\xb8\xad.c (GB18030)",
      "a\n.c",
      "a\\x0a.c",
      "a.c",
      "a.c ",
      "\xd6\xd0\xff.c",
  };
  std::set<std::string> shown;
  for (const std::string& r : raw) shown.insert(shown_name(r));
  EXPECT_EQ(raw.size(), shown.size());
}

// What a reader cannot see, or what turns the text around, is written out:
// "eve\u200b.c" is not eve.c, and "x\u202egnp.c" does not show as xc.png.
TEST(Names, HiddenAndDirectionCharactersAreWrittenOut) {
  EXPECT_EQ("eve\\u200b.c", shown_name("eve\u200b.c"));             // a zero-width space
  EXPECT_EQ("x\\u202egnp.c", shown_name("x\u202egnp.c"));           // right-to-left override
  EXPECT_EQ("a\\u2066b\\u2069.c", shown_name("a\u2066b\u2069.c"));  // isolates
  EXPECT_EQ("\\ufeffmain.c", shown_name("\ufeffmain.c"));           // a byte-order mark
  EXPECT_EQ("a\\u00a0b.c", shown_name("a\u00a0b.c"));               // no ASCII space
  // A mark after an escaped byte would sit on the escape's last letter.
  EXPECT_EQ("\\xff\\u0301.c", shown_name("\xff\xcc\x81.c"));
  EXPECT_EQ("\\u0301a.c", shown_name("\xcc\x81" "a.c"));  // and so at the start
  EXPECT_EQ("a\\u0085b.c", shown_name("a\u0085b.c"));               // a C1 control
  EXPECT_EQ("x\\U000e0041.c", shown_name("x\U000E0041.c"));         // a tag, past 16 bits
  EXPECT_EQ("a b.c", shown_name("a b.c"));
  // So in a name read as GB18030, and beside bytes of no reading.
  EXPECT_EQ("\\u200b\xe4\xb8\xad.c (GB18030)", shown_name("\x81\x36\xa4\x37\xd6\xd0.c"));
  EXPECT_EQ("a\\xff\\u200b.c", shown_name("a\xff\u200b.c"));
}

// Jos\u00e9 (precomposed, as most systems write it) and Jose\u0301 (made of
// parts, as macOS writes names) look alike: the second shows its marks, the
// first, as any name NFC leaves as it is, shows as it is.
TEST(Names, ANameMadeOfPartsNeverPassesForThePrecomposedOne) {
  EXPECT_EQ("Jos\u00e9", shown_name("Jos\u00e9"));
  EXPECT_EQ("Jose\\u0301", shown_name("Jose\u0301"));
  EXPECT_EQ("Nguye\\u0302\\u0303n", shown_name("Nguye\u0302\u0303n"));
  EXPECT_EQ("Nguy\u1ec5n", shown_name("Nguy\u1ec5n"));
  EXPECT_EQ("\uac00.c", shown_name("\uac00.c"));                // a Hangul syllable
  EXPECT_EQ("\\u1100\\u1161.c", shown_name("\u1100\u1161.c"));  // and its letters
  EXPECT_EQ("\\u212a.c", shown_name("\u212a.c"));               // Kelvin, not K
  EXPECT_EQ("q\u0307.c", shown_name("q\u0307.c"));  // no precomposed q with a dot: as it is
  std::set<std::string> shown;
  for (const char* raw : {"Jos\u00e9", "Jose\u0301", "\u00c5", "A\u030a", "\u212b", "eve.c",
                          "eve\u200b.c", "eve\u200c.c", "ev\u0435.c"})
    shown.insert(shown_name(raw));
  EXPECT_EQ(9u, shown.size());
  // A mark takes no column of its own.
  EXPECT_EQ(3u, batch::columns(shown_name("q\u0307.c")));
}

TEST(Names, RawBytesAndSpreadsheetGuard) {
  EXPECT_EQ("a\\xd6\\xd0\\x5c.c", batch::escaped_bytes("a\xd6\xd0\\.c"));
  for (const char* formula : {"=1+2", "+1", "-1", "@SUM(A1)", "\tx", "\rx"})
    EXPECT_EQ(std::string("'") + formula, batch::formula_guarded(formula));
  EXPECT_EQ("alice.c", batch::formula_guarded("alice.c"));
}

TEST(Names, EndingsMatchInEitherCaseOfAsciiLettersOnly) {
  EXPECT_TRUE(batch::ends_with_any_case("MAIN.C", ".c"));
  EXPECT_TRUE(batch::ends_with_any_case("Class.Tar.GZ", ".tar.gz"));
  EXPECT_TRUE(batch::ends_with_any_case("x.c", ".C"));
  EXPECT_FALSE(batch::ends_with_any_case("x.cc", ".c"));
  EXPECT_FALSE(batch::ends_with_any_case("c", ".c"));
  EXPECT_FALSE(batch::ends_with_any_case("x.c", ".h"));
  // Only A-Z fold: other bytes (GBK, UTF-8) are compared as they are.
  EXPECT_FALSE(batch::ends_with_any_case("x.\xc1", ".\xe1"));
  EXPECT_FALSE(batch::ends_with_any_case("x.[", ".{"));
}

TEST(Names, ColumnsCountWideCharactersTwice) {
  EXPECT_EQ(0u, batch::columns(""));
  EXPECT_EQ(5u, batch::columns("bob.c"));
  EXPECT_EQ(6u, batch::columns("\xe5\xbc\xa0\xe4\xb8\x89.c"));  // 张三.c
  EXPECT_EQ(4u, batch::columns("\xea\xb9\x80\xec\x94\xa8"));    // 김씨, Hangul
  EXPECT_EQ(2u, batch::columns("\xef\xbd\x81"));                // a full-width letter
  EXPECT_EQ(5u, batch::columns("caf\xc3\xa9s"));                // é is one column
  // A GB18030 name as shown: marked, its characters wide.
  EXPECT_EQ(6u + 10u, batch::columns(batch::shown_name("\xd5\xc5\xc8\xfd.c")));
  EXPECT_EQ(4u, batch::columns("\\x01"));  // an escaped byte, as written
}

}  // namespace
