// Runs a program of ours as a user would: in a folder, with given standard
// input bytes, capturing both output streams.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace testing_support {

struct RunOptions {
  std::string directory = ".";
  /// Standard input bytes; nullopt for a closed (empty) input.
  std::optional<std::string> input;
  std::vector<std::string> args;
  /// Standard output goes to this file instead of being captured, when set.
  std::optional<std::string> output_path;
  /// Standard output is a pipe whose reader has gone (as after `| head -1`),
  /// when set: every write to it fails.
  bool output_to_closed_pipe = false;
  /// Replaces PATH for the child when set.
  std::optional<std::string> path_env;
  int timeout_seconds = 60;
};

struct RunResult {
  int exit_status = -1;  // -1 when killed by a signal or timed out
  std::string out;
  std::string err;
};

RunResult run_binary(const std::string& binary, const RunOptions& options);

}  // namespace testing_support
