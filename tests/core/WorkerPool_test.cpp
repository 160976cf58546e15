#include "core/WorkerPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <numeric>
#include <stdexcept>
#include <thread>

// Every chunk runs exactly once whatever the number of threads, and a result combined in chunk
// order is the same as one thread's.
TEST(WorkerPool, EveryChunkOnceAndTheSameResultAtAnyThreadCount) {
    std::vector<double> sums;
    for (int threads : {1, 2, 3, 8}) {
        TWorkerPool pool(threads);
        EXPECT_EQ(pool.threadCount(), threads);
        for (int pass = 0; pass < 20; ++pass) {
            std::vector<std::atomic<int>> runs(97);
            std::vector<double> parts(97);
            pool.run(runs.size(), [&](std::size_t chunk) {
                ++runs[chunk];
                for (int k = 0; k < 1000; ++k)
                    parts[chunk] += 1.0 / (1.0 + chunk * 1000 + k);
            });
            for (const auto& count : runs)
                ASSERT_EQ(count.load(), 1);
            if (pass == 0) sums.push_back(std::accumulate(parts.begin(), parts.end(), 0.0));
        }
    }
    for (double sum : sums)
        EXPECT_EQ(sum, sums.front());
}

// A chunk's exception reaches the caller once the others are done; a pass inside a pass runs on
// its caller's thread; the pool stays usable after both.
TEST(WorkerPool, ExceptionsReachTheCallerAndNestedPassesRunInline) {
    TWorkerPool pool(3);
    std::atomic<int> ran{0};
    EXPECT_THROW(pool.run(50,
                          [&](std::size_t chunk) {
                              ++ran;
                              if (chunk == 7) throw std::runtime_error("chunk 7");
                          }),
                 std::runtime_error);
    EXPECT_GE(ran.load(), 8);
    std::atomic<int> inner{0};
    pool.run(4, [&](std::size_t) {
        const auto outer = std::this_thread::get_id();
        pool.run(5, [&](std::size_t) {
            EXPECT_EQ(std::this_thread::get_id(), outer);
            ++inner;
        });
    });
    EXPECT_EQ(inner.load(), 20);
    pool.setThreadCount(1);
    EXPECT_EQ(pool.threadCount(), 1);
}

TEST(WorkerPool, RangesCoverTheCountOnAlignedBoundaries) {
    for (std::size_t count :
         {std::size_t{0}, std::size_t{1}, std::size_t{63}, std::size_t{64}, std::size_t{100'000}}) {
        std::vector<std::atomic<int>> seen(count);
        parallelRanges(count, 100, 64, [&](std::size_t begin, std::size_t end) {
            EXPECT_EQ(begin % 64, 0u);
            EXPECT_LE(end, count);
            for (std::size_t i = begin; i < end; ++i)
                ++seen[i];
        });
        for (const auto& s : seen)
            ASSERT_EQ(s.load(), 1);
    }
}
