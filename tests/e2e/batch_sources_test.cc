// ccsim-batch reading sources and names: encodings, line ends, what is no
// text, names that would forge a row.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/batch_run.h"
#include "tests/support/archive_maker.h"
#include "tests/support/encodings.h"
#include "tests/support/run_binary.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace batch_run;

TEST(BatchCli, AnEndOfFileByteDoesNotHideACopy) {
  testing_support::ScopedTempDir dir;
  const string source = read_bytes(kClass + "/carol.c");
  write_bytes("a.c", source);
  write_bytes("b.c", "/* \x1a */\n" + source);
  const RunResult r = batch({"--format", "csv", "a.c", "b.c"}, dir.path());
  EXPECT_EQ(1, r.exit_status);
  // All of a.c matches; b.c has only the comment's four tokens more.
  EXPECT_EQ(0u, lines(r.out).at(1).find("a.c,b.c,0.99")) << r.out;
  EXPECT_NE(string::npos, lines(r.out).at(1).find(",1.000000,")) << r.out;
}

// Lines end in LF, CR LF or (old Mac files, or a copy made to look odd) a
// lone CR: the scores are the same, and so are the lines the evidence names.
TEST(BatchCli, EveryKindOfLineEndGivesTheSameScoresAndLines) {
  testing_support::ScopedTempDir dir;
  const string alice = read_bytes(kClass + "/alice.c");
  const string bob = read_bytes(kClass + "/bob.c");
  const auto with_ends = [](const string& text, const string& end) {
    string out;
    for (char c : text) out += c == '\n' ? end : string(1, c);
    return out;
  };
  write_bytes("alice.c", alice);
  string first_json;
  const std::vector<std::pair<string, string>> ends = {
      {"LF", "\n"}, {"CR LF", "\r\n"}, {"CR", "\r"}};
  for (const auto& [name, end] : ends) {
    write_bytes("bob.c", with_ends(bob, end));
    const RunResult csv = batch({"--format", "csv", "alice.c", "bob.c"}, dir.path());
    EXPECT_EQ(0u, lines(csv.out).at(1).find("alice.c,bob.c,0.987654,")) << name << csv.out;
    const string json = batch({"--format", "json", "alice.c", "bob.c"}, dir.path()).out;
    if (first_json.empty()) first_json = json;
    EXPECT_EQ(first_json, json) << name;
  }
}

// Whether a "source" is text is told by its content as a whole. Two Word
// files renamed as sources matched as copies through their zip structure;
// but a NUL byte in a comment (gcc takes it) must not hide a copy.
TEST(BatchCli, WhatIsNoTextIsToldByTheWholeFileNotByOneByte) {
  using testing_support::ArchiveKind;
  using testing_support::make_archive;
  testing_support::ScopedTempDir dir;
  mkdir("class", 0755);
  write_bytes("class/a.c", read_bytes(kClass + "/alice.c"));
  write_bytes("class/b.c", string("/* \0 */\n", 9) + read_bytes(kClass + "/bob.c"));
  write_bytes("class/x1.c",
              make_archive(ArchiveKind::kZip, {{"word/document.xml", "<w:t>one</w:t>"}}));
  write_bytes("class/x2.c",
              make_archive(ArchiveKind::kZip, {{"word/document.xml", "<w:t>two</w:t>"}}));
  const string program = string(
                             "\x7f"
                             "ELF\2\1\1",
                             7) +
                         string(100, '\0') + "main";
  write_bytes("class/c.zip", make_archive(ArchiveKind::kZip, {{"main.c", program}}));
  string noise;  // bytes as a compressed or encrypted file holds them
  for (unsigned k = 1; noise.size() < 3000; k = k * 1103515245u + 12345u)
    noise += static_cast<char>((k >> 16) & 0xff);
  write_bytes("class/d.c", noise);
  // Code padded with NULs as long as itself is no longer any source's.
  write_bytes("class/e.c", read_bytes(kClass + "/carol.c") + string(4000, '\0'));
  const RunResult r = batch({"--format", "csv", "--all-pairs", "class"}, dir.path());
  EXPECT_EQ(1, r.exit_status) << r.err;
  ASSERT_EQ(2u, lines(r.out).size()) << r.out;  // a.c and b.c alone
  EXPECT_EQ(0u, lines(r.out)[1].find("a.c,b.c,0.98")) << r.out;
  const string zip =
      ": no source text: its first bytes are those of a zip archive (as Word, "
      "Excel and PowerPoint files are)\n";
  const string bytes =
      ": no source text: too many NUL or control bytes (a program or a "
      "document named as a source?)\n";
  EXPECT_EQ(
      "ccsim-batch: skipped class/c.zip/main.c: no source text: its first bytes are those "
      "of a program\n"
      "ccsim-batch: skipped class/d.c" +
          bytes + "ccsim-batch: skipped class/e.c" + bytes + "ccsim-batch: skipped class/x1.c" +
          zip + "ccsim-batch: skipped class/x2.c" + zip,
      r.err);
  // Named on the command line, it is an input error.
  const RunResult named = batch({"class/x1.c", "class/a.c"}, dir.path());
  EXPECT_EQ(2, named.exit_status);
  EXPECT_EQ("ccsim-batch: class/x1.c" + zip, named.err);
  EXPECT_EQ(0, batch({"class/b.c", "class/a.c", "--threshold", "1"}, dir.path()).exit_status);
}

TEST(BatchCli, NamesCannotForgeRowsOrFormulas) {
  testing_support::ScopedTempDir dir;
  mkdir("class", 0755);
  write_bytes("class/=1+2.c", read_bytes(kClass + "/alice.c"));
  write_bytes("class/x\n   9  1.000.c", read_bytes(kClass + "/bob.c"));
  write_bytes("class/y\xff.c", read_bytes(kClass + "/carol.c"));
  const RunResult csv = batch({"--all-pairs", "--format", "csv", "class"}, dir.path());
  EXPECT_EQ(4u, lines(csv.out).size()) << csv.out;
  EXPECT_EQ(0u, lines(csv.out)[1].find("'=1+2.c,x\\x0a   9  1.000.c,")) << csv.out;
  const RunResult table = batch({"--all-pairs", "class"}, dir.path());
  EXPECT_EQ(5u, lines(table.out).size()) << table.out;
  EXPECT_NE(string::npos, table.out.find("y\\xff.c"));
  const RunResult json = batch({"--all-pairs", "--format", "json", "class"}, dir.path());
  EXPECT_NE(string::npos, json.out.find("{\"name\":\"y\\\\xff.c\",\"old\":false,\"length\":"));
  EXPECT_NE(string::npos, json.out.find(",\"raw\":\"y\\\\xff.c\"}"));

  // A comma or a quote in a name is quoted, not taken for a column's end.
  write_bytes("class/\"z\", w.c", read_bytes(kClass + "/dave.c"));
  const RunResult quoted = batch({"--all-pairs", "--format", "csv", "class"}, dir.path());
  ASSERT_EQ(7u, lines(quoted.out).size()) << quoted.out;
  for (const string& row : lines(quoted.out)) {
    if (row.find("w.c") == string::npos) continue;
    EXPECT_NE(string::npos, row.find("\"\"\"z\"\", w.c\",")) << row;
  }
  const RunResult quoted_json = batch({"--all-pairs", "--format", "json", "class"}, dir.path());
  EXPECT_NE(string::npos, quoted_json.out.find("{\"name\":\"\\\"z\\\", w.c\","));
}

// Two names a reader would take for one, or a name that lies about itself:
// in the table, the CSV, the JSON, the report and on standard error alike,
// each shows as itself.
TEST(BatchCli, NamesThatLookAlikeAreShownApart) {
  testing_support::ScopedTempDir dir;
  mkdir("class", 0755);
  write_bytes("class/eve.c", read_bytes(kClass + "/eve.c"));
  write_bytes("class/eve\u200b.c", read_bytes(kClass + "/heidi.c"));
  write_bytes("class/Jos\u00e9.c", read_bytes(kClass + "/alice.c"));
  write_bytes("class/Jose\u0301.c", read_bytes(kClass + "/bob.c"));
  write_bytes("class/x\u202egnp.c", read_bytes(kClass + "/carol.c"));
  mkdir("class/z\u200f", 0755);
  const RunResult table = batch({"--all-pairs", "--top", "20", "class"}, dir.path());
  const RunResult csv = batch({"--all-pairs", "--format", "csv", "class"}, dir.path());
  const RunResult json =
      batch({"--all-pairs", "--format", "json", "class", "--report", "r.html"}, dir.path());
  const string report = read_bytes(dir.path() + "/r.html");
  for (const string shown : {"eve\\u200b.c", "Jose\\u0301.c", "x\\u202egnp.c"}) {
    EXPECT_NE(string::npos, table.out.find(shown)) << shown;
    EXPECT_NE(string::npos, csv.out.find(shown)) << shown;
    // In JSON and the report's script, the backslash is written \\.
    const string in_json =
        shown.substr(0, shown.find('\\')) + "\\" + shown.substr(shown.find('\\'));
    EXPECT_NE(string::npos, json.out.find(in_json)) << in_json;
    EXPECT_NE(string::npos, report.find(in_json)) << in_json;
  }
  for (const string& out : {table.out, csv.out, json.out, report, table.err})
    for (const char* hidden : {"\u200b", "\u202e", "\u0301", "\u200f"})
      EXPECT_EQ(string::npos, out.find(hidden)) << out.substr(0, 300);
  EXPECT_NE(string::npos, csv.out.find("\nJose\\u0301.c,Jos\u00e9.c,0.98")) << csv.out;
  EXPECT_NE(string::npos, csv.out.find("\neve.c,eve\\u200b.c,0.9")) << csv.out;
  EXPECT_NE(string::npos, table.err.find("skipped class/z\\u200f: holds no source")) << table.err;
}

TEST(BatchCli, GbkSourcesAndNamesReadRight) {
  testing_support::ScopedTempDir dir;
  const string name = gbk("张三") + ".c";
  write_bytes(name, read_bytes(kClass + "/alice.c"));
  write_bytes("li.c", read_bytes(kClass + "/bob.c"));
  const RunResult r = batch({"--format", "csv", name, "li.c", "--report", "r.html"}, dir.path());
  // The name in UTF-8, marked as read from GB18030.
  EXPECT_EQ(0u, lines(r.out)[1].find("\xe5\xbc\xa0\xe4\xb8\x89.c (GB18030),li.c,0.98")) << r.out;
  // The GBK comment of the source shows as UTF-8 in the report.
  EXPECT_NE(
      string::npos,
      read_bytes(dir.path() + "/r.html").find("\xe8\x80\x81\xe5\xb8\x88\xe6\x8f\x90\xe4\xbe\x9b"));
}

// Windows editors save as UTF-16 when asked for "Unicode" (some tools with
// no byte-order mark, some as UTF-32): such a copy is the same code, and
// must score as the file it was saved from.
TEST(BatchCli, AUtf16CopyScoresAsTheFileItWasSavedFrom) {
  testing_support::ScopedTempDir dir;
  const string bob = read_bytes(kClass + "/bob.c");  // GBK, with Chinese comments
  write_bytes("alice.c", read_bytes(kClass + "/alice.c"));
  write_bytes("bob.c", bob);
  write_bytes("bob-le.c", testing_support::utf16(testing_support::utf8_from_gbk(bob), true));
  write_bytes("bob-be.c", testing_support::utf16(testing_support::utf8_from_gbk(bob), false));
  const string utf8 = testing_support::utf8_from_gbk(bob);
  write_bytes("bob-le-bare.c", testing_support::encoded(utf8, "UTF-16LE"));
  write_bytes("bob-be-bare.c", testing_support::encoded(utf8, "UTF-16BE"));
  write_bytes("bob-32le.c", string("\xff\xfe\0\0", 4) + testing_support::encoded(utf8, "UTF-32LE"));
  write_bytes("bob-32be-bare.c", testing_support::encoded(utf8, "UTF-32BE"));
  const RunResult r =
      batch({"--format", "csv", "--all-pairs", ".", "--report", "r.html"}, dir.path());
  ASSERT_EQ(1, r.exit_status) << r.err;
  std::map<string, string> figures;  // by pair, the fields after the names
  for (const string& row : lines(r.out)) {
    const std::size_t second = row.find(',', row.find(',') + 1);
    figures[row.substr(0, second)] = row.substr(second);
  }
  for (const char* copy : {"bob-be.c", "bob-le.c", "bob-le-bare.c", "bob-be-bare.c", "bob-32le.c",
                           "bob-32be-bare.c"}) {
    EXPECT_EQ(0u, figures[string(copy) + ",bob.c"].find(",1.000000,1.000000,1.000000,")) << r.out;
    EXPECT_EQ(figures["alice.c,bob.c"], figures[string("alice.c,") + copy]) << r.out;
  }
  EXPECT_EQ(0u, figures["alice.c,bob.c"].find(",0.98")) << r.out;
  // The report shows the copy's comments, as it does the GBK file's.
  const string report = read_bytes(dir.path() + "/r.html");
  const string comment = "\xe8\x80\x81\xe5\xb8\x88\xe6\x8f\x90\xe4\xbe\x9b";  // 老师提供
  std::size_t shown = 0;
  for (std::size_t at = report.find(comment); at != string::npos; at = report.find(comment, at + 1))
    ++shown;
  EXPECT_GE(shown, 3u);
  // Whatever encoding the class is said to be in.
  ASSERT_EQ(1,
            batch({"--encoding", "latin1", "bob-le.c", "alice.c", "--report", "l.html"}, dir.path())
                .exit_status);
  EXPECT_NE(string::npos, read_bytes(dir.path() + "/l.html").find(comment));
  // Read as ccsim reads it, the file is its bytes, every other one a zero.
  const RunResult raw =
      batch({"--ccsim", "--all-pairs", "--format", "csv", "bob.c", "bob-le.c"}, dir.path());
  EXPECT_LT(std::stod(similarity_field(raw.out)), 0.5) << raw.out;
}

}  // namespace
