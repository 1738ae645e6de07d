// parallel_for(): every index once, and a failure in any thread comes back
// to the caller instead of ending the process.
#include "batch/parallel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <vector>

namespace {

TEST(ParallelFor, EveryIndexExactlyOnceOnAnyNumberOfThreads) {
  for (unsigned jobs : {1u, 2u, 7u}) {
    std::vector<std::atomic<int>> seen(1000);
    batch::parallel_for(seen.size(), jobs, [&](std::size_t k) { ++seen[k]; });
    for (const auto& s : seen) EXPECT_EQ(1, s.load()) << jobs;
  }
}

TEST(ParallelFor, AFailureInAWorkerIsThrownToTheCaller) {
  for (unsigned jobs : {1u, 4u}) {
    std::atomic<int> done{0};
    EXPECT_THROW(batch::parallel_for(100000, jobs,
                                     [&](std::size_t k) {
                                       if (k == 500) throw std::bad_alloc();
                                       ++done;
                                     }),
                 std::bad_alloc)
        << jobs;
    EXPECT_LT(done.load(), 100000);  // the rest was abandoned
  }
}

}  // namespace
