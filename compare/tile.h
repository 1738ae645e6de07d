// Tile: one run collapsed by a tiling pass.
#pragma once

#include <cstddef>
#include <ostream>

namespace compare {

/// The run of `length` characters collapsed by one pass, at 1-based
/// positions `a` and `b` of the two strings as they stood at that pass.
struct Tile {
  std::size_t a;
  std::size_t b;
  std::size_t length;
  bool operator==(const Tile& o) const { return a == o.a && b == o.b && length == o.length; }
};

/// A collapsed run at 0-based positions of the strings as given.
struct Match {
  std::size_t a;
  std::size_t b;
  std::size_t length;
  bool operator==(const Match& o) const { return a == o.a && b == o.b && length == o.length; }
};

inline std::ostream& operator<<(std::ostream& out, const Tile& t) {
  return out << "{" << t.a << "," << t.b << "," << t.length << "}";
}

/// True for a byte that can be part of a run: a space marks a collapsed
/// run, and a NUL byte never matches.
inline bool can_match(char ch) { return ch != ' ' && ch != '\0'; }

}  // namespace compare
