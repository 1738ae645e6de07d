// Work spread over threads.
#pragma once

#include <cstddef>
#include <functional>

namespace batch {

/// Runs `work(k)` for k in [0, count) on `jobs` threads. If `work` throws,
/// or a thread cannot be started, the rest is abandoned and the first such
/// exception is thrown again here once every thread has stopped.
void parallel_for(std::size_t count, unsigned jobs, const std::function<void(std::size_t)>& work);

}  // namespace batch
