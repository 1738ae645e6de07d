// Template removal, pair scoring and ranking.
#include "batch/scoring.h"

#include <algorithm>
#include <thread>

#include "compare/verdict.h"

namespace batch {

void parallel_for(std::size_t count, unsigned jobs, const std::function<void(std::size_t)>& work) {
  std::atomic<std::size_t> next{0};
  constexpr std::size_t kChunk = 32;
  auto worker = [&] {
    for (std::size_t begin; (begin = next.fetch_add(kChunk)) < count;)
      for (std::size_t k = begin; k < std::min(count, begin + kChunk); ++k) work(k);
  };
  std::vector<std::thread> threads;
  for (unsigned t = 1; t < std::max(jobs, 1u); ++t) threads.emplace_back(worker);
  worker();
  for (std::thread& t : threads) t.join();
}

std::vector<Prepared> prepare_all(const std::vector<Submission>& subs, const std::string& base,
                                  int min_match, unsigned jobs) {
  std::vector<Prepared> prepared(subs.size());
  compare::TileSource base_source;
  base_source.prepare(base);
  parallel_for(subs.size(), jobs, [&](std::size_t k) {
    Prepared& p = prepared[k];
    const std::string& tokens = subs[k].tokens;
    p.allowed.assign(tokens.size(), 1);
    if (!base.empty()) {
      thread_local compare::GreedyTiler tiler;
      compare::TileSource own;
      own.prepare(tokens);
      p.template_tiles = tiler.run(own, base_source, min_match);
      for (const compare::Match& m : p.template_tiles)
        std::fill_n(p.allowed.begin() + static_cast<std::ptrdiff_t>(m.a), m.length, 0);
    }
    p.length = static_cast<std::size_t>(std::count(p.allowed.begin(), p.allowed.end(), 1));
    p.source.prepare(tokens, p.allowed.data());
    p.source.prepare_grams(min_match);
  });
  return prepared;
}

std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs_to_compare(std::size_t fresh,
                                                                      std::size_t all) {
  // A few first members at a time against each second one in turn: the
  // second's index is then read while still in cache, once per few pairs.
  constexpr std::size_t kBlock = 8;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs;
  for (std::size_t block = 0; block < fresh; block += kBlock)
    for (std::size_t j = block + 1; j < all; ++j)
      for (std::size_t i = block; i < std::min({block + kBlock, fresh, j}); ++i)
        pairs.emplace_back(static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(j));
  return pairs;
}

std::vector<compare::Match> tiles_of(const std::vector<Prepared>& prepared, std::uint32_t first,
                                     std::uint32_t second, int min_match) {
  thread_local compare::GreedyTiler tiler;
  return tiler.run(prepared[first].source, prepared[second].source, min_match);
}

std::vector<PairScore> score_pairs(
    const std::vector<Prepared>& prepared,
    const std::vector<std::pair<std::uint32_t, std::uint32_t>>& pairs, int min_match, unsigned jobs,
    std::atomic<std::size_t>* done) {
  std::vector<PairScore> scores(pairs.size());
  parallel_for(pairs.size(), jobs, [&](std::size_t k) {
    thread_local compare::GreedyTiler tiler;
    const auto [i, j] = pairs[k];
    PairScore& s = scores[k];
    s.first = i;
    s.second = j;
    for (const compare::Match& m : tiler.run(prepared[i].source, prepared[j].source, min_match)) {
      s.matched += m.length;
      s.longest = std::max(s.longest, static_cast<std::uint32_t>(m.length));
      ++s.tiles;
    }
    const std::size_t la = prepared[i].length;
    const std::size_t lb = prepared[j].length;
    const std::size_t shorter = std::min(la, lb);
    s.coverage = shorter == 0 ? 0.0 : static_cast<double>(s.matched) / static_cast<double>(shorter);
    s.similarity =
        la + lb == 0 ? 0.0f
                     : compare::similarity(static_cast<long long>(s.matched),
                                           static_cast<long long>(la), static_cast<long long>(lb));
    done->fetch_add(1, std::memory_order_relaxed);
  });
  return scores;
}

void rank(std::vector<PairScore>* scores, const std::vector<Submission>& subs) {
  std::sort(scores->begin(), scores->end(), [&](const PairScore& x, const PairScore& y) {
    if (x.coverage != y.coverage) return x.coverage > y.coverage;
    if (x.similarity != y.similarity) return x.similarity > y.similarity;
    if (subs[x.first].name != subs[y.first].name) return subs[x.first].name < subs[y.first].name;
    return subs[x.second].name < subs[y.second].name;
  });
}

}  // namespace batch
