// token(): files made, files left alone, and the failure messages.
#include "lexer/token.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "lexer/token_files.h"
#include "platform/text_mode.h"
#include "tests/support/fake_platform.h"
#include "tests/support/encodings.h"
#include "tests/support/temp_dir.h"
#include "text/messages.h"

namespace {

using testing_support::FakeConsole;
using testing_support::file_exists;
using testing_support::read_bytes;
using testing_support::write_bytes;

class TokenTest : public ::testing::Test {
 protected:
  const std::vector<std::string> kSources = {"s.c", "other.c"};
  testing_support::ScopedTempDir dir_;
  FakeConsole console_;
};

TEST_F(TokenTest, WritesTokenFileRawAndListFileWithCrLf) {
  write_bytes("s.c", "int x;\r\nfloat y=1.5;\x1a ignored");
  ASSERT_TRUE(lexer::token("s.c", "l.txt", "t.txt", kSources, console_));
  EXPECT_EQ("zhid;fuid=1.5;", read_bytes("t.txt"));
  const std::string list = read_bytes("l.txt");
  EXPECT_EQ(0u, list.find(testing_support::gbk("\t***** 单词类型观察表 *****\r\n")));
  EXPECT_NE(std::string::npos, list.find("\r\n(K,int,0)\r\n(C,x,1)\r\n(R,;,2)\r\n(E,float,3)\r\n"));
  EXPECT_EQ(list.size() - 2, list.rfind("\r\n"));
  EXPECT_EQ("", console_.out);
  // Bytes after the 0x1A byte are not compared: standard error says where.
  EXPECT_EQ(
      "ccsim: s.c: the text ends at the 0x1A byte at offset 20; what follows it is not "
      "compared\n",
      console_.err);
}

TEST_F(TokenTest, AnEndOfFileByteWithNothingAfterItIsNotWorthANote) {
  write_bytes("s.c", "int x;\x1a");
  ASSERT_TRUE(lexer::token("s.c", "l.txt", "t.txt", kSources, console_));
  EXPECT_EQ("zhid;", read_bytes("t.txt"));
  EXPECT_EQ("", console_.err);
  EXPECT_EQ("", console_.out);
}

TEST_F(TokenTest, EmptySourceGivesEmptyTokensAndLegendOnly) {
  write_bytes("s.c", "");
  ASSERT_TRUE(lexer::token("s.c", "l.txt", "t.txt", kSources, console_));
  EXPECT_EQ("", read_bytes("t.txt"));
  EXPECT_EQ(platform::encode_text_mode(text::kLegend), read_bytes("l.txt"));
}

TEST_F(TokenTest, ReadOnlySourceIsReadAndNeverWritten) {
  write_bytes("s.c", "int main");
  chmod("s.c", 0444);
  ASSERT_TRUE(lexer::token("s.c", "l.txt", "t.txt", kSources, console_));
  EXPECT_EQ("zhmain", read_bytes("t.txt"));
  EXPECT_EQ("int main", read_bytes("s.c"));
}

TEST_F(TokenTest, MissingSourceCreatesNothing) {
  EXPECT_FALSE(lexer::token("absent.c", "l.txt", "t.txt", kSources, console_));
  EXPECT_EQ(text::kSourceOpenFailed, console_.out);
  EXPECT_FALSE(file_exists("l.txt"));
  EXPECT_FALSE(file_exists("t.txt"));
}

TEST_F(TokenTest, UncreatableOutputsSayWriteFailed) {
  write_bytes("s.c", "int");
  mkdir("l.txt", 0755);
  EXPECT_FALSE(lexer::token("s.c", "l.txt", "t.txt", kSources, console_));
  EXPECT_EQ(text::kWriteFailed, console_.out);
  EXPECT_FALSE(file_exists("t.txt"));

  console_.out.clear();
  mkdir("t2.txt", 0755);
  EXPECT_FALSE(lexer::token("s.c", "l2.txt", "t2.txt", kSources, console_));
  EXPECT_EQ(text::kWriteFailed, console_.out);
  EXPECT_TRUE(file_exists("l2.txt"));  // opened before the token file failed
  EXPECT_EQ("", read_bytes("l2.txt"));

  // Both are checked before either is truncated: an earlier list file stays.
  console_.out.clear();
  write_bytes("l3.txt", "an earlier run's list");
  mkdir("t3.txt", 0755);
  EXPECT_FALSE(lexer::token("s.c", "l3.txt", "t3.txt", kSources, console_));
  EXPECT_EQ(text::kWriteFailed, console_.out);
  EXPECT_EQ("an earlier run's list", read_bytes("l3.txt"));
}

TEST_F(TokenTest, LinksAmongTheOutputsAreRefusedAndWriteNothing) {
  write_bytes("s.c", "int x;");
  write_bytes("other.c", "float y;");
  ASSERT_EQ(0, symlink("other.c", "l.txt"));
  EXPECT_FALSE(lexer::token("s.c", "l.txt", "t.txt", kSources, console_));
  EXPECT_EQ(text::kWriteFailed, console_.out);
  EXPECT_EQ("ccsim: l.txt " + std::string(text::kOutputIsALink) + "\n", console_.err);
  EXPECT_EQ("float y;", read_bytes("other.c"));
  EXPECT_FALSE(file_exists("t.txt"));

  // A hard link to a source is that source.
  FakeConsole hard;
  ASSERT_EQ(0, link("other.c", "t2.txt"));
  EXPECT_FALSE(lexer::token("s.c", "l2.txt", "t2.txt", kSources, hard));
  EXPECT_EQ("ccsim: t2.txt " + std::string(text::kOutputIsASource) + "\n", hard.err);
  EXPECT_EQ("float y;", read_bytes("other.c"));

  // A dangling link would create what it names.
  FakeConsole dangling;
  ASSERT_EQ(0, symlink("made.txt", "t3.txt"));
  EXPECT_FALSE(lexer::token("s.c", "l3.txt", "t3.txt", kSources, dangling));
  EXPECT_FALSE(file_exists("made.txt"));

  // A hard link to any other file is no source: the output replaces the
  // name, and the other file keeps its bytes.
  FakeConsole other;
  write_bytes("notes.txt", "notes");
  ASSERT_EQ(0, link("notes.txt", "t4.txt"));
  EXPECT_TRUE(lexer::token("s.c", "l4.txt", "t4.txt", kSources, other));
  EXPECT_EQ("zhid;", read_bytes("t4.txt"));
  EXPECT_EQ("notes", read_bytes("notes.txt"));
}

TEST_F(TokenTest, AWriteThatFailsLeavesTheEarlierFilesWhole) {
  write_bytes("s.c", "int x;");
  write_bytes("l.txt", "an earlier list");
  write_bytes("t.txt", "an earlier token string");
  // No file can be made beside the list: its bytes cannot be put down whole.
  mkdir("l.txt.part", 0755);
  for (int k = 1; k < 100; ++k) mkdir(("l.txt." + std::to_string(k) + ".part").c_str(), 0755);
  EXPECT_FALSE(lexer::token("s.c", "l.txt", "t.txt", kSources, console_));
  EXPECT_EQ(text::kWriteFailed, console_.out);
  EXPECT_EQ("an earlier list", read_bytes("l.txt"));
  EXPECT_EQ("an earlier token string", read_bytes("t.txt"));
  EXPECT_FALSE(file_exists("t.txt.part"));
}

TEST_F(TokenTest, OnlyARegularFileIsASourceAndNothingElseIsWaitedFor) {
  // A FIFO with no writer would block an ordinary open; a device never ends.
  ASSERT_EQ(0, mkfifo("fifo.c", 0644));
  ASSERT_EQ(0, symlink("/dev/zero", "zero.c"));
  mkdir("folder.c", 0755);
  for (const char* name : {"fifo.c", "zero.c", "folder.c"}) {
    FakeConsole console;
    EXPECT_FALSE(lexer::token(name, "l.txt", "t.txt", kSources, console)) << name;
    EXPECT_EQ(text::kSourceOpenFailed, console.out) << name;
    EXPECT_EQ("ccsim: " + std::string(name) + ": no regular file that can be read\n", console.err);
    EXPECT_FALSE(file_exists("l.txt"));
  }
}

TEST_F(TokenTest, MoreThanTenThousandTokensAreAllKept) {
  std::string source;
  for (int i = 0; i < 12000; ++i) source += "a=1;\n";
  write_bytes("s.c", source);
  ASSERT_TRUE(lexer::token("s.c", "l.txt", "t.txt", kSources, console_));
  EXPECT_EQ(12000u * 5, read_bytes("t.txt").size());
  EXPECT_NE(std::string::npos, read_bytes("l.txt").find("(R,;,47999)\r\n"));
}

}  // namespace
