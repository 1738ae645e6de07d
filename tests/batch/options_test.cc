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
  EXPECT_EQ(8, o.min_match);
  EXPECT_DOUBLE_EQ(0.6, o.threshold);
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

TEST(Options, HelpAndVersionWinOverEverythingElse) {
  Options o;
  std::string error;
  EXPECT_EQ(Parsed::kHelp, parse({"--help"}, &o, &error));
  EXPECT_EQ(Parsed::kVersion, parse({"x", "--version"}, &o, &error));
}

TEST(Options, BadValuesAreErrorsThatSayWhy) {
  const std::vector<std::pair<std::vector<const char*>, std::string>> cases = {
      {{"--min-match", "-1", "x"}, "--min-match takes a whole number from 0"},
      {{"--min-match", "3x", "x"}, "--min-match takes a whole number from 0"},
      {{"--threshold", "1.5", "x"}, "--threshold takes a number from 0 to 1"},
      {{"--format", "xml", "x"}, "--format takes table, csv or json"},
      {{"--jobs", "0", "x"}, "--jobs takes a whole number from 1 to 1024"},
      {{"--frobnicate", "x"}, "unknown option --frobnicate"},
      {{"x", "--top"}, "option --top needs a value"},
      {{"--quiet"}, "no submissions given"},
  };
  for (const auto& [args, message] : cases) {
    Options o;
    std::string error;
    EXPECT_EQ(Parsed::kError, parse(args, &o, &error)) << message;
    EXPECT_EQ(message, error);
  }
}

}  // namespace
