#include "compare/suffix_automaton.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// The longest substring ending at e of `t` (within free positions) that
// occurs in a free stretch of `s`, by brute force.
std::vector<std::uint32_t> brute_force(const std::string& s, const std::vector<std::uint8_t>& fs,
                                       const std::string& t, const std::vector<std::uint8_t>& ft) {
  std::vector<std::uint32_t> out(t.size(), 0);
  for (std::size_t e = 0; e < t.size(); ++e) {
    for (std::size_t len = 1; len <= e + 1; ++len) {
      const std::size_t start = e + 1 - len;
      if (!ft[start]) break;
      bool found = false;
      for (std::size_t p = 0; p + len <= s.size() && !found; ++p) {
        bool ok = true;
        for (std::size_t k = 0; k < len && ok; ++k) ok = fs[p + k] && s[p + k] == t[start + k];
        found = ok;
      }
      if (!found) break;
      out[e] = static_cast<std::uint32_t>(len);
    }
  }
  return out;
}

TEST(SuffixAutomaton, MatchLengthsAgreeWithBruteForceAcrossStretches) {
  std::mt19937 rng(7);
  compare::SuffixAutomaton automaton;
  std::vector<std::uint32_t> got;
  for (int round = 0; round < 400; ++round) {
    std::string s(rng() % 30, 'a'), t(rng() % 30, 'a');
    for (char& c : s) c = static_cast<char>('a' + rng() % 3);
    for (char& c : t) c = static_cast<char>('a' + rng() % 3);
    std::vector<std::uint8_t> fs(s.size()), ft(t.size());
    for (auto& f : fs) f = rng() % 5 != 0;
    for (auto& f : ft) f = rng() % 5 != 0;
    automaton.build(s, fs.data());
    automaton.match_ends(t, ft.data(), &got);
    ASSERT_EQ(brute_force(s, fs, t, ft), got) << s << " / " << t;
  }
}

}  // namespace
