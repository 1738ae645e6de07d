// libFuzzer target for what ccsim-batch reads before any comparison: the
// first byte picks the part.
//   0: names. The rest is two names split at its first 0xFE byte; each must
//      show as UTF-8 without control characters, and two different names
//      must never show alike.
//   1: archives. The rest is read as an archive, under small limits; it may
//      fail, but never crash, hang or hand back a member past the limits.
//   2: walks. The rest builds a tree of entries in a fresh folder (files,
//      folders, links to fuzzed targets, FIFOs), then the folder is walked:
//      nothing outside it may be read, nothing may block.
//   3: shard files. The rest is a shard file, joined with itself: refused
//      or read, never a crash.
//   4: index files. The rest is an index file's body, given its magic and a
//      checksum that matches, so that the parser itself is reached.
//   5: GB18030 and UTF-16. The rest decodes to valid UTF-8, whatever the
//      bytes, read as GB18030 and, behind a byte-order mark, as UTF-16.
//   6: names in sources. The rest is two sources split at its first 0xFE
//      byte: every name found is of a kind and no longer than the source,
//      and the two agree by a figure in [0, 1], the same either way round.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "batch/archive.h"
#include "batch/decode.h"
#include "batch/name_evidence.h"
#include "batch/names.h"
#include "batch/past_index.h"
#include "batch/shards.h"
#include "batch/submission.h"

namespace {

namespace fs = std::filesystem;

void fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

void check_names(std::string_view data) {
  const std::size_t cut = data.find('\xfe');
  const std::string_view a = data.substr(0, cut);
  const std::string_view b = cut == std::string_view::npos ? "" : data.substr(cut + 1);
  const std::string shown_a = batch::shown_name(a);
  if (!batch::is_valid_utf8(shown_a)) fail("a name shown as something other than UTF-8");
  for (char c : shown_a)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) fail("a control character shown raw");
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
  for (const batch::Member& m : members)
    if (m.bytes.size() > reading.max_size) fail("a member past the size limit");
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
                         "m_1_assignsubmission_file_/x.c"};
  const char* targets[] = {"..", ".", "../secret.c", "/", "d", "a.c", "missing", "d/e", "../.."};
  for (std::size_t k = 0; k + 2 < data.size(); k += 3) {
    const fs::path p =
        base / "class" / names[static_cast<unsigned char>(data[k + 1]) % std::size(names)];
    fs::create_directories(p.parent_path(), ec);
    if (fs::exists(fs::symlink_status(p, ec))) continue;  // each name made once
    switch (static_cast<unsigned char>(data[k]) % 4) {
      case 0: std::ofstream(p) << "int x" << k << ";"; break;
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
  for (const batch::Submission& s : subs)
    for (const batch::SourceFile& f : s.files)
      if (f.text.find("secret_outside") != std::string::npos) fail("a file outside was read");
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
  switch (bytes[0] % 7) {
    case 0: check_names(data); break;
    case 1: check_archive(data); break;
    case 2: check_walk(data.substr(0, 60)); break;
    case 3: check_shard(data); break;
    case 4: check_index(data); break;
    case 5: check_decoding(data); break;
    case 6: check_source_names(data); break;
  }
  return 0;
}
