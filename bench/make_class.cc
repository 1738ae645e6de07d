// Writes a made-up class of C submissions for timing ccsim-batch:
// make_class DIR COUNT. Sizes run from 100 to 300 lines; every tenth
// submission is a disguised copy of the one before it.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/c_source_generator.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_class DIR COUNT\n");
    return 2;
  }
  const std::string dir = argv[1];
  const int count = std::atoi(argv[2]);
  std::string previous;
  for (int k = 0; k < count; ++k) {
    const int lines = 100 + (k * 37) % 201;
    std::string source =
        (k % 10 == 9) ? bench::disguise_c_program(previous, static_cast<std::uint32_t>(k))
                      : bench::generate_c_program(static_cast<std::uint32_t>(1000 + k), lines);
    char name[32];
    std::snprintf(name, sizeof name, "/s%03d.c", k);
    std::ofstream(dir + name, std::ios::binary) << source;
    previous = source;
  }
  return 0;
}
