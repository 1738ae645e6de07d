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
#include <cstdlib>
#include <string>
#include <thread>

#include "tests/support/encodings.h"
#include "tests/support/temp_dir.h"

namespace {

using std::string;
using testing_support::gbk;

// The environment of a run: locale and terminal type, each unset when empty.
struct Env {
  string lc_ctype;
  string lang;
  string locpath;
  string term = "xterm";
};

void set_or_unset(const char* name, const string& value) {
  if (value.empty())
    unsetenv(name);
  else
    setenv(name, value.c_str(), 1);
}

class PtyRun {
 public:
  explicit PtyRun(const string& dir, const Env& env = Env{"", "", "", "xterm"}) {
    pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
    if (pid_ == 0) {
      if (chdir(dir.c_str()) != 0) _exit(126);
      unsetenv("LC_ALL");
      set_or_unset("LC_CTYPE", env.lc_ctype);
      set_or_unset("LANG", env.lang);
      set_or_unset("LOCPATH", env.locpath);
      set_or_unset("TERM", env.term);
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

// A locale made for the test with localedef (in `dir`, for LOCPATH), or
// empty if this machine cannot make it.
string make_locale(const string& dir, const string& source, const string& charmap,
                   const string& name) {
  const string command = "localedef -i " + source + " -f " + charmap + " " + dir + "/" + name +
                         " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0 ? name : "";
}

TEST(Terminal, ClearsColoursWaitsForOneKeyAndResets) {
  testing_support::ScopedTempDir dir;
  testing_support::write_bytes("file1.c", "int a;");
  testing_support::write_bytes("file2.c", "int b;");
  // A GBK terminal gets the program's own bytes.
  const string gbk_locale = make_locale(dir.path(), "zh_CN", "GBK", "zh_CN.GBK");
  if (gbk_locale.empty()) GTEST_SKIP() << "localedef cannot make zh_CN.GBK here";
  PtyRun run(dir.path(), Env{gbk_locale, "", dir.path(), "xterm"});
  ASSERT_TRUE(run.started());
  ASSERT_TRUE(run.wait_for(gbk("按下回车\r\n")));
  // Cleared, then aqua on bright white, before the instruction.
  EXPECT_EQ(0u, run.screen.find("\x1b[H\x1b[2J\x1b[36;107m\x1b[2J\x1b[H"));
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

TEST(Terminal, AUtf8TerminalReadsTheDialogueInUtf8WithNumbersAsEver) {
  testing_support::ScopedTempDir dir;
  testing_support::write_bytes("file1.c", "int main() { int a = 1; return a; }");
  testing_support::write_bytes("file2.c", "int main() { int b = 1; return b; }");
  // LANG names a comma-decimal locale: only its character set may count.
  const string german = make_locale(dir.path(), "de_DE", "UTF-8", "de_DE.UTF-8");
  PtyRun run(dir.path(), Env{"", german.empty() ? "C.UTF-8" : german, dir.path(), "xterm"});
  ASSERT_TRUE(run.started());
  ASSERT_TRUE(run.wait_for("按下回车\r\n"));  // UTF-8, as this file is written
  EXPECT_EQ(string::npos, run.screen.find(gbk("按下回车")));
  run.type("\n\nn\nn\n");
  EXPECT_EQ(0, run.finish());
  EXPECT_NE(string::npos, run.screen.find("这两串代码的相似度为1.000000")) << run.screen;
  EXPECT_NE(string::npos, run.screen.find("这两个代码有抄袭嫌疑")) << run.screen;
  EXPECT_EQ(0u, run.screen.find("\x1b[H\x1b[2J\x1b[36;107m"));
  EXPECT_EQ(run.screen.size() - 4, run.screen.rfind("\x1b[0m")) << "colours not reset last";
}

TEST(Terminal, NoEscapeCodesWhereTheTerminalTakesNone) {
  for (const char* term : {"dumb", ""}) {
    testing_support::ScopedTempDir dir;
    testing_support::write_bytes("file1.c", "int a;");
    testing_support::write_bytes("file2.c", "int b;");
    PtyRun run(dir.path(), Env{"", "C.UTF-8", "", term});
    ASSERT_TRUE(run.started());
    ASSERT_TRUE(run.wait_for("按下回车"));
    run.type("\n\nn\nn\n");
    EXPECT_EQ(0, run.finish());
    EXPECT_EQ(string::npos, run.screen.find('\x1b')) << term;
  }
}

}  // namespace
