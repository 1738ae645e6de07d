#include "tests/support/run_binary.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace testing_support {
namespace {

std::string slurp(std::FILE* f) {
  std::string all;
  std::rewind(f);
  char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) all.append(buf, n);
  return all;
}

}  // namespace

RunResult run_binary(const std::string& binary, const RunOptions& options) {
  std::FILE* in = std::tmpfile();
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  if (options.input) std::fwrite(options.input->data(), 1, options.input->size(), in);
  std::fflush(in);
  std::rewind(in);
  int closed_pipe[2] = {-1, -1};
  if (options.output_to_closed_pipe) {
    if (pipe(closed_pipe) != 0) ADD_FAILURE() << "no pipe";
    close(closed_pipe[0]);  // no reader, anywhere
  }
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(options.directory.c_str()) != 0) _exit(126);
    dup2(fileno(in), STDIN_FILENO);
    const int out_fd = options.output_to_closed_pipe ? closed_pipe[1]
                       : options.output_path         ? open(options.output_path->c_str(), O_WRONLY)
                                                     : fileno(out);
    if (out_fd < 0) _exit(126);
    dup2(out_fd, STDOUT_FILENO);
    dup2(fileno(err), STDERR_FILENO);
    if (options.path_env) setenv("PATH", options.path_env->c_str(), 1);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(binary.c_str()));
    for (const std::string& a : options.args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(binary.c_str(), argv.data());
    _exit(127);
  }
  if (options.output_to_closed_pipe) close(closed_pipe[1]);
  RunResult result;
  int status = 0;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(options.timeout_seconds);
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      ADD_FAILURE() << binary << " did not finish within " << options.timeout_seconds << " s";
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
  result.out = slurp(out);
  result.err = slurp(err);
  std::fclose(in);
  std::fclose(out);
  std::fclose(err);
  return result;
}

}  // namespace testing_support
