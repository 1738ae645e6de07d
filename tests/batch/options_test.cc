#include "batch/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using batch::Options;
using batch::Parsed;

Parsed parse(std::vector<const char*> args, Options* o, std::string* error) {
  args.insert(args.begin(), "ccsim-batch");
  return batch::parse_options(static_cast<int>(args.size()), args.data(), o, error);
}

TEST(Options, DefaultsAndPaths) {
  Options o;
  std::string error;
  ASSERT_EQ(Parsed::kRun, parse({"class", "extra.c"}, &o, &error));
  EXPECT_EQ(16, o.min_match);
  EXPECT_DOUBLE_EQ(0.7, o.threshold);
  EXPECT_TRUE(o.common.enabled);
  EXPECT_DOUBLE_EQ(0.2, o.common.share);
  EXPECT_EQ(10u, o.common.at_least);
  EXPECT_FALSE(o.as_ccsim);
  EXPECT_EQ(batch::Format::kTable, o.format);
  EXPECT_EQ(50, o.top);
  EXPECT_GE(o.jobs, 1u);
  EXPECT_EQ((std::vector<std::string>{"class", "extra.c"}), o.paths);
}

TEST(Options, ValuesAfterSpaceOrEqualsAndRepeatedPaths) {
  Options o;
  std::string error;
  ASSERT_EQ(Parsed::kRun,
            parse({"--min-match=3", "--threshold", "0.75", "--base", "t1", "--base=t2", "--old",
                   "y2023", "--format=json", "--top", "5", "--report", "r.html", "--jobs", "2",
                   "--quiet", "--", "--odd-name.c"},
                  &o, &error))
      << error;
  EXPECT_EQ(3, o.min_match);
  EXPECT_DOUBLE_EQ(0.75, o.threshold);
  EXPECT_EQ((std::vector<std::string>{"t1", "t2"}), o.bases);
  EXPECT_EQ((std::vector<std::string>{"y2023"}), o.olds);
  EXPECT_EQ(batch::Format::kJson, o.format);
  EXPECT_EQ(5, o.top);
  EXPECT_EQ("r.html", o.report);
  EXPECT_EQ(2u, o.jobs);
  EXPECT_TRUE(o.quiet);
  EXPECT_EQ((std::vector<std::string>{"--odd-name.c"}), o.paths);
}

TEST(Options, CommonCodeRuleAndCcsimsOwnFigure) {
  Options o;
  std::string error;
  ASSERT_EQ(Parsed::kRun, parse({"--common", "0.5", "--common-min=3", "x"}, &o, &error)) << error;
  EXPECT_TRUE(o.common.enabled);
  EXPECT_TRUE(o.names);
  EXPECT_DOUBLE_EQ(0.5, o.common.share);
  EXPECT_EQ(3u, o.common.at_least);
  Options off;
  ASSERT_EQ(Parsed::kRun, parse({"--no-common", "--no-names", "x"}, &off, &error));
  EXPECT_FALSE(off.common.enabled);
  EXPECT_FALSE(off.names);
  Options as_ccsim;
  ASSERT_EQ(Parsed::kRun, parse({"--ccsim", "x"}, &as_ccsim, &error));
  EXPECT_TRUE(as_ccsim.as_ccsim);
  EXPECT_EQ(3, as_ccsim.min_match);
  EXPECT_FALSE(as_ccsim.common.enabled);
  EXPECT_FALSE(as_ccsim.names);
}

TEST(Options, HelpAndVersionWinOverEverythingElse) {
  Options o;
  std::string error;
  EXPECT_EQ(Parsed::kHelp, parse({"--help"}, &o, &error));
  EXPECT_EQ(Parsed::kVersion, parse({"x", "--version"}, &o, &error));
}

TEST(Options, ShortFormsAndPathsThatLookLikeOptions) {
  Options o;
  std::string error;
  ASSERT_EQ(Parsed::kRun, parse({"-t", "0.5", "-f", "csv", "-j", "3", "-q", "--max-size", "2M",
                                 "--extensions", ".c,cpp", "--", "-odd.c"},
                                &o, &error))
      << error;
  EXPECT_DOUBLE_EQ(0.5, o.threshold);
  EXPECT_EQ(batch::Format::kCsv, o.format);
  EXPECT_EQ(3u, o.jobs);
  EXPECT_TRUE(o.quiet);
  EXPECT_EQ(2u * 1024 * 1024, o.max_size);
  EXPECT_EQ((std::vector<std::string>{".c", ".cpp"}), o.extensions);
  EXPECT_EQ((std::vector<std::string>{"-odd.c"}), o.paths);
  // Rooted paths are paths on every system, never options in the /x style.
  Options rooted;
  ASSERT_EQ(Parsed::kRun, parse({"/class", "/help", "--old", "/past"}, &rooted, &error)) << error;
  EXPECT_EQ((std::vector<std::string>{"/class", "/help"}), rooted.paths);
  EXPECT_EQ((std::vector<std::string>{"/past"}), rooted.olds);
}

TEST(Options, BadValuesAreErrorsThatSayWhy) {
  const std::vector<std::pair<std::vector<const char*>, std::string>> cases = {
      {{"--min-match", "-1", "x"}, "--min-match: Value -1 not in range 0 to 1000000"},
      {{"--min-match", "3x", "x"}, "--min-match: Value 3x not in range 0 to 1000000"},
      {{"--threshold", "1.5", "x"}, "--threshold: Value 1.5 not in range 0.000000 to 1.000000"},
      {{"--format", "xml", "x"}, "--format: xml not in {table,csv,json}"},
      {{"--jobs", "0", "x"}, "--jobs: Value 0 not in range 1 to 1024"},
      {{"--frobnicate", "x"}, "The following argument was not expected: --frobnicate"},
      {{"x", "--top"}, "--top: 1 required N:INT in [0 - 1000000000] missing"},
      {{"--quiet"}, "no submissions given"},
      {{"--common", "0", "x"}, "--common: a share of the class above 0 and up to 1"},
      {{"--common-min", "1", "x"}, "--common-min: Value 1 not in range 2 to 1000000000"},
      {{"--ccsim", "--min-match", "8", "x"},
       "--ccsim compares as ccsim does: runs over 3 characters"},
      // An empty value is refused, never filled from the next argument.
      {{"--report=", "a.c", "b.c"}, "--report: an empty value"},
      {{"--report", "", "a.c"}, "--report: an empty value"},
      // A single value given twice is refused, not silently the last.
      {{"-t", "0.5", "--threshold=0.7", "x"}, "--threshold: At Most 1 required but received 2"},
      {{"--extensions", ",", "x"},
       "--extensions takes file extensions separated by commas, such as c,h,cpp"},
  };
  for (const auto& [args, message] : cases) {
    Options o;
    std::string error;
    EXPECT_EQ(Parsed::kError, parse(args, &o, &error)) << message;
    EXPECT_EQ(message, error);
  }
}

// What the help says --max-size takes, it takes: K, M, G or T in either
// case, up to 1T; past that, refused however it is written.
TEST(Options, SizesUpToATerabyteWithAnyUnitInEitherCase) {
  const std::vector<std::pair<const char*, std::uintmax_t>> taken = {
      {"1", 1},
      {"4096", 4096},
      {"4k", 4096},
      {"4K", 4096},
      {"10m", 10u << 20},
      {"10M", 10u << 20},
      {"3g", std::uintmax_t{3} << 30},
      {"1T", std::uintmax_t{1} << 40},
      {"1t", std::uintmax_t{1} << 40},
      {"1024G", std::uintmax_t{1} << 40},
      {"1099511627776", std::uintmax_t{1} << 40}};
  for (const auto& [value, bytes] : taken) {
    Options o;
    std::string error;
    ASSERT_EQ(Parsed::kRun, parse({"--max-size", value, "x"}, &o, &error)) << value << error;
    EXPECT_EQ(bytes, o.max_size) << value;
  }
  for (const char* value : {"0", "0K", "2T", "1025G", "1099511627777", "17179869185G",
                            "9999999999999T", "K", "1P", "1KB", "-1", "1.5M", " 1M"}) {
    Options o;
    std::string error;
    EXPECT_EQ(Parsed::kError, parse({"--max-size", value, "x"}, &o, &error)) << value;
    EXPECT_EQ("--max-size takes a size from 1 byte up to 1T (bytes, or with K, M, G or T)", error)
        << value;
  }
}

// A NaN passes every comparison a range makes: each figure must be a number.
TEST(Options, FiguresThatAreNoFiniteNumbersAreRefused) {
  for (const char* option : {"--threshold", "-t", "--floor", "--common"}) {
    for (const char* value : {"nan", "NaN", "-nan", "inf", "-inf", "infinity", "1e999"}) {
      Options o;
      std::string error;
      EXPECT_EQ(Parsed::kError, parse({option, value, "x"}, &o, &error)) << option << value;
      const std::string name = option == std::string("-t") ? "--threshold" : option;
      EXPECT_EQ(name + ": " + value + ": not a finite number", error);
    }
  }
  // Numbers in range still pass, written any way strtod reads them.
  Options o;
  std::string error;
  ASSERT_EQ(Parsed::kRun, parse({"-t", "7e-1", "--floor", "0", "--common", "1", "x"}, &o, &error))
      << error;
  EXPECT_DOUBLE_EQ(0.7, o.threshold);
  EXPECT_DOUBLE_EQ(0.0, o.floor);
  EXPECT_DOUBLE_EQ(1.0, o.common.share);
}

}  // namespace
