// libFuzzer target: the fast engines must give exactly the plain scan's
// passes on any two strings. Input: one byte of minimum match length (the
// byte mod 10) and of a mask (the byte / 10 mod 5: 0 none, else every
// position p with (p * 7 + mask) mod (mask + 3) == 0 may not match), one
// byte saying where A ends, then the bytes of A and B.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "compare/greedy_tiler.h"
#include "compare/match_tiler.h"
#include "compare/reference_scan.h"
#include "compare/tiling.h"

namespace {

void fail(const char* what) {
  std::fprintf(stderr, "%s differs from the plain scan\n", what);
  std::abort();
}

std::vector<std::uint8_t> mask_for(std::size_t size, unsigned mask) {
  std::vector<std::uint8_t> allowed(size, 1);
  for (std::size_t p = 0; p < size; ++p) allowed[p] = (p * 7 + mask) % (mask + 3) != 0;
  return allowed;
}

// The plain scan sees a position that may not match as a space.
std::string blanked(std::string_view s, const std::vector<std::uint8_t>& allowed) {
  std::string out(s);
  for (std::size_t p = 0; p < out.size(); ++p)
    if (!allowed[p]) out[p] = ' ';
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const int min_match = data[0] % 10;
  const unsigned mask = data[0] / 10 % 5;
  const std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
  const std::size_t split = rest.empty() ? 0 : data[1] * rest.size() / 256;
  const std::string_view a = rest.substr(0, split);
  const std::string_view b = rest.substr(split);

  if (mask == 0) {
    const std::vector<compare::Tile> expected = compare::reference_tiling(a, b, min_match);
    if (compare::tiling(a, b, min_match) != expected) fail("fast tiling");
    // Through the strings' grams, as ccsim-batch does.
    if (min_match > 0 && compare::tiling_from_grams(a, b, min_match) != expected)
      fail("fast tiling from grams");
    return 0;
  }

  // Positions that may not match, as template code is in ccsim-batch: the
  // sweep and the gram route, the latter without a budget to give up on.
  const std::vector<std::uint8_t> allowed_a = mask_for(a.size(), mask);
  const std::vector<std::uint8_t> allowed_b = mask_for(b.size(), mask + 1);
  const std::vector<compare::Tile> expected =
      compare::reference_tiling(blanked(a, allowed_a), blanked(b, allowed_b), min_match);
  compare::GreedyTiler greedy;
  if (compare::to_pass_positions(greedy.run(a, b, min_match, allowed_a.data(), allowed_b.data()),
                                 a.size(), b.size()) != expected)
    fail("fast tiling with masks");
  if (min_match > 0) {
    compare::TileSource sa;
    compare::TileSource sb;
    sa.prepare(a, allowed_a.data());
    sb.prepare(b, allowed_b.data());
    sa.prepare_grams(min_match);
    sb.prepare_grams(min_match);
    std::vector<compare::Match> runs;
    compare::MatchTiler tiler;
    if (!tiler.run(sa, sb, min_match, &runs, std::size_t{1} << 40) ||
        compare::to_pass_positions(runs, a.size(), b.size()) != expected)
      fail("tiling from grams with masks");
  }
  return 0;
}
