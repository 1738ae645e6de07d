// parallel_for(): threads take chunks of indices from a shared counter.
#include "batch/parallel.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace batch {

void parallel_for(std::size_t count, unsigned jobs, const std::function<void(std::size_t)>& work) {
  std::atomic<std::size_t> next{0};
  std::mutex failure_lock;
  std::exception_ptr failure;
  auto give_up = [&](std::exception_ptr e) {
    const std::lock_guard<std::mutex> lock(failure_lock);
    if (!failure) failure = e;
    next = count;  // the others stop at their next chunk
  };
  constexpr std::size_t kChunk = 32;
  auto worker = [&] {
    try {
      for (std::size_t begin; (begin = next.fetch_add(kChunk)) < count;)
        for (std::size_t k = begin; k < std::min(count, begin + kChunk); ++k) work(k);
    } catch (...) {
      give_up(std::current_exception());
    }
  };
  std::vector<std::thread> threads;
  try {
    for (unsigned t = 1; t < std::max(jobs, 1u); ++t) threads.emplace_back(worker);
  } catch (...) {
    give_up(std::current_exception());
  }
  worker();
  for (std::thread& t : threads) t.join();
  // What failed in any thread (memory, a thread that would not start) is
  // the caller's to report, on its own thread.
  if (failure) std::rethrow_exception(failure);
}

}  // namespace batch
