// parallel_for(): threads take chunks of indices from a shared counter.
#include "batch/parallel.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

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

}  // namespace batch
