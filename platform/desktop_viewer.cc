// DesktopViewer: a double fork, so the viewer is adopted by init and never
// becomes our zombie, while the spawn result still reaches us.
#include "platform/desktop_viewer.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

extern char** environ;

namespace platform {
namespace {

constexpr int kSpawnFailed = 127;

[[noreturn]] void spawn_detached(const std::string& path) {
  setsid();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
    posix_spawn_file_actions_addopen(&actions, fd, "/dev/null",
                                     fd == STDIN_FILENO ? O_RDONLY : O_WRONLY, 0);
  char program[] = "xdg-open";
  std::string arg = path;
  char* argv[] = {program, arg.data(), nullptr};
  pid_t viewer;
  const int rc = posix_spawnp(&viewer, program, &actions, nullptr, argv, environ);
  _exit(rc == 0 ? 0 : kSpawnFailed);
}

}  // namespace

bool DesktopViewer::open(const std::string& path) {
  std::fflush(nullptr);  // the child must not inherit unwritten output
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) spawn_detached(path);
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace platform
