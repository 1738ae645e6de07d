// Suffix automaton of the free stretches of a string, and matching lengths
// of another string against it.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace compare {

/// Recognises every substring of `text` that contains no position p with
/// free[p] == 0. Linear in the text: at most 2n states and 3n transitions.
/// Reusable: build() discards what an earlier build() made.
class SuffixAutomaton {
 public:
  void build(std::string_view text, const std::uint8_t* free);

  /// For each position e of `text`: the length of the longest substring that
  /// ends at e, lies within a free stretch of `text`, and is recognised.
  void match_ends(std::string_view text, const std::uint8_t* free,
                  std::vector<std::uint32_t>* out) const;

 private:
  struct State {
    std::uint32_t len;
    std::int32_t link;
    std::int32_t first_edge;  // -1: none (the root uses root_next_)
  };
  struct Edge {
    std::int32_t target;
    std::int32_t next;
    unsigned char symbol;
  };

  std::int32_t next(std::int32_t state, unsigned char c) const;
  void set_next(std::int32_t state, unsigned char c, std::int32_t target);
  std::int32_t add_state(std::uint32_t len, std::int32_t link);
  std::int32_t clone(std::int32_t q, std::uint32_t len);
  std::int32_t extend(std::int32_t last, unsigned char c);

  // After build(), the transitions of each state lie together for fast
  // look-ups: those of state s at [first_[s], first_[s + 1]).
  void freeze();
  std::int32_t frozen_next(std::int32_t state, unsigned char c) const {
    if (state == 0) return root_next_[c];
    const Frozen& f = frozen_[static_cast<std::size_t>(state)];
    for (std::uint32_t e = f.begin; e < f.end; ++e)
      if (symbol_[e] == c) return target_[e];
    return -1;
  }

  std::vector<State> states_;
  std::vector<Edge> edges_;
  std::int32_t root_next_[256];
  struct Frozen {
    std::uint32_t len;
    std::int32_t link;
    std::uint32_t begin;
    std::uint32_t end;
  };
  std::vector<Frozen> frozen_;
  std::vector<unsigned char> symbol_;
  std::vector<std::int32_t> target_;
};

}  // namespace compare
