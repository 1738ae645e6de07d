// libFuzzer target: the fast engine must give exactly the plain scan's
// passes on any two strings. Input: one byte of minimum match length, one
// byte saying where A ends, then the bytes of A and B.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "compare/reference_scan.h"
#include "compare/tiling.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const int min_match = data[0] % 10;
  const std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
  const std::size_t split = rest.empty() ? 0 : data[1] * rest.size() / 256;
  const std::string_view a = rest.substr(0, split);
  const std::string_view b = rest.substr(split);
  const std::vector<compare::Tile> expected = compare::reference_tiling(a, b, min_match);
  if (compare::tiling(a, b, min_match) != expected) {
    std::fprintf(stderr, "fast tiling differs from the plain scan\n");
    std::abort();
  }
  // Through the strings' grams, as ccsim-batch does.
  if (min_match > 0) {
    if (compare::tiling_from_grams(a, b, min_match) != expected) {
      std::fprintf(stderr, "fast tiling from grams differs from the plain scan\n");
      std::abort();
    }
  }
  return 0;
}
