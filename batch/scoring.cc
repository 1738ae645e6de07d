// Template and common-code removal, pair scoring and ranking.
#include "batch/scoring.h"

#include <algorithm>
#include <cmath>

#include "batch/fnv.h"
#include "batch/parallel.h"
#include "compare/verdict.h"

namespace batch {
namespace {

// True when the pair is to be tiled second against first: the order is
// the contents', never the names' or the arguments'.
bool tiled_swapped(const Prepared& first, const Prepared& second) {
  if (first.content != second.content) return first.content > second.content;
  return first.text > second.text;
}

}  // namespace

std::vector<Prepared> prepare_all(const std::vector<Submission>& subs, const Preparation& how,
                                  unsigned jobs) {
  std::vector<Prepared> prepared(subs.size());
  compare::TileSource base_source;
  base_source.prepare(how.base);
  parallel_for(subs.size(), jobs, [&](std::size_t k) {
    Prepared& p = prepared[k];
    const std::string& tokens = subs[k].tokens;
    p.text = tokens;
    p.content = fnv1a(tokens);
    p.allowed.assign(tokens.size(), 1);
    if (!how.base.empty()) {
      thread_local compare::GreedyTiler tiler;
      compare::TileSource own;
      own.prepare(tokens);
      p.template_tiles = tiler.run(own, base_source, how.min_match);
      for (const compare::Match& m : p.template_tiles)
        std::fill_n(p.allowed.begin() + static_cast<std::ptrdiff_t>(m.a), m.length, 0);
    }
  });
  std::vector<MaskedText> texts;
  for (std::size_t k = 0; k < subs.size(); ++k)
    texts.push_back(MaskedText{subs[k].tokens, prepared[k].allowed.data()});
  std::vector<std::vector<Span>> common = find_common(texts, how.common, jobs);
  parallel_for(subs.size(), jobs, [&](std::size_t k) {
    Prepared& p = prepared[k];
    p.common = std::move(common[k]);
    for (const Span& s : p.common) std::fill_n(p.allowed.begin() + s.start, s.length, 0);
    p.length = static_cast<std::size_t>(std::count(p.allowed.begin(), p.allowed.end(), 1));
    const std::size_t code_end = std::min(subs[k].code_end, p.allowed.size());
    p.code_length = static_cast<std::size_t>(
        std::count(p.allowed.begin(), p.allowed.begin() + static_cast<std::ptrdiff_t>(code_end), 1));
  });
  if (how.names) {
    std::vector<NameVector> names = name_vectors(subs, how.given, jobs);
    for (std::size_t k = 0; k < subs.size(); ++k) prepared[k].names = std::move(names[k]);
  }
  if (how.sources)
    prepare_sources(&prepared, std::vector<std::uint8_t>(subs.size(), 1), how.min_match, jobs);
  return prepared;
}

void prepare_sources(std::vector<Prepared>* prepared, const std::vector<std::uint8_t>& needed,
                     int min_match, unsigned jobs) {
  parallel_for(prepared->size(), jobs, [&](std::size_t k) {
    Prepared& p = (*prepared)[k];
    if (!needed[k] || p.ready) return;
    p.source.prepare(p.text, p.allowed.data());
    p.source.prepare_grams(min_match);
    p.ready = true;
  });
}

std::vector<compare::Match> tiles_of(const std::vector<Prepared>& prepared, std::uint32_t first,
                                     std::uint32_t second, int min_match) {
  thread_local compare::GreedyTiler tiler;
  const Prepared& x = prepared[first];
  const Prepared& y = prepared[second];
  if (!tiled_swapped(x, y)) return tiler.run(x.source, y.source, min_match);
  std::vector<compare::Match> tiles = tiler.run(y.source, x.source, min_match);
  for (compare::Match& m : tiles) std::swap(m.a, m.b);
  return tiles;
}

PairScore score_pair(const std::vector<Prepared>& prepared, std::uint32_t i, std::uint32_t j,
                     int min_match, const ScoreRule& rule) {
  thread_local compare::GreedyTiler tiler;
  PairScore s;
  s.first = i;
  s.second = j;
  const bool swapped = tiled_swapped(prepared[i], prepared[j]);
  const Prepared& a = prepared[swapped ? j : i];
  const Prepared& b = prepared[swapped ? i : j];
  for (const compare::Match& m : tiler.run(a.source, b.source, min_match)) {
    s.matched += m.length;
    s.longest = std::max(s.longest, static_cast<std::uint32_t>(m.length));
    ++s.tiles;
  }
  const std::size_t shorter = std::min(a.length, b.length);
  const auto matched = static_cast<double>(s.matched);
  s.coverage = shorter == 0 ? 0.0 : matched / static_cast<double>(shorter);
  s.names = name_agreement(a.names, b.names);
  s.score = score_of(s.matched, a.length, b.length, std::max(a.code_length, b.code_length),
                     s.names, rule);
  s.similarity = a.length + b.length == 0 ? 0.0f
                                          : compare::similarity(static_cast<long long>(s.matched),
                                                                static_cast<long long>(a.length),
                                                                static_cast<long long>(b.length));
  return s;
}

double code_of(std::uint64_t matched, std::size_t length_a, std::size_t length_b,
               const ScoreRule& rule) {
  const double mean = std::sqrt(static_cast<double>(length_a) * static_cast<double>(length_b));
  const double guarded = std::max(mean, static_cast<double>(rule.guard));
  return guarded == 0 ? 0.0 : std::min(1.0, static_cast<double>(matched) / guarded);
}

double with_names(double code, double names) {
  return code + std::clamp(names, 0.0, 1.0) * code * (1 - code);
}

ScoreRule rule_for(bool as_ccsim) {
  ScoreRule rule;
  if (as_ccsim) rule.padding = 0;
  return rule;
}

double contained_of(std::uint64_t matched, std::size_t length_a, std::size_t length_b,
                    std::size_t most_code, const ScoreRule& rule) {
  if (rule.padding <= 0) return 0;
  const auto shorter = static_cast<double>(std::min(length_a, length_b));
  const auto code = static_cast<double>(std::min(most_code, std::max(length_a, length_b)));
  const double base = std::max({shorter, code / rule.padding, static_cast<double>(rule.guard)});
  return std::max(0.0, std::min(1.0, static_cast<double>(matched) / base) - rule.margin);
}

double score_of(std::uint64_t matched, std::size_t length_a, std::size_t length_b,
                std::size_t most_code, double names, const ScoreRule& rule) {
  return std::max(with_names(code_of(matched, length_a, length_b, rule), names),
                  contained_of(matched, length_a, length_b, most_code, rule));
}

bool ranks_before(const PairScore& x, const std::string& x_first, const std::string& x_second,
                  const PairScore& y, const std::string& y_first, const std::string& y_second) {
  if (x.score != y.score) return x.score > y.score;
  if (x.similarity != y.similarity) return x.similarity > y.similarity;
  if (x_first != y_first) return x_first < y_first;
  return x_second < y_second;
}

void rank(std::vector<PairScore>* scores, const std::vector<Submission>& subs) {
  std::sort(scores->begin(), scores->end(), [&](const PairScore& x, const PairScore& y) {
    return ranks_before(x, subs[x.first].name, subs[x.second].name, y, subs[y.first].name,
                        subs[y.second].name);
  });
}

}  // namespace batch
