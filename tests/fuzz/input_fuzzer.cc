// libFuzzer target for what ccsim-batch reads before any comparison: the
// first byte picks the part.
//   0: names. The rest is two names split at its first 0xFE byte; each must
//      show as UTF-8 without control characters, without a character a
//      reader cannot see or that turns the text around, never as a name NFC
//      would change (it would look like another), and two different names
//      must never show alike.
//   1: archives. The rest is read as an archive, under small limits; it may
//      fail, but never crash, hang or hand back a member past the limits;
//      every member lies within an archive member before it.
//   2: walks. The rest builds a tree of entries in a fresh folder (files,
//      some with NUL bytes, folders, links to fuzzed targets, FIFOs, a
//      course platform's attempts), then the folder is walked: nothing
//      outside it may be read, nothing may block, and no submission holds
//      files of two attempts.
//   3: shard files. The rest is a shard file, joined with itself: refused
//      or read, never a crash.
//   4: index files. The rest is an index file's body, given its magic and a
//      checksum that matches, so that the parser itself is reached.
//   5: GB18030 and UTF-16. The rest decodes to valid UTF-8, whatever the
//      bytes, read as GB18030 and, behind a byte-order mark, as UTF-16.
//   6: names in sources. The rest is two sources split at its first 0xFE
//      byte: every name found is of a kind and no longer than the source,
//      and the two agree by a figure in [0, 1], the same either way round.
//   7: text. The rest is read by the rule for "is this text": wide text
//      comes as valid UTF-8; and printable text made of the rest, with a NUL
//      byte in every eight or fewer, is text, and not wide.
//   8: repeated names. The rest makes a tar or a zip whose members' names
//      come from a few (repeated, appended, a folder of a file's name): of
//      each name the source read is the last member's, and nothing else.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "batch/archive.h"
#include "batch/class_archive.h"
#include "batch/course_platforms.h"
#include "batch/decode.h"
#include "batch/name_evidence.h"
#include "batch/names.h"
#include "batch/past_index.h"
#include "batch/shards.h"
#include "batch/source_text.h"
#include "batch/submission.h"
#include "batch/unicode_names.h"
#include "tests/support/archive_maker.h"

namespace {

namespace fs = std::filesystem;

void fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

// The code points of valid UTF-8 `text`.
std::vector<char32_t> points_of(std::string_view text) {
  std::vector<char32_t> points;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t n = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t c = n == 1 ? lead : lead & (0x3Fu >> (n - 1));
    for (std::size_t k = 1; k < n && i + k < text.size(); ++k)
      c = c << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
    points.push_back(c);
    i += n;
  }
  return points;
}

void check_names(std::string_view data) {
  const std::size_t cut = data.find('\xfe');
  const std::string_view a = data.substr(0, cut);
  const std::string_view b = cut == std::string_view::npos ? "" : data.substr(cut + 1);
  const std::string shown_a = batch::shown_name(a);
  if (!batch::is_valid_utf8(shown_a)) fail("a name shown as something other than UTF-8");
  for (char c : shown_a)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) fail("a control character shown raw");
  const std::vector<char32_t> points = points_of(shown_a);
  for (char32_t c : points)
    if (batch::is_hidden(c)) fail("a character a reader cannot see shown raw");
  if (batch::is_decomposed(points)) fail("a name shown as one NFC would change");
  if (a != b && shown_a == batch::shown_name(b)) fail("two different names shown alike");
}

void check_archive(std::string_view data) {
  batch::Reading reading;
  reading.max_size = 4096;
  batch::ArchiveLimits limits;
  limits.total = 1 << 16;
  limits.entries = 64;
  std::vector<batch::Member> members;
  std::vector<batch::Skipped> skipped;
  std::string error;
  batch::unpack("f.zip", data, reading, limits, &members, &skipped, &error);
  for (std::size_t k = 0; k < members.size(); ++k) {
    const batch::Member& m = members[k];
    if (m.bytes.size() > reading.max_size) fail("a member past the size limit");
    if (m.within != batch::Member::kNone &&
        (m.within >= k || members[m.within].kind != batch::Member::Kind::kArchive ||
         m.path.rfind(members[m.within].path + "/", 0) != 0))
      fail("a member within no archive member before it");
  }
  // Read as a class: every file read is the archive's, once.
  static const std::string path =
      (fs::temp_directory_path() / ("ccsim-fuzz-class-" + std::to_string(getpid()) + ".zip"))
          .string();
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(data.data(), static_cast<std::streamsize>(data.size()));
  std::map<std::string, std::vector<batch::SourceFile>> groups;
  if (!batch::archive_submissions(path, reading, true, &groups, &skipped, &error, limits)) return;
  std::set<std::string> read;
  for (const auto& [name, files] : groups) {
    if (files.empty()) fail("a student of no file");
    for (const batch::SourceFile& f : files)
      if (f.path.rfind(path + "/", 0) != 0 || !read.insert(f.path).second)
        fail("a file of another archive, or read twice");
  }
}

// Entries from the data, three bytes each: kind, name, target.
void check_walk(std::string_view data) {
  static const fs::path base =
      fs::temp_directory_path() / ("ccsim-fuzz-" + std::to_string(getpid()));
  std::error_code ec;
  fs::remove_all(base, ec);
  fs::create_directories(base / "class", ec);
  std::ofstream(base / "secret.c") << "int secret_outside;";
  // A course platform's export too: one student's entries side by side.
  const char* names[] = {"a.c",
                         "b.c",
                         "d",
                         "d/x.c",
                         "d/e",
                         "d/e/y.c",
                         "z.h",
                         "l.c",
                         "d/w.zip",
                         "m_1_assignsubmission_file_a.c",
                         "m_1_assignsubmission_file_",
                         "m_1_assignsubmission_file_/x.c",
                         "T_u_attempt_2023-10-09-21-30-05_a.c",
                         "T_u_attempt_2023-10-10-08-00-00_a.c",
                         "T_u_attempt_2023-10-10-08-00-00.txt",
                         "T_u_attempt_2023-10-10-08-00-00_d",
                         "T_u_attempt_2023-10-10-08-00-00_d/q.c"};
  const char* targets[] = {"..", ".", "../secret.c", "/", "d", "a.c", "missing", "d/e", "../.."};
  for (std::size_t k = 0; k + 2 < data.size(); k += 3) {
    const fs::path p =
        base / "class" / names[static_cast<unsigned char>(data[k + 1]) % std::size(names)];
    fs::create_directories(p.parent_path(), ec);
    if (fs::exists(fs::symlink_status(p, ec))) continue;  // each name made once
    switch (static_cast<unsigned char>(data[k]) % 5) {
      case 0: std::ofstream(p) << "int x" << k << ";"; break;
      case 4: {  // a NUL byte or more, as the third byte says
        std::string bytes = "int n" + std::to_string(k) + ";";
        bytes.insert(bytes.begin() + 3, static_cast<unsigned char>(data[k + 2]) % 16, '\0');
        std::ofstream(p, std::ios::binary) << bytes;
        break;
      }
      case 1: fs::create_directories(p, ec); break;
      case 2:
        fs::create_symlink(targets[static_cast<unsigned char>(data[k + 2]) % 9], p, ec);
        break;
      case 3: mkfifo(p.c_str(), 0644); break;
    }
  }
  std::vector<batch::Submission> subs;
  std::vector<batch::Skipped> skipped;
  std::string error;
  batch::Reading reading;
  batch::collect((base / "class").string(), false, reading, &subs, &skipped, &error);
  const std::string class_path = (base / "class").string() + "/";
  for (const batch::Submission& s : subs) {
    std::string_view stamp;
    for (const batch::SourceFile& f : s.files) {
      if (f.text.find("secret_outside") != std::string::npos) fail("a file outside was read");
      std::string_view top = f.path;
      if (top.rfind(class_path, 0) == 0) top.remove_prefix(class_path.size());
      const std::string_view attempt = batch::attempt_of(top.substr(0, top.find('/')));
      if (!attempt.empty() && !stamp.empty() && attempt != stamp) fail("two attempts taken");
      if (!attempt.empty()) stamp = attempt;
    }
  }
  fs::remove_all(base, ec);
}

// A scratch file holding `bytes`.
std::string scratch_file(std::string_view bytes) {
  static const std::string path =
      (fs::temp_directory_path() / ("ccsim-fuzz-file-" + std::to_string(getpid()))).string();
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

void check_shard(std::string_view data) {
  const std::string path = scratch_file(data);
  batch::Merged merged;
  std::string error;
  if (!merged.read({path}, &error)) return;
  std::ostringstream out;  // what was read is written as a run writes it
  batch::write_json(out, merged.listing());
  batch::write_table(out, merged.listing(), 10);
}

void check_index(std::string_view body) {
  std::uint64_t h = 0xcbf29ce484222325ULL;  // FNV-1a, as the file's checksum
  for (char c : body) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
  std::string file = "ccsim-batch index\n" + std::string(body);
  for (int k = 0; k < 8; ++k) file += static_cast<char>((h >> (8 * k)) & 0xff);
  const std::string path = scratch_file(file);
  std::vector<batch::Submission> subs;
  std::string error;
  if (batch::read_index(path, batch::Reading{}, &subs, &error))
    for (batch::Submission& s : subs) batch::trace(&s);
}

void check_decoding(std::string_view data) {
  if (!batch::is_valid_utf8(batch::gb18030_to_utf8(data))) fail("GB18030 decoded to bad UTF-8");
  std::string utf8;
  for (const char* mark : {"\xff\xfe", "\xfe\xff"})
    if (!batch::utf16_to_utf8(mark + std::string(data), &utf8) || !batch::is_valid_utf8(utf8))
      fail("UTF-16 decoded to bad UTF-8");
}

void check_text(std::string_view data) {
  const batch::TextOf t = batch::text_of(data);
  if (t.wide && (!t.no_text.empty() || !batch::is_valid_utf8(t.utf8))) fail("bad wide text");
  std::string printable = "int x;\n";  // no binary file starts so
  std::size_t nul = 0;
  for (char c : data) {
    const auto u = static_cast<unsigned char>(c);
    if (u == 0xff && (nul + 1) * 8 <= printable.size() + 1) {
      printable += '\0';
      ++nul;
    } else {
      printable += u % 16 == 0 ? '\n' : static_cast<char>(' ' + u % 95);
    }
  }
  const batch::TextOf p = batch::text_of(printable);
  if (!p.no_text.empty() || p.wide) fail("printable text with a few NUL bytes taken for no text");
}

// Members from a few names, some again; a folder of a file's name.
void check_repeats(std::string_view data) {
  const char* names[] = {"a/m.c", "./a/m.c", "b.c", "b.c/", "b.c/x.c", "a//m.c", "c.h"};
  std::vector<std::pair<std::string, std::string>> files;
  std::map<std::string, std::string> last;  // the source each name must give
  for (std::size_t k = 0; k + 1 < data.size() && files.size() < 24; k += 2) {
    const std::string name = names[static_cast<unsigned char>(data[k]) % std::size(names)];
    const std::string text =
        "int v" + std::to_string(static_cast<unsigned char>(data[k + 1])) + ";";
    files.emplace_back(name, name.back() == '/' ? "" : text);
    if (name.back() == '/') continue;
    std::string key = name;  // the name unpacking gives it
    while (key.rfind("./", 0) == 0) key.erase(0, 2);
    for (std::size_t at; (at = key.find("//")) != std::string::npos;) key.erase(at, 1);
    last[key] = text;
  }
  const bool zip = !data.empty() && (static_cast<unsigned char>(data[0]) & 0x80) != 0;
  const std::string archive = testing_support::make_archive(
      zip ? testing_support::ArchiveKind::kZip : testing_support::ArchiveKind::kTar, files);
  std::vector<batch::Member> members;
  std::vector<batch::Skipped> skipped;
  std::string error;
  if (!batch::unpack("r.tar", archive, batch::Reading{}, batch::ArchiveLimits{}, &members, &skipped,
                     &error))
    fail("an archive of a few members refused");
  std::map<std::string, std::string> read;
  for (const batch::Member& m : members) {
    if (m.kind != batch::Member::Kind::kSource) continue;
    std::string key = m.path;
    for (std::size_t at; (at = key.find("//")) != std::string::npos;) key.erase(at, 1);
    if (!read.emplace(key, m.bytes).second) fail("a name read twice");
  }
  if (read != last) fail("a name read other than as its last member");
}

}  // namespace

void check_source_names(std::string_view data) {
  const std::size_t cut = data.find('\xfe');
  const std::string a(data.substr(0, cut));
  const std::string b(cut == std::string_view::npos ? "" : data.substr(cut + 1));
  for (const std::string& name : batch::names_in(a)) {
    if (name.size() < 3 || name.size() > a.size() + 2) fail("a name of no source text");
    const std::string_view kind = std::string_view(name).substr(0, 2);
    if (kind != "i:" && kind != "s:" && kind != "c:") fail("a name of no kind");
  }
  std::vector<batch::Submission> subs(3);
  batch::append_file(&subs[0], batch::SourceFile{"a.c", a});
  batch::append_file(&subs[1], batch::SourceFile{"b.c", b});
  batch::append_file(&subs[2], batch::SourceFile{"c.c", "int c;"});
  const std::vector<batch::NameVector> v = batch::name_vectors(subs, {}, 1);
  const double ab = batch::name_agreement(v[0], v[1]);
  if (!(ab >= 0 && ab <= 1) || ab != batch::name_agreement(v[1], v[0]))
    fail("an agreement out of [0, 1] or not the same both ways");
  batch::SpreadNames spread;
  spread.spread(v[0]);
  if (spread.agreement(v[1]) != ab) fail("the spread names disagree with the merge");
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view data(reinterpret_cast<const char*>(bytes) + 1, size - 1);
  switch (bytes[0] % 9) {
    case 0: check_names(data); break;
    case 1: check_archive(data); break;
    case 2: check_walk(data.substr(0, 60)); break;
    case 3: check_shard(data); break;
    case 4: check_index(data); break;
    case 5: check_decoding(data); break;
    case 6: check_source_names(data); break;
    case 7: check_text(data); break;
    case 8: check_repeats(data.substr(0, 60)); break;
  }
  return 0;
}
