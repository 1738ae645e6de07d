// What the end-to-end tests of ccsim-batch share: the example class, and
// ccsim-batch run in a folder, its output cut into lines and fields.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/support/run_binary.h"

namespace testing_support {

inline const std::string kClass = CCSIM_SOURCE_DIR "/examples/class";
inline const std::string kTemplate = CCSIM_SOURCE_DIR "/examples/class-template";

inline RunResult batch(std::vector<std::string> args, const std::string& dir = ".") {
  RunOptions options;
  options.args = std::move(args);
  options.directory = dir;
  return run_binary(CCSIM_BATCH_BINARY, options);
}

inline std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

// Field k of a CSV row whose fields hold no comma.
inline std::string field(const std::string& row, std::size_t k) {
  std::size_t begin = 0;
  for (; k > 0; --k) begin = row.find(',', begin) + 1;
  return row.substr(begin, row.find(',', begin) - begin);
}

// Runs ccsim-batch as an unprivileged user when we are root (root reads
// every file whatever its mode), in `dir`, which that user may then enter.
inline RunResult batch_as_user(std::vector<std::string> args, const std::string& dir) {
  if (geteuid() != 0) return batch(std::move(args), dir);
  chmod(dir.c_str(), 0755);
  args.insert(args.begin(),
              {"--reuid=65534", "--regid=65534", "--clear-groups", "--", CCSIM_BATCH_BINARY});
  RunOptions options;
  options.args = std::move(args);
  options.directory = dir;
  return run_binary("/usr/bin/setpriv", options);
}

}  // namespace testing_support
