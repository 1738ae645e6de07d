// The quoting of the output formats: JSON strings and CSV cells.
#include "batch/formats.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using std::string;

TEST(Formats, JsonQuoteEscapesEveryControlCharacterQuoteAndBackslash) {
  EXPECT_EQ("\"\"", batch::json_quote(""));
  EXPECT_EQ("\"a \\\"b\\\" c\\\\d/\"", batch::json_quote("a \"b\" c\\d/"));
  EXPECT_EQ("\"\\u0000\\u0001\\u0009\\u000a\\u000d\\u001b\\u001f\"",
            batch::json_quote(string("\0\x01\t\n\r\x1b\x1f", 7)));
  // Each control character as itself, and nothing else touched: a space, DEL
  // and UTF-8 (张) are as they were.
  for (int c = 0; c < 0x20; ++c) {
    char expected[16];
    std::snprintf(expected, sizeof expected, "\"x\\u%04xy\"", c);
    EXPECT_EQ(expected, batch::json_quote("x" + string(1, static_cast<char>(c)) + "y")) << c;
  }
  EXPECT_EQ("\" \x7f\xe5\xbc\xa0\"", batch::json_quote(" \x7f\xe5\xbc\xa0"));
}

// A cell a spreadsheet would take for a formula gets a leading quote; one
// that only holds such a character further on is left as it is.
TEST(Formats, CsvCellsThatASpreadsheetWouldRunAreGuarded) {
  for (const string formula : {"=1+2.c", "+1.c", "-1.c", "@SUM(A1).c"})
    EXPECT_EQ("'" + formula, batch::csv_field(formula));
  EXPECT_EQ("a=1+2.c", batch::csv_field("a=1+2.c"));
  EXPECT_EQ("a-b@c+d.c", batch::csv_field("a-b@c+d.c"));
  EXPECT_EQ("\"'=1,2.c\"", batch::csv_field("=1,2.c"));  // guarded, then quoted for its comma
}

}  // namespace
