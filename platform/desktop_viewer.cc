// DesktopViewer: a double fork, so the viewer is adopted by init and never
// becomes our zombie, while its first verdict still reaches us through the
// go-between's exit status.
#include "platform/desktop_viewer.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

extern char** environ;

namespace platform {
namespace {

constexpr int kAllShown = 0;
constexpr int kNotShown = 1;

// How long xdg-open is given to say it could not open a file. It takes
// about half a second to give up on a machine without a desktop (exit
// status 3); on a desktop it hands the file over and exits 0 at once; one
// that runs the viewer itself is still running when the time is up.
constexpr long kWatchMillis = 2000;
constexpr long kPollMillis = 10;

// The go-between: starts xdg-open on each path, waits for those that exit
// within the time, and exits kAllShown unless one could not be started or
// failed. Those still running are left to init.
[[noreturn]] void start_and_watch(const std::vector<std::string>& paths) {
  setsid();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
    posix_spawn_file_actions_addopen(&actions, fd, "/dev/null",
                                     fd == STDIN_FILENO ? O_RDONLY : O_WRONLY, 0);
  // We write to closed pipes as errors; the viewers get the usual signal.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  char program[] = "xdg-open";
  std::size_t running = 0;
  for (const std::string& path : paths) {
    std::string arg = path;
    char* argv[] = {program, arg.data(), nullptr};
    pid_t viewer;
    if (posix_spawnp(&viewer, program, &actions, &attributes, argv, environ) != 0) _exit(kNotShown);
    ++running;
  }
  const timespec poll = {0, kPollMillis * 1000000};
  for (long waited = 0; running > 0 && waited < kWatchMillis; waited += kPollMillis) {
    int status = 0;
    const pid_t done = waitpid(-1, &status, WNOHANG);
    if (done < 0) break;
    if (done == 0) {
      nanosleep(&poll, nullptr);
      continue;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) _exit(kNotShown);
    --running;
  }
  _exit(kAllShown);
}

}  // namespace

bool DesktopViewer::open(const std::string& path) { return open_all({path}); }

bool DesktopViewer::open_all(const std::vector<std::string>& paths) {
  std::fflush(nullptr);  // the child must not inherit unwritten output
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) start_and_watch(paths);
  int status = 0;
  while (waitpid(child, &status, 0) < 0)
    if (errno != EINTR) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == kAllShown;
}

}  // namespace platform
