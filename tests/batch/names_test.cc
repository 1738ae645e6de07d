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
