// What the end-to-end tests of ccsim-batch share: running it, and reading
// what it wrote.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/support/encodings.h"
#include "tests/support/run_binary.h"
#include "tests/support/temp_dir.h"

namespace batch_run {

using std::string;
using testing_support::gbk;
using testing_support::read_bytes;
using testing_support::RunOptions;
using testing_support::RunResult;
using testing_support::write_bytes;

inline const string kClass = CCSIM_SOURCE_DIR "/examples/class";
inline const string kTemplate = CCSIM_SOURCE_DIR "/examples/class-template";

inline RunResult batch(std::vector<string> args, const string& dir = ".") {
  RunOptions options;
  options.args = std::move(args);
  options.directory = dir;
  return testing_support::run_binary(CCSIM_BATCH_BINARY, options);
}

inline std::vector<string> lines(const string& text) {
  std::vector<string> out;
  std::istringstream in(text);
  for (string line; std::getline(in, line);) out.push_back(line);
  return out;
}

// Field k of a CSV row whose fields hold no comma.
inline string field(const string& row, std::size_t k) {
  std::size_t begin = 0;
  for (; k > 0; --k) begin = row.find(',', begin) + 1;
  return row.substr(begin, row.find(',', begin) - begin);
}

// The similarity field of the one pair in CSV output `out`.
inline string similarity_field(const string& out) {
  const std::vector<string> rows = lines(out);
  if (rows.size() != 2) return "no single pair";
  std::vector<string> fields;
  std::istringstream row(rows[1]);
  for (string f; std::getline(row, f, ',');) fields.push_back(f);
  return fields.size() > 4 ? fields[4] : "too few fields";
}

// Runs ccsim-batch as an unprivileged user when we are root (root reads
// every file whatever its mode), in `dir`, which that user may then enter.
inline RunResult batch_as_user(std::vector<string> args, const string& dir) {
  if (geteuid() != 0) return batch(std::move(args), dir);
  chmod(dir.c_str(), 0755);
  args.insert(args.begin(),
              {"--reuid=65534", "--regid=65534", "--clear-groups", "--", CCSIM_BATCH_BINARY});
  RunOptions options;
  options.args = std::move(args);
  options.directory = dir;
  return testing_support::run_binary("/usr/bin/setpriv", options);
}

}  // namespace batch_run
