// ccsim-batch on large classes: the floor, shards and their merge, and
// index files of past years.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/run_batch.h"
#include "tests/support/archive_maker.h"
#include "tests/support/run_binary.h"
#include "tests/support/temp_dir.h"

namespace {

using std::string;
using testing_support::batch;
using testing_support::field;
using testing_support::kClass;
using testing_support::kTemplate;
using testing_support::lines;
using testing_support::read_bytes;
using testing_support::RunOptions;
using testing_support::RunResult;
using testing_support::write_bytes;

// Below the floor pairs are counted, not listed; above it the rows are
// those of the run that tiles every pair, in the same order.
TEST(BatchScale, PairsBelowTheFloorAreCountedNotListed) {
  const RunResult every = batch({"--all-pairs", "--format", "csv", kClass});
  const RunResult floored = batch({"--format", "csv", kClass});
  EXPECT_EQ(every.exit_status, floored.exit_status);
  const std::vector<string> all_rows = lines(every.out);
  std::vector<string> kept = {all_rows[0]};
  for (std::size_t k = 1; k < all_rows.size(); ++k)
    if (std::stod(field(all_rows[k], 2)) >= 0.7 * 2 / 3) kept.push_back(all_rows[k]);
  ASSERT_GT(kept.size(), 2u);
  ASSERT_LT(kept.size(), all_rows.size());
  EXPECT_EQ(kept, lines(floored.out));
  const std::size_t below = all_rows.size() - kept.size();
  const RunResult json = batch({"--format", "json", kClass});
  EXPECT_NE(string::npos, json.out.find("\"pairs_in_run\":" + std::to_string(all_rows.size() - 1) +
                                        ",\"pairs_below_floor\":" + std::to_string(below) + ","));
  const RunResult table = batch({"--floor", "0.5", "--top", "0", kClass});
  EXPECT_EQ(0u,
            table.out.find("12 submissions, " + std::to_string(all_rows.size() - 1) + " pairs, "));
  EXPECT_NE(string::npos, table.out.find("pairs below 0.5 counted only"));
  EXPECT_EQ(2, batch({"--floor", "0.8", kClass}).exit_status);  // above the threshold
  for (const char* shard : {"0/3", "4/3", "1/0", "1", "1/2/3", "a/b", "1/3x"})
    EXPECT_EQ(2, batch({"--shard", shard, kClass}).exit_status) << shard;
}

// The shard files of a run in `dir`, slices 1..n, as the shards wrote them.
std::vector<string> shard_files(const string& dir, int n, const std::vector<string>& options) {
  std::vector<string> paths;
  for (int k = 1; k <= n; ++k) {
    std::vector<string> args = options;
    args.insert(args.end(), {"--shard", std::to_string(k) + "/" + std::to_string(n), kClass});
    const RunResult r = batch(args);
    EXPECT_EQ(0, r.exit_status) << r.err;  // whatever the slice holds
    paths.push_back(dir + "/part" + std::to_string(k));
    write_bytes(paths.back(), r.out);
  }
  return paths;
}

TEST(BatchScale, ShardsMergedGiveTheOutputOfTheWholeRunByteForByte) {
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

// The sh block of the large classes' page (docs/large-classes.md) that
// follows the line beginning `lead`, as lines.
std::vector<string> documented_recipe(const string& lead) {
  const string page = read_bytes(CCSIM_SOURCE_DIR "/docs/large-classes.md");
  const std::size_t at = page.find("\n" + lead);
  const std::size_t begin = page.find("```sh\n", at);
  if (at == string::npos || begin == string::npos) return {};
  const std::size_t end = page.find("```\n", begin + 6);
  std::vector<string> recipe;
  for (const string& line : lines(page.substr(begin + 6, end - begin - 6)))
    if (!line.empty() && line[0] != '#') recipe.push_back(line);
  return recipe;
}

// Runs one line of a recipe with /bin/sh in `dir`, ccsim-batch on the PATH.
RunResult shell(const string& line, const string& dir) {
  RunOptions options;
  options.args = {"-c", line};
  options.directory = dir;
  const string binary = CCSIM_BATCH_BINARY;
  options.path_env = binary.substr(0, binary.rfind('/')) + ":/usr/local/bin:/usr/bin:/bin";
  options.timeout_seconds = 300;
  return testing_support::run_binary("/bin/sh", options);
}

// The documented recipes for schedulers, run as they are written: every
// slice of a class with copies is a task that succeeds (a shard that
// exited 1 was a failed task: GNU parallel's status was 8), and the merge
// gives the whole run's output and verdict.
TEST(BatchScale, TheDocumentedShardRecipesRunAsWritten) {
  testing_support::ScopedTempDir dir;
  mkdir("class", 0755);
  for (const auto& entry : std::filesystem::directory_iterator(kClass))
    write_bytes("class/" + entry.path().filename().string(), read_bytes(entry.path().string()));
  const RunResult csv = batch({"--format", "csv", "class/"}, dir.path());
  const RunResult json = batch({"--format", "json", "class/"}, dir.path());
  ASSERT_EQ(1, csv.exit_status);

  const std::vector<string> slurm = documented_recipe("With a Slurm job array");
  ASSERT_EQ(2u, slurm.size());
  ASSERT_NE(string::npos, slurm[0].find("--shard \"$SLURM_ARRAY_TASK_ID/16\""));
  for (int task = 1; task <= 16; ++task) {
    const RunResult r =
        shell("SLURM_ARRAY_TASK_ID=" + std::to_string(task) + "\n" + slurm[0], dir.path());
    EXPECT_EQ(0, r.exit_status) << "task " << task << ": " << r.err;
  }
  const RunResult merged = shell(slurm[1], dir.path());
  EXPECT_EQ(1, merged.exit_status) << merged.err;
  EXPECT_EQ(csv.out, read_bytes(dir.path() + "/pairs.csv"));

  const std::vector<string> gnu = documented_recipe("With GNU parallel");
  ASSERT_EQ(2u, gnu.size());
  if (shell("command -v parallel", dir.path()).exit_status != 0)
    GTEST_SKIP() << "GNU parallel is not installed: the documented recipe with it is not run";
  for (int k = 1; k <= 16; ++k) std::remove((dir.path() + "/part-" + std::to_string(k)).c_str());
  const RunResult slices = shell(gnu[0], dir.path());
  EXPECT_EQ(0, slices.exit_status) << slices.err;
  const RunResult joined = shell(gnu[1], dir.path());
  EXPECT_EQ(1, joined.exit_status) << joined.err;
  EXPECT_EQ(json.out, read_bytes(dir.path() + "/pairs.json"));
}

TEST(BatchScale, ShardsThatDoNotMakeOneRunAreRefused) {
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
  // Counts that cannot be: a slice's pairs beyond the class's (2^64 - 1
  // wrapped the sum round) or fewer than it lists; a pair listed twice, by
  // one slice or by two.
  std::size_t listing = 0;  // a slice that lists a pair
  while (listing < parts.size() && read_bytes(parts[listing]).find("\npair ") == string::npos)
    ++listing;
  ASSERT_LT(listing, parts.size());
  const auto edited = [&](std::size_t k, const string& name, const auto& edit) {
    std::vector<string> files = parts;
    string text = read_bytes(parts[k]);
    edit(&text);
    files[k] = dir.path() + "/" + name;
    write_bytes(files[k], text);
    return files;
  };
  const auto replace = [](string* text, const string& from, const string& to) {
    const std::size_t at = text->find(from);
    if (at != string::npos) text->replace(at, from.size(), to);
  };
  const string listed_text = read_bytes(parts[listing]);
  const std::size_t line_at = listed_text.find("\npair ") + 1;
  const string pair_line =
      listed_text.substr(line_at, listed_text.find('\n', line_at) + 1 - line_at);
  const string end_line = listed_text.substr(listed_text.rfind("\nend ") + 1);
  const int listed = std::stoi(end_line.substr(4));
  const string pairs_line = listed_text.substr(
      listed_text.find("\npairs ") + 1,
      listed_text.find('\n', listed_text.find("\npairs ") + 1) - listed_text.find("\npairs "));
  const std::vector<string> wrapping = edited(listing, "wrapping", [&](string* text) {
    replace(text, pairs_line, "pairs 18446744073709551615\n");
  });
  const std::vector<string> fewer =
      edited(listing, "fewer", [&](string* text) { replace(text, pairs_line, "pairs 0\n"); });
  const std::vector<string> repeated = edited(listing, "repeated", [&](string* text) {
    replace(text, end_line, pair_line + "end " + std::to_string(listed + 1) + "\n");
  });
  const std::size_t next = (listing + 1) % parts.size();
  const std::vector<string> twice = edited(next, "twice", [&](string* text) {
    const string end = text->substr(text->rfind("\nend ") + 1);
    replace(text, end, pair_line + "end " + std::to_string(std::stoi(end.substr(4)) + 1) + "\n");
  });
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
                        Case{wrapping, "damaged or cut short"}, Case{fewer, "damaged or cut short"},
                        Case{repeated, "damaged or cut short"}, Case{twice, "damaged or cut short"},
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

TEST(BatchScale, AnIndexOfPastSubmissionsServesAsTheFolderItWasMadeFrom) {
  testing_support::ScopedTempDir dir;
  const string past = dir.path() + "/past";
  const string fresh = dir.path() + "/new";
  ASSERT_EQ(0, mkdir(past.c_str(), 0755));
  ASSERT_EQ(0, mkdir(fresh.c_str(), 0755));
  for (const char* name : {"alice.c", "carol.c", "dave.c", "eve.c", "grace.c", "ivan.c", "judy.c"})
    write_bytes(past + "/" + name, read_bytes(kClass + "/" + name));
  for (const char* name : {"bob.c", "frank.c", "heidi.c", "ken.c", "lucy.c"})
    write_bytes(fresh + "/" + name, read_bytes(kClass + "/" + name));
  // A large library holding one small program: how large it is, is told by
  // its code, which the index keeps apart from its comments.
  string library;
  for (const char* name : {"ivan.c", "judy.c", "grace.c", "eve.c", "carol.c"})
    library += read_bytes(kClass + "/" + name);
  write_bytes(past + "/library.c", library);
  write_bytes(fresh + "/piece.c", read_bytes(kClass + "/carol.c"));
  const string index = dir.path() + "/past.idx";
  const RunResult written = batch({"--write-index", index, past});
  EXPECT_EQ(0, written.exit_status) << written.err;
  EXPECT_NE(string::npos, written.err.find("wrote 8 submissions")) << written.err;

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
        // Cut within the first line, or to nothing: read once as one empty
        // old source, "0 suspected".
        Case{"", {}, "damaged"}, Case{whole.substr(0, 1), {}, "damaged"},
        Case{whole.substr(0, 17), {}, "damaged"}, Case{whole.substr(0, 18), {}, "damaged"},
        Case{whole.substr(0, 25), {}, "damaged"},
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
  // As short a source, or an archive, is what its name says.
  write_bytes(dir.path() + "/blank.c", "");
  const RunResult blank = batch({"--old", dir.path() + "/blank.c", fresh});
  EXPECT_EQ("", blank.err);
  EXPECT_EQ(0u, blank.out.find("7 submissions, ")) << blank.out;
  write_bytes(dir.path() + "/blank.zip", "");
  const RunResult zip = batch({"--old", dir.path() + "/blank.zip", fresh});
  EXPECT_EQ("ccsim-batch: no source found in " + dir.path() + "/blank.zip\n", zip.err);
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

// The same files are one submission whatever form they come in: a class's
// index given with --old beside the class paired every student with their
// own copy at 1.000, which --old CLASS CLASS does not.
TEST(BatchScale, AnIndexOfFilesAlsoGivenIsTakenOnce) {
  using testing_support::ArchiveKind;
  using testing_support::make_archive;
  testing_support::ScopedTempDir dir;
  mkdir("class", 0755);
  for (const char* name : {"alice.c", "carol.c", "dave.c", "eve.c"})
    write_bytes(string("class/") + name, read_bytes(kClass + "/" + name));
  write_bytes("class.zip",
              make_archive(ArchiveKind::kZip, {{"ann/a.c", read_bytes(kClass + "/alice.c")},
                                               {"cy/c.c", read_bytes(kClass + "/carol.c")}}));
  ASSERT_EQ(0, batch({"--write-index", "class.idx", "class"}, dir.path()).exit_status);
  ASSERT_EQ(0, batch({"--write-index", "zip.idx", "class.zip"}, dir.path()).exit_status);
  const RunResult twice =
      batch({"--all-pairs", "-f", "csv", "--old", "class", "class"}, dir.path());
  ASSERT_EQ(7u, lines(twice.out).size()) << twice.out;  // 4 * 3 / 2 pairs and the heading
  const string taken_once = ": given more than once\n";
  for (const std::vector<string>& old :
       {std::vector<string>{"--old", "class.idx"}, std::vector<string>{"--old", "./class.idx"}}) {
    std::vector<string> args = {"--all-pairs", "-f", "csv"};
    args.insert(args.end(), old.begin(), old.end());
    args.push_back("class");
    const RunResult r = batch(args, dir.path());
    EXPECT_EQ(twice.out, r.out) << old[1];
    EXPECT_EQ(0, r.exit_status) << old[1];
    for (const char* name : {"alice.c", "carol.c", "dave.c", "eve.c"})
      EXPECT_NE(string::npos, r.err.find(old[1] + "/class/" + name + taken_once)) << r.err;
  }
  // The archive's members too, however the archive is named.
  for (const char* archive : {"class.zip", "./class.zip"}) {
    const RunResult r =
        batch({"--all-pairs", "-f", "csv", "--old", "zip.idx", archive}, dir.path());
    ASSERT_EQ(2u, lines(r.out).size()) << archive << "\n" << r.out;  // ann and cy alone
    EXPECT_EQ(0u, lines(r.out)[1].find("ann,cy,")) << r.out;
    EXPECT_NE(string::npos, r.err.find("zip.idx/class.zip/ann" + taken_once)) << r.err;
  }
  const RunResult zip_twice = batch({"-f", "csv", "--old", "./class.zip", "class.zip"}, dir.path());
  EXPECT_EQ("ccsim-batch: skipped ./class.zip/ann" + taken_once +
                "ccsim-batch: skipped ./class.zip/cy" + taken_once,
            zip_twice.err);
  // The same bytes elsewhere are a copy, and a file changed since it was
  // indexed is other work: both are compared.
  mkdir("copied", 0755);
  write_bytes("copied/alice.c", read_bytes("class/alice.c"));
  write_bytes("class/eve.c", read_bytes(kClass + "/heidi.c"));
  const RunResult r = batch({"-f", "csv", "--old", "class.idx", "class", "copied"}, dir.path());
  EXPECT_NE(string::npos, r.out.find("\nclass/alice.c,copied/alice.c,1.000000,")) << r.out;
  EXPECT_NE(string::npos, r.out.find("\neve.c,class.idx/eve.c,0.9")) << r.out;
  EXPECT_EQ(string::npos, r.err.find("class.idx/class/eve.c" + taken_once)) << r.err;
}

}  // namespace
