// ccsim-batch run in slices and joined, and past years kept in an index.
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

// The shard files of a run in `dir`, slices 1..n, as the shards wrote them.
std::vector<string> shard_files(const string& dir, int n, const std::vector<string>& options) {
  std::vector<string> paths;
  for (int k = 1; k <= n; ++k) {
    std::vector<string> args = options;
    args.insert(args.end(), {"--shard", std::to_string(k) + "/" + std::to_string(n), kClass});
    const RunResult r = batch(args);
    EXPECT_NE(2, r.exit_status) << r.err;
    paths.push_back(dir + "/part" + std::to_string(k));
    write_bytes(paths.back(), r.out);
  }
  return paths;
}

TEST(BatchCli, ShardsMergedGiveTheOutputOfTheWholeRunByteForByte) {
  testing_support::ScopedTempDir dir;
  for (const std::vector<string>& options :
       {std::vector<string>{}, std::vector<string>{"--all-pairs"},
        std::vector<string>{"--base", kTemplate, "--floor", "0.1"}}) {
    for (int n : {1, 4, 7}) {
      std::vector<string> parts = shard_files(dir.path(), n, options);
      std::reverse(parts.begin(), parts.end());  // the order given does not matter
      for (const char* format : {"csv", "json", "table"}) {
        std::vector<string> whole_args = options;
        whole_args.insert(whole_args.end(), {"--format", format, kClass});
        const RunResult whole = batch(whole_args);
        std::vector<string> merge_args = {"--format", format, "--merge"};
        merge_args.insert(merge_args.end(), parts.begin(), parts.end());
        const RunResult merged = batch(merge_args);
        EXPECT_EQ(whole.exit_status, merged.exit_status) << merged.err;
        EXPECT_EQ(whole.out, merged.out) << format << " in " << n << " slices";
      }
    }
  }
}

TEST(BatchCli, ShardsThatDoNotMakeOneRunAreRefused) {
  testing_support::ScopedTempDir dir;
  const std::vector<string> parts = shard_files(dir.path(), 3, {});
  const string other = dir.path() + "/other";
  write_bytes(other, batch({"--threshold", "0.5", "--shard", "3/3", kClass}).out);
  const string cut = dir.path() + "/cut";
  const string whole = read_bytes(parts[2]);
  write_bytes(cut, whole.substr(0, whole.size() / 2));
  const string foreign = dir.path() + "/foreign";
  write_bytes(foreign, "first,second,score\n");
  // A pair's score out of [0, 1], in a slice that lists one.
  const string outside = dir.path() + "/outside";
  std::vector<string> replaced = parts;
  for (std::size_t k = 0; k < parts.size() && replaced == parts; ++k) {
    string text = read_bytes(parts[k]);
    const std::size_t pair = text.find("\npair ");
    if (pair == string::npos) continue;
    std::size_t at = pair;  // the score: the fourth field of the line
    for (int field = 0; field < 3; ++field) at = text.find(' ', at + 1);
    text.replace(at + 1, text.find(' ', at + 1) - at - 1, "0x1p+1");  // 2
    write_bytes(outside, text);
    replaced[k] = outside;
  }
  ASSERT_NE(parts, replaced) << "no slice lists a pair";
  const string fifo = dir.path() + "/fifo";  // named by mistake: refused, not waited on
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  auto merge = [](std::vector<string> files) {
    files.insert(files.begin(), "--merge");
    return batch(files);
  };
  struct Case {
    std::vector<string> files;
    const char* says;
  };
  for (const Case& c : {Case{{parts[0], parts[1]}, "1 of the 3 slices are missing"},
                        Case{{parts[0], parts[1], parts[1], parts[2]}, "a slice already given"},
                        Case{{parts[0], parts[1], other}, "a slice of another run"},
                        Case{{parts[0], parts[1], cut}, "damaged or cut short"},
                        Case{replaced, "damaged or cut short"},
                        Case{{parts[0], parts[1], foreign}, "not a shard file"},
                        Case{{parts[0], parts[1], dir.path() + "/none"}, "cannot be read"},
                        Case{{parts[0], parts[1], fifo}, "cannot be read"}}) {
    const RunResult r = merge(c.files);
    EXPECT_EQ(2, r.exit_status) << c.says;
    EXPECT_NE(string::npos, r.err.find(c.says)) << r.err;
    EXPECT_EQ("", r.out);
  }
  // A merge takes shard files only; a shard writes a shard file only.
  EXPECT_EQ(2, batch({"--merge", parts[0], "--threshold", "0.5"}).exit_status);
  EXPECT_EQ(2, batch({"--merge", parts[0], "--report", dir.path() + "/r.html"}).exit_status);
  EXPECT_EQ(2, batch({"--shard", "1/2", "--format", "csv", kClass}).exit_status);
  EXPECT_EQ(2, batch({"--shard", "1/2", "--report", dir.path() + "/r.html", kClass}).exit_status);
}

// `text` with every `from` taken out.
string rows_text(string text, const string& from) {
  for (std::size_t at; (at = text.find(from)) != string::npos;) text.erase(at, from.size());
  return text;
}

// The lines of `text` with every `from` taken out, sorted.
std::vector<string> rows_without(const string& text, const string& from) {
  std::vector<string> rows = lines(rows_text(text, from));
  std::sort(rows.begin(), rows.end());
  return rows;
}

TEST(BatchCli, AnIndexOfPastSubmissionsServesAsTheFolderItWasMadeFrom) {
  testing_support::ScopedTempDir dir;
  const string past = dir.path() + "/past";
  const string fresh = dir.path() + "/new";
  ASSERT_EQ(0, mkdir(past.c_str(), 0755));
  ASSERT_EQ(0, mkdir(fresh.c_str(), 0755));
  for (const char* name : {"alice.c", "carol.c", "dave.c", "eve.c", "grace.c", "ivan.c", "judy.c"})
    write_bytes(past + "/" + name, read_bytes(kClass + "/" + name));
  for (const char* name : {"bob.c", "frank.c", "heidi.c", "ken.c", "lucy.c"})
    write_bytes(fresh + "/" + name, read_bytes(kClass + "/" + name));
  const string index = dir.path() + "/past.idx";
  const RunResult written = batch({"--write-index", index, past});
  EXPECT_EQ(0, written.exit_status) << written.err;
  EXPECT_NE(string::npos, written.err.find("wrote 7 submissions")) << written.err;

  for (const char* format : {"csv", "json"}) {
    const RunResult by_folder = batch({"--format", format, "--old", past, fresh});
    const RunResult by_index = batch({"--format", format, "--old", index, fresh});
    EXPECT_EQ(by_folder.exit_status, by_index.exit_status) << by_index.err;
    // Names differ by the path they were given under; the files keep theirs.
    EXPECT_EQ(rows_without(by_folder.out, past), rows_without(rows_text(by_index.out, index), past))
        << format;
  }
  // The copies across the years are found, with their source lines.
  const RunResult json = batch({"--format", "json", "--old", index, fresh});
  EXPECT_NE(string::npos, json.out.find("\"first\":\"bob.c\",\"second\":\"" + index + "/alice.c\""))
      << json.out.substr(0, 400);
  EXPECT_NE(string::npos, json.out.find("\"file\":\"" + past + "/alice.c\",\"line\":"));

  // Damaged, cut short, of another way of reading, or not an index at all.
  const string whole = read_bytes(index);
  string flipped = whole;
  flipped[whole.size() / 2] ^= 0x20;
  const string bad = dir.path() + "/bad.idx";
  struct Case {
    string bytes;
    std::vector<string> extra;
    const char* says;
  };
  for (const Case& c :
       {Case{flipped, {}, "damaged"}, Case{whole.substr(0, whole.size() - 9), {}, "damaged"},
        Case{whole.substr(0, 30), {}, "damaged"},
        Case{whole, {"--ccsim"}, "another way of reading"},
        Case{whole.substr(0, 18) + "\x07" + whole.substr(19), {}, "another version"}}) {
    write_bytes(bad, c.bytes);
    std::vector<string> args = c.extra;
    args.insert(args.end(), {"--old", bad, fresh});
    const RunResult r = batch(args);
    EXPECT_EQ(2, r.exit_status) << c.says;
    EXPECT_NE(string::npos, r.err.find(c.says)) << r.err;
    EXPECT_EQ("", r.out);
  }
  EXPECT_EQ(2, batch({"--write-index", index, "--format", "csv", past}).exit_status);
  const string empty = dir.path() + "/empty";
  ASSERT_EQ(0, mkdir(empty.c_str(), 0755));
  const RunResult nothing = batch({"--write-index", dir.path() + "/nothing.idx", empty});
  EXPECT_EQ(2, nothing.exit_status);
  EXPECT_NE(string::npos, nothing.err.find("no submission to write")) << nothing.err;
  EXPECT_NE(0, access((dir.path() + "/nothing.idx").c_str(), F_OK));
  EXPECT_EQ(2, batch({"--write-index", dir.path() + "/no/such/dir/x.idx", past}).exit_status);
  EXPECT_EQ(whole, read_bytes(index));  // a failed write leaves the index as it was
}

}  // namespace
