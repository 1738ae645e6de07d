// SuffixAutomaton: the online construction, extended so that several
// stretches share one automaton (each stretch starts again from the root).
// The root's transitions are a table; every other state keeps a short list.
#include "compare/suffix_automaton.h"

#include <algorithm>

namespace compare {

std::int32_t SuffixAutomaton::next(std::int32_t state, unsigned char c) const {
  if (state == 0) return root_next_[c];
  for (std::int32_t e = states_[state].first_edge; e >= 0; e = edges_[e].next)
    if (edges_[e].symbol == c) return edges_[e].target;
  return -1;
}

void SuffixAutomaton::set_next(std::int32_t state, unsigned char c, std::int32_t target) {
  if (state == 0) {
    root_next_[c] = target;
    return;
  }
  for (std::int32_t e = states_[state].first_edge; e >= 0; e = edges_[e].next) {
    if (edges_[e].symbol == c) {
      edges_[e].target = target;
      return;
    }
  }
  edges_.push_back(Edge{target, states_[state].first_edge, c});
  states_[state].first_edge = static_cast<std::int32_t>(edges_.size() - 1);
}

std::int32_t SuffixAutomaton::add_state(std::uint32_t len, std::int32_t link) {
  states_.push_back(State{len, link, -1});
  return static_cast<std::int32_t>(states_.size() - 1);
}

std::int32_t SuffixAutomaton::clone(std::int32_t q, std::uint32_t len) {
  const std::int32_t copy = add_state(len, states_[q].link);
  for (std::int32_t e = states_[q].first_edge; e >= 0; e = edges_[e].next) {
    edges_.push_back(Edge{edges_[e].target, states_[copy].first_edge, edges_[e].symbol});
    states_[copy].first_edge = static_cast<std::int32_t>(edges_.size() - 1);
  }
  return copy;
}

// Appends c to the string that `last` stands for; returns the state of the
// longer string.
std::int32_t SuffixAutomaton::extend(std::int32_t last, unsigned char c) {
  std::int32_t q = next(last, c);
  if (q >= 0) {  // already present, from an earlier stretch
    if (states_[q].len == states_[last].len + 1) return q;
    const std::int32_t copy = clone(q, states_[last].len + 1);
    for (std::int32_t p = last; p >= 0 && next(p, c) == q; p = states_[p].link)
      set_next(p, c, copy);
    states_[q].link = copy;
    return copy;
  }
  const std::int32_t cur = add_state(states_[last].len + 1, 0);
  std::int32_t p = last;
  for (; p >= 0 && next(p, c) < 0; p = states_[p].link) set_next(p, c, cur);
  if (p < 0) return cur;
  q = next(p, c);
  if (states_[p].len + 1 == states_[q].len) {
    states_[cur].link = q;
    return cur;
  }
  const std::int32_t copy = clone(q, states_[p].len + 1);
  for (; p >= 0 && next(p, c) == q; p = states_[p].link) set_next(p, c, copy);
  states_[q].link = copy;
  states_[cur].link = copy;
  return cur;
}

void SuffixAutomaton::build(std::string_view text, const std::uint8_t* free) {
  states_.clear();
  edges_.clear();
  states_.reserve(2 * text.size() + 2);
  edges_.reserve(3 * text.size() + 4);
  std::fill(std::begin(root_next_), std::end(root_next_), -1);
  add_state(0, -1);
  std::int32_t last = 0;
  for (std::size_t p = 0; p < text.size(); ++p)
    last = free[p] ? extend(last, static_cast<unsigned char>(text[p])) : 0;
  freeze();
}

void SuffixAutomaton::freeze() {
  frozen_.resize(states_.size());
  symbol_.clear();
  target_.clear();
  for (std::size_t s = 0; s < states_.size(); ++s) {
    Frozen& f = frozen_[s];
    f.len = states_[s].len;
    f.link = states_[s].link;
    f.begin = static_cast<std::uint32_t>(symbol_.size());
    for (std::int32_t e = states_[s].first_edge; s > 0 && e >= 0; e = edges_[e].next) {
      symbol_.push_back(edges_[e].symbol);
      target_.push_back(edges_[e].target);
    }
    f.end = static_cast<std::uint32_t>(symbol_.size());
  }
  // Only the frozen form is read from now on.
  std::vector<State>().swap(states_);
  std::vector<Edge>().swap(edges_);
}

void SuffixAutomaton::match_ends(std::string_view text, const std::uint8_t* free,
                                 std::vector<std::uint32_t>* out) const {
  out->assign(text.size(), 0);
  std::int32_t v = 0;
  std::uint32_t len = 0;
  for (std::size_t e = 0; e < text.size(); ++e) {
    if (!free[e]) {
      v = 0;
      len = 0;
      continue;
    }
    const auto c = static_cast<unsigned char>(text[e]);
    std::int32_t t;
    while ((t = frozen_next(v, c)) < 0 && v != 0) {
      v = frozen_[static_cast<std::size_t>(v)].link;
      len = frozen_[static_cast<std::size_t>(v)].len;
    }
    if (t >= 0) {
      v = t;
      ++len;
    } else {
      len = 0;
    }
    (*out)[e] = len;
  }
}

}  // namespace compare
