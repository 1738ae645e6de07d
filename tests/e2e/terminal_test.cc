// ccsim on a pseudo-terminal: the screen is cleared and coloured, the
// one-key wait takes a single key without echo, and the colours are reset.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "tests/support/gbk.h"
#include "tests/support/temp_dir.h"

namespace {

using std::string;
using testing_support::gbk;

class PtyRun {
 public:
  explicit PtyRun(const string& dir) {
    pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
    if (pid_ == 0) {
      if (chdir(dir.c_str()) != 0) _exit(126);
      execl(CCSIM_BINARY, CCSIM_BINARY, static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~PtyRun() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) close(master_);
  }
  bool started() const { return pid_ > 0; }
  // Reads the screen until `want` has appeared (or 10 s pass).
  bool wait_for(const string& want) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (screen.find(want) == string::npos) {
      if (std::chrono::steady_clock::now() > deadline || !read_some(100)) {
        if (std::chrono::steady_clock::now() > deadline) return false;
      }
    }
    return true;
  }
  void type(const string& keys) {
    ASSERT_EQ(static_cast<ssize_t>(keys.size()), write(master_, keys.data(), keys.size()));
  }
  bool still_running() { return waitpid(pid_, &status_, WNOHANG) == 0; }
  // Reads to the end and returns the exit status.
  int finish() {
    while (read_some(100)) {
    }
    if (!exited_) {
      for (int i = 0; i < 500 && still_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      exited_ = true;
    }
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
  }
  string screen;

 private:
  bool read_some(int timeout_ms) {
    pollfd p{master_, POLLIN, 0};
    if (poll(&p, 1, timeout_ms) <= 0) return false;
    char buf[4096];
    const ssize_t n = read(master_, buf, sizeof buf);
    if (n <= 0) return false;
    screen.append(buf, static_cast<std::size_t>(n));
    return true;
  }
  pid_t pid_ = -1;
  int master_ = -1;
  int status_ = 0;
  bool exited_ = false;
};

TEST(Terminal, ClearsColoursWaitsForOneKeyAndResets) {
  testing_support::ScopedTempDir dir;
  testing_support::write_bytes("file1.c", "int a;");
  testing_support::write_bytes("file2.c", "int b;");
  PtyRun run(dir.path());
  ASSERT_TRUE(run.started());
  ASSERT_TRUE(run.wait_for(gbk("按下回车\r\n")));
  // Cleared, then aqua on bright white, before the instruction.
  EXPECT_EQ(0u, run.screen.find("\x1b[H\x1b[2J\x1b[3J\x1b[36;107m\x1b[2J\x1b[H"));
  run.type("\n");
  ASSERT_TRUE(run.wait_for(gbk("token串已生成成功")));
  // Take the first token file away, so the comparison has to wait for a key.
  std::remove("token1.txt");
  run.type("\n");
  ASSERT_TRUE(run.wait_for(gbk("文件打开失败！")));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(run.still_running()) << "did not wait for a key";
  const std::size_t before_key = run.screen.size();
  run.type("x");
  EXPECT_EQ(1, run.finish());
  const string after = run.screen.substr(before_key);
  EXPECT_EQ(string::npos, after.find('x')) << "the key was echoed";
  EXPECT_NE(string::npos, after.find("\x1b[0m")) << "colours not reset";
}

}  // namespace
