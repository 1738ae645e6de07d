// Archives read in memory: sources taken, unsafe paths and bombs refused.
#include "batch/archive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/archive_maker.h"

namespace {

using testing_support::ArchiveKind;
using testing_support::make_archive;

struct Unpacked {
  bool ok = false;
  std::vector<batch::Member> members;
  std::vector<batch::Skipped> skipped;
  std::string error;
  // The sources read, in archive order.
  std::vector<batch::Member> sources() const {
    std::vector<batch::Member> out;
    for (const auto& m : members)
      if (m.kind == batch::Member::Kind::kSource) out.push_back(m);
    return out;
  }
  std::vector<std::string> paths() const {
    std::vector<std::string> out;
    for (const auto& m : sources()) out.push_back(m.path);
    return out;
  }
};

Unpacked unpack(const std::string& bytes, const batch::ArchiveLimits& limits = {},
                std::uintmax_t max_size = 1 << 20) {
  batch::Reading reading;
  reading.extensions = {".c", ".h", ".cpp"};
  reading.max_size = max_size;
  Unpacked u;
  u.ok = batch::unpack("class.zip", bytes, reading, limits, &u.members, &u.skipped, &u.error);
  return u;
}

// `zip` with a bit of its general-purpose flags set, in the local and the
// central header of its first member (or of all members).
std::string with_zip_flag(std::string zip, int bit, bool first_only = false) {
  for (const auto& [signature, flags] : {std::pair<std::string, std::size_t>{"PK\3\4", 6},
                                         std::pair<std::string, std::size_t>{"PK\1\2", 8}}) {
    for (std::size_t at = zip.find(signature); at != std::string::npos;
         at = first_only ? std::string::npos : zip.find(signature, at + 1)) {
      char& byte = zip[at + flags + static_cast<std::size_t>(bit / 8)];
      byte = static_cast<char>(byte | (1 << (bit % 8)));
    }
  }
  return zip;
}

TEST(Archive, SourcesInOrderNestedArchivesExpandedOthersLeft) {
  const std::string inner = make_archive(ArchiveKind::kZip, {{"main.cpp", "int main(){}"}});
  // Every kind the help names is read, on every system.
  for (ArchiveKind kind :
       {ArchiveKind::kZip, ArchiveKind::kTarGz, ArchiveKind::kTarBz2, ArchiveKind::kTarXz}) {
    const Unpacked u = unpack(make_archive(kind, {{"ann/a.c", "int a;"},
                                                  {"ann/readme.txt", "notes"},
                                                  {"./bo.h", "int b;"},
                                                  {"cy.zip", inner}}));
    ASSERT_TRUE(u.ok) << u.error;
    EXPECT_EQ((std::vector<std::string>{"ann/a.c", "bo.h", "cy.zip/main.cpp"}), u.paths());
    EXPECT_EQ("int a;", u.sources()[0].bytes);
    EXPECT_TRUE(u.skipped.empty());
  }
  EXPECT_TRUE(batch::is_archive_name("x.tar.gz"));
  EXPECT_TRUE(batch::is_archive_name("X.RAR"));
  EXPECT_TRUE(batch::is_archive_name("x.7z"));
  EXPECT_FALSE(batch::is_archive_name("x.gz.c"));
}

// Zip tools of today mark names as UTF-8 (and 7z holds them in UTF-16); a
// Chinese Windows zips them in GBK, unmarked. Each member keeps its name:
// the first as UTF-8, the second as its bytes, told apart when shown.
TEST(Archive, NamesInChineseAreKeptMarkedUnicodeOrInGbk) {
  const std::string zhang = "\xe5\xbc\xa0\xe4\xb8\x89/\xe4\xb8\xbb.c";  // 张三/主.c
  const std::string zhang_gbk = "\xd5\xc5\xc8\xfd/\xd6\xf7.c";
  for (ArchiveKind kind : {ArchiveKind::kZipUtf8, ArchiveKind::k7z}) {
    const Unpacked u = unpack(make_archive(kind, {{zhang, "int a;"}, {"b.c", "int b;"}}));
    ASSERT_TRUE(u.ok) << u.error;
    EXPECT_EQ((std::vector<std::string>{zhang, "b.c"}), u.paths());
  }
  const std::string gbk_zip = make_archive(ArchiveKind::kZip, {{zhang_gbk, "int a;"}});
  Unpacked u = unpack(gbk_zip);
  ASSERT_TRUE(u.ok) << u.error;
  EXPECT_EQ((std::vector<std::string>{zhang_gbk}), u.paths());
  // The same bytes marked UTF-8, as a careless tool writes them: no name to
  // be had, but the member is said, not lost unsaid.
  u = unpack(with_zip_flag(gbk_zip, 11));
  ASSERT_TRUE(u.ok) << u.error;
  EXPECT_TRUE(u.sources().empty());
  ASSERT_EQ(1u, u.skipped.size());
  EXPECT_EQ("class.zip/(member 1)", u.skipped[0].path);
  EXPECT_EQ("its name cannot be read (it is not in the encoding its archive says)",
            u.skipped[0].reason);
}

TEST(Archive, PathsThatClimbOutAreRefusedAndSaid) {
  const Unpacked u = unpack(make_archive(
      ArchiveKind::kZip,
      {{"../evil.c", "x"}, {"/abs.c", "x"}, {"a/../../up.c", "x"}, {"ok/../fine.c", "int f;"}}));
  ASSERT_TRUE(u.ok) << u.error;
  EXPECT_TRUE(u.sources().empty());
  ASSERT_EQ(4u, u.skipped.size());
  EXPECT_EQ("class.zip/../evil.c", u.skipped[0].path);
  EXPECT_EQ("a path that climbs out of the archive (absolute or with ..)", u.skipped[0].reason);
}

TEST(Archive, BombsAreRefusedBeforeTheyAreHeld) {
  const std::string zeros(3 << 20, '\0');
  // One source past the size limit: passed over, the rest kept.
  Unpacked u = unpack(make_archive(ArchiveKind::kZip, {{"big.c", zeros}, {"a.c", "int a;"}}));
  ASSERT_TRUE(u.ok) << u.error;
  EXPECT_EQ((std::vector<std::string>{"a.c"}), u.paths());
  ASSERT_EQ(1u, u.skipped.size());
  EXPECT_EQ("larger than the limit (3145728 bytes; --max-size 1048576)", u.skipped[0].reason);
  // Past the total or the count: the whole archive is refused. (What is no
  // source is never unpacked, so it cannot count.)
  batch::ArchiveLimits small;
  small.total = 1 << 20;
  u = unpack(make_archive(ArchiveKind::kZip, {{"x.c", zeros}}), small, 8 << 20);
  EXPECT_FALSE(u.ok);
  EXPECT_EQ("class.zip: refused: unpacks to more than 100000 members or 1048576 bytes", u.error);
  small = {};
  small.entries = 2;
  u = unpack(make_archive(ArchiveKind::kZip, {{"a.c", "1"}, {"b.c", "2"}, {"c.c", "3"}}), small);
  EXPECT_FALSE(u.ok);
  // What is passed over counts as well where passing costs its
  // decompression (a tar.xz of zeros takes seconds a gigabyte), not in a zip.
  small = {};
  small.declared = 50000;
  const std::vector<std::pair<std::string, std::string>> big_data = {
      {"data.bin", std::string(100000, 'x')}, {"a.c", "int a;"}};
  u = unpack(make_archive(ArchiveKind::kTarGz, big_data), small);
  EXPECT_FALSE(u.ok);
  EXPECT_EQ("class.zip: refused: unpacks to more than 100000 members or 1073741824 bytes", u.error);
  u = unpack(make_archive(ArchiveKind::kZip, big_data), small);
  ASSERT_TRUE(u.ok) << u.error;
  EXPECT_EQ((std::vector<std::string>{"a.c"}), u.paths());
  // Archives within archives, only so deep.
  const std::string deepest = make_archive(ArchiveKind::kZip, {{"x.c", "int x;"}});
  const std::string middle = make_archive(ArchiveKind::kZip, {{"in.zip", deepest}});
  small = {};
  small.depth = 1;
  u = unpack(make_archive(ArchiveKind::kZip, {{"out.zip", middle}}), small);
  ASSERT_TRUE(u.ok) << u.error;
  EXPECT_TRUE(u.sources().empty());
  ASSERT_EQ(1u, u.skipped.size());
  EXPECT_EQ("class.zip/out.zip/in.zip", u.skipped[0].path);
}

// A class's archive holds forty students' archives: one locked with a
// password, or damaged, must not cost the teacher the other thirty-nine.
TEST(Archive, WhatIsLockedOrDamagedIsSaidAndTheRestRead) {
  // A member locked with a password (bit 0 of its flags).
  Unpacked u = unpack(with_zip_flag(
      make_archive(ArchiveKind::kZip, {{"a.c", "int a;"}, {"b.c", "int b;"}}), 0, true));
  ASSERT_TRUE(u.ok) << u.error;
  EXPECT_EQ((std::vector<std::string>{"b.c"}), u.paths());
  ASSERT_EQ(1u, u.skipped.size());
  EXPECT_EQ("class.zip/a.c", u.skipped[0].path);
  EXPECT_EQ("locked with a password: cannot be read", u.skipped[0].reason);
  // Students' archives inside: one no archive at all, one cut short after
  // its first member (what it gave is not kept: the student is passed over
  // whole, not half), one good.
  std::string noise;  // what deflate cannot shrink much, so that the cut falls in y.c
  for (std::uint32_t k = 0, x = 1; k < 40000; ++k, x = x * 1103515245 + 12345)
    noise += static_cast<char>('a' + (x >> 16) % 26);
  const std::string two = make_archive(ArchiveKind::kZip, {{"x.c", noise}, {"y.c", noise + ";"}});
  u = unpack(make_archive(ArchiveKind::kZip,
                          {{"ann.zip", "not an archive"},
                           {"bob.zip", two.substr(0, two.size() * 3 / 4)},
                           {"cy.zip", make_archive(ArchiveKind::kZip, {{"c.c", "int c;"}})},
                           {"d.c", "int d;"}}));
  ASSERT_TRUE(u.ok) << u.error;
  EXPECT_EQ((std::vector<std::string>{"cy.zip/c.c", "d.c"}), u.paths());
  ASSERT_EQ(2u, u.skipped.size());
  EXPECT_EQ("class.zip/ann.zip", u.skipped[0].path);
  EXPECT_EQ(0u, u.skipped[0].reason.find("cannot be read as an archive: ")) << u.skipped[0].reason;
  EXPECT_EQ("class.zip/bob.zip", u.skipped[1].path);
  EXPECT_EQ(0u, u.skipped[1].reason.find("cannot be read as an archive: ")) << u.skipped[1].reason;
}

// Every member is listed with what it is; of a name that comes twice the
// last is the file, as unpacking leaves it, whatever the kind of archive.
TEST(Archive, OfANameThatComesTwiceTheLastIsTheFile) {
  using Kind = batch::Member::Kind;
  for (ArchiveKind kind : {ArchiveKind::kTar, ArchiveKind::kZip, ArchiveKind::k7z}) {
    const Unpacked u = unpack(make_archive(kind, {{"ann/", ""},
                                                  {"ann/main.c", "int old;"},
                                                  {"ann/notes.txt", "x"},
                                                  {"bob.c", "int b;"},
                                                  {"bob.c/", ""},
                                                  {"bob.c/x.c", "int x;"},
                                                  {"./ann//main.c", "int newer;"}}));
    ASSERT_TRUE(u.ok) << u.error;
    std::vector<std::string> paths = u.paths();
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ((std::vector<std::string>{"ann//main.c", "bob.c", "bob.c/x.c"}), paths);
    const std::vector<batch::Member> sources = u.sources();
    const auto newer = std::find_if(sources.begin(), sources.end(),
                                    [](const batch::Member& m) { return m.path == "ann//main.c"; });
    ASSERT_NE(sources.end(), newer);
    EXPECT_EQ("int newer;", newer->bytes);
    ASSERT_EQ(1u, u.skipped.size());
    EXPECT_EQ("class.zip/ann/main.c", u.skipped[0].path);
    EXPECT_EQ(
        "an earlier member of the same name: the last one is the file, as unpacking leaves it",
        u.skipped[0].reason);
    std::vector<std::pair<std::string, Kind>> listed;  // 7z puts folders last
    for (const batch::Member& m : u.members) listed.emplace_back(m.path, m.kind);
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ((std::vector<std::pair<std::string, Kind>>{{"ann", Kind::kFolder},
                                                         {"ann//main.c", Kind::kSource},
                                                         {"ann/notes.txt", Kind::kOther},
                                                         {"bob.c", Kind::kSource},
                                                         {"bob.c", Kind::kFolder},
                                                         {"bob.c/x.c", Kind::kSource}}),
              listed);
  }
  // An archive inside that comes again is the later one, whole: nothing of
  // the earlier is left, and its members are members of the later one.
  const std::string first =
      make_archive(ArchiveKind::kZip, {{"main.c", "int first;"}, {"old.c", "int old;"}});
  const std::string second = make_archive(ArchiveKind::kZip, {{"main.c", "int second;"}});
  const Unpacked u = unpack(make_archive(
      ArchiveKind::kTarGz, {{"ann.zip", first}, {"b.c", "int b;"}, {"ann.zip", second}}));
  ASSERT_TRUE(u.ok) << u.error;
  EXPECT_EQ((std::vector<std::string>{"b.c", "ann.zip/main.c"}), u.paths());
  ASSERT_EQ(1u, u.skipped.size());
  EXPECT_EQ("class.zip/ann.zip", u.skipped[0].path);
  ASSERT_EQ(3u, u.members.size());
  EXPECT_EQ(batch::Member::Kind::kArchive, u.members[1].kind);
  EXPECT_EQ(1u, u.members[2].within);
}

TEST(Archive, WhatIsNoArchiveIsAnError) {
  const Unpacked u = unpack("this is not a zip file at all");
  EXPECT_FALSE(u.ok);
  EXPECT_EQ(0u, u.error.find("class.zip: cannot be read as an archive: ")) << u.error;
}

}  // namespace
