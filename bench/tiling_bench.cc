// Times the tiling of generated token strings: the plain scan (once)
// against the fast engine (best of five), each case in a child process of
// its own so that its peak memory can be read. Usage: tiling_bench [--quick]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "bench/c_source_generator.h"
#include "compare/reference_scan.h"
#include "compare/tiling.h"

namespace {

struct Outcome {
  double seconds;
  long tiles;
  long peak_kib;
};

// Runs `work` `repeats` times in a child; the child reports its best time
// and the tile count through a pipe.
template <typename Work>
Outcome measure(Work work, int repeats) {
  int fds[2];
  if (pipe(fds) != 0) return {-1, 0, 0};
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    long tiles = 0;
    double s = 1e300;
    for (int k = 0; k < repeats; ++k) {
      const auto start = std::chrono::steady_clock::now();
      tiles = work();
      s = std::min(s,
                   std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    char line[64];
    const int n = std::snprintf(line, sizeof line, "%.6f %ld", s, tiles);
    if (write(fds[1], line, static_cast<std::size_t>(n)) != n) _exit(1);
    _exit(0);
  }
  close(fds[1]);
  char line[64] = {};
  const ssize_t got = read(fds[0], line, sizeof line - 1);
  close(fds[0]);
  int status = 0;
  struct rusage usage;
  wait4(pid, &status, 0, &usage);
  Outcome out{-1, 0, usage.ru_maxrss};
  if (got > 0) std::sscanf(line, "%lf %ld", &out.seconds, &out.tiles);
  return out;
}

std::string format_time(double s) {
  char buf[32];
  if (s < 0) return "-";
  if (s < 1)
    std::snprintf(buf, sizeof buf, "%.2f ms", s * 1000);
  else
    std::snprintf(buf, sizeof buf, "%.2f s", s);
  return buf;
}

void row(const char* size, const char* kind, const std::string& a, const std::string& b,
         bool with_reference) {
  const Outcome fast =
      measure([&] { return static_cast<long>(compare::tiling(a, b, 3).size()); }, 5);
  Outcome ref{-1, 0, 0};
  if (with_reference)
    ref = measure([&] { return static_cast<long>(compare::reference_tiling(a, b, 3).size()); }, 1);
  std::string ratio = "-";
  if (ref.seconds > 0 && fast.seconds > 0)
    ratio = std::to_string(static_cast<long>(ref.seconds / fast.seconds)) + "x";
  std::printf("| %-9s | %-10s | %12s | %10s | %8s | %7ld | %8.1f MiB |%s\n", size, kind,
              format_time(ref.seconds).c_str(), format_time(fast.seconds).c_str(), ratio.c_str(),
              fast.tiles, static_cast<double>(fast.peak_kib) / 1024.0,
              with_reference && ref.tiles != fast.tiles ? " TILE COUNTS DIFFER" : "");
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  std::printf(
      "| size each | pair       | plain scan   | fast       | ratio    | tiles   | fast peak RSS "
      "|\n");
  std::printf(
      "|-----------|------------|--------------|------------|----------|---------|---------------|"
      "\n");
  const std::size_t sizes[] = {10000, 100000, 1000000};
  const char* names[] = {"10,000", "100,000", "1,000,000"};
  for (int k = 0; k < (quick ? 2 : 3); ++k) {
    const std::size_t n = sizes[k];
    const std::string a = bench::token_string_of_length(1, n);
    row(names[k], "unrelated", a, bench::token_string_of_length(2, n), k == 0);
    row(names[k], "copied", a, bench::disguised_token_string_of_length(1, n), k == 0);
  }
  return 0;
}
