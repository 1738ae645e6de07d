// Work spread over threads.
#pragma once

#include <cstddef>
#include <functional>

namespace batch {

/// Runs `work(k)` for k in [0, count) on `jobs` threads.
void parallel_for(std::size_t count, unsigned jobs, const std::function<void(std::size_t)>& work);

}  // namespace batch
