// The plain scan.
//
//   repeat
//     for i in 1..La, for j in 1..Lb:
//       k := length of the common run from A[i], B[j] (no space, no NUL)
//       keep (i, j, k) if k beats the best so far (strictly)
//     if the best is longer than min_match: collapse it in A and B
//   until a pass collapses nothing
#include "compare/reference_scan.h"

#include <algorithm>

namespace compare {

bool longest_run(const SString& A, std::ptrdiff_t La, const SString& B, std::ptrdiff_t Lb,
                 int min_match, Tile* found) {
  std::ptrdiff_t maxmatch = min_match;
  for (std::ptrdiff_t i = 1; i <= La; ++i) {
    for (std::ptrdiff_t j = 1; j <= Lb; ++j) {
      std::ptrdiff_t k = 0;
      while (i + k <= La && j + k <= Lb && A.ch[i + k] == B.ch[j + k] && can_match(A.ch[i + k]))
        ++k;
      if (k > maxmatch) {
        maxmatch = k;
        *found = Tile{static_cast<std::size_t>(i), static_cast<std::size_t>(j),
                      static_cast<std::size_t>(k)};
      }
    }
  }
  return maxmatch > min_match;
}

std::vector<Tile> reference_tiling(std::string_view a, std::string_view b, int min_match) {
  min_match = std::max(min_match, 0);  // a run of length 0 is no run
  SString A = make_sstring(a);
  SString B = make_sstring(b);
  auto La = static_cast<std::ptrdiff_t>(a.size());
  auto Lb = static_cast<std::ptrdiff_t>(b.size());
  std::vector<Tile> tiles;
  Tile run{};
  while (longest_run(A, La, B, Lb, min_match, &run)) {
    const auto len = static_cast<std::ptrdiff_t>(run.length);
    replace(A, static_cast<std::ptrdiff_t>(run.a), len, La);
    replace(B, static_cast<std::ptrdiff_t>(run.b), len, Lb);
    La = La - len + 1;
    Lb = Lb - len + 1;
    tiles.push_back(run);
  }
  return tiles;
}

}  // namespace compare
