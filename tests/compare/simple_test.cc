// The comparison dialogue, driven through the fake console.
#include "compare/simple.h"

#include <gtest/gtest.h>

#include <string>

#include "compare/verdict.h"
#include "tests/support/fake_platform.h"
#include "tests/support/temp_dir.h"
#include "text/messages.h"

namespace {

using std::string;
using testing_support::FakeConsole;
using testing_support::FakeViewer;
using testing_support::write_bytes;

class SimpleTest : public ::testing::Test {
 protected:
  void tokens(const string& a, const string& b) {
    write_bytes("token1.txt", a);
    write_bytes("token2.txt", b);
  }
  // The report after the questions, for a run that shows no passes.
  static string report(long long matched, float n, bool suspected) {
    return string(text::kNoMoreMatches) + text::matched_total(matched) + string(text::kFormula) +
           text::similarity(n) + string(text::kThresholdNote) +
           string(suspected ? text::kSuspected : text::kNotSuspected);
  }
  static string questions(long long la, long long lb) {
    return text::token_length_1(la) + text::token_length_2(lb) + string(text::kViewQuestion) +
           string(text::kDetailQuestion);
  }
  testing_support::ScopedTempDir dir_;
  FakeViewer viewer_;
};

TEST_F(SimpleTest, WholeDialogueWithoutDetails) {
  tokens("abcdQQQefgh", "efghRRRabcd");
  FakeConsole console("n\nn\n");
  ASSERT_TRUE(compare::simple(3, console, viewer_));
  EXPECT_EQ(questions(11, 11) + report(8, 16.0f / 22.0f, false), console.out);
  EXPECT_TRUE(viewer_.opened.empty());
  EXPECT_EQ(1u, console.unread());
}

TEST_F(SimpleTest, DetailShowsEveryPassIncludingTheLastEmptyOne) {
  tokens("abcdQQQefgh", "efghRRRabcd");
  FakeConsole console("n\nY\n");
  ASSERT_TRUE(compare::simple(3, console, viewer_));
  const string passes = text::pass_heading(1) + " QQQefgh\nefghRRR \n" + text::pass_heading(2) +
                        " QQQ \n RRR \n" + text::pass_heading(3) + " QQQ \n RRR \n";
  EXPECT_EQ(questions(11, 11) + passes + report(8, 16.0f / 22.0f, false), console.out);
}

TEST_F(SimpleTest, IdenticalStringsShowTwoPassesOfOneSpace) {
  tokens("zhmain(){}", "zhmain(){}");
  FakeConsole console("\n\ny");
  ASSERT_TRUE(compare::simple(3, console, viewer_));
  const string passes = text::pass_heading(1) + " \n \n" + text::pass_heading(2) + " \n \n";
  EXPECT_EQ(questions(10, 10) + passes + report(10, 1.0f, true), console.out);
}

TEST_F(SimpleTest, YesOpensBothTokenFilesInOrder) {
  tokens("ab", "cd");
  FakeConsole console("y\nn");
  ASSERT_TRUE(compare::simple(3, console, viewer_));
  EXPECT_EQ((std::vector<string>{"token1.txt", "token2.txt"}), viewer_.opened);
  EXPECT_EQ("", console.err);
}

TEST_F(SimpleTest, AnswerYesIsReadOneCharacterAtATime) {
  // "yes": y opens the files, e is discarded, s answers the detail question.
  tokens("abcdef", "abcdef");
  FakeConsole console("yes\n");
  ASSERT_TRUE(compare::simple(3, console, viewer_));
  EXPECT_EQ(2u, viewer_.opened.size());
  EXPECT_EQ(questions(6, 6) + report(6, 1.0f, true), console.out);
  EXPECT_EQ(1u, console.unread());
}

TEST_F(SimpleTest, NoViewerSaysWhereTheFilesAreOnStandardError) {
  tokens("ab", "cd");
  FakeViewer broken(false);
  FakeConsole console("Y\nn");
  ASSERT_TRUE(compare::simple(3, console, broken));
  EXPECT_EQ(text::viewer_unavailable(dir_.path()), console.err);
  EXPECT_EQ(questions(2, 2) + report(0, 0.0f, false), console.out);
}

TEST_F(SimpleTest, ClosedInputCompletesTheRun) {
  tokens("abcd", "abcd");
  FakeConsole console("");
  ASSERT_TRUE(compare::simple(3, console, viewer_));
  EXPECT_EQ(questions(4, 4) + report(4, 1.0f, true), console.out);
}

TEST_F(SimpleTest, BothEmptyPrintsNanAndNoSuspicion) {
  tokens("", "");
  FakeConsole console("n\nn\n");
  ASSERT_TRUE(compare::simple(3, console, viewer_));
  EXPECT_NE(string::npos, console.out.find("nan\n"));
  EXPECT_EQ(questions(0, 0) + report(0, compare::similarity(0, 0, 0), false), console.out);
}

TEST_F(SimpleTest, TokenFilesAreReadInTextMode) {
  tokens(
      "ab\r\ncd\x1a"
      "efgh",
      "ab\ncd");
  FakeConsole console("n\nn\n");
  ASSERT_TRUE(compare::simple(3, console, viewer_));
  EXPECT_EQ(questions(5, 5) + report(5, 1.0f, true), console.out);
}

TEST_F(SimpleTest, MissingFirstTokenFileWaitsForAKeyAndFails) {
  write_bytes("token2.txt", "abcd");
  FakeConsole console("n\nn\n", "k");
  EXPECT_FALSE(compare::simple(3, console, viewer_));
  EXPECT_EQ(text::kFileOpenFailed, console.out);
  EXPECT_EQ((std::vector<string>{"read_key"}), console.events);
}

TEST_F(SimpleTest, MissingSecondTokenFileFailsAfterTheFirstLength) {
  write_bytes("token1.txt", "abcd");
  FakeConsole console("n\nn\n");
  EXPECT_FALSE(compare::simple(3, console, viewer_));
  EXPECT_EQ(text::token_length_1(4) + string(text::kFileOpenFailed), console.out);
  EXPECT_EQ((std::vector<string>{"read_key"}), console.events);
}

TEST_F(SimpleTest, LongTokenFilesWithOddBytesAreComparedWhole) {
  // Beyond the usual capacity, with a space, a NUL and a high byte in it.
  string a;
  unsigned state = 12345;
  for (int i = 0; i < 10500; ++i) {
    state = state * 1103515245u + 12345u;
    a += static_cast<char>('a' + (state >> 16) % 16);
  }
  a[100] = ' ';
  a[5000] = '\0';
  a[7000] = '\xb5';
  tokens(a, a);
  FakeConsole console("n\nn\n");
  ASSERT_TRUE(compare::simple(3, console, viewer_));
  // Everything but the space and the NUL lies in a run; the high byte matches itself.
  EXPECT_EQ(questions(10500, 10500) + report(10498, 10498.0f / 10500.0f, true), console.out);
}

}  // namespace
