#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/amihost/host/ParallelRuns.h"

// A sweep's worker that throws must not be lost in its thread (that would
// end the program) nor swallowed: the caller gets the exception once every
// thread has stopped, and no task runs twice.
TEST(ParallelRuns, AWorkersExceptionIsRethrownToTheCallerAfterEveryThreadStopped)
{
    for (unsigned jobs : {1u, 2u, 4u, 16u}) {
        constexpr std::size_t Count = 64;
        std::vector<std::atomic<int>> runs(Count);
        std::atomic<int> running{0};
        std::atomic<int> stillRunningAtThrow{-1};
        try {
            RunInParallel(Count, jobs, [&](std::size_t i) {
                ++running;
                ++runs[i];
                if (i == 5) {
                    --running;
                    throw std::runtime_error("task 5 failed");
                }
                --running;
            });
            ADD_FAILURE() << "no exception with " << jobs << " jobs";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), "task 5 failed") << jobs << " jobs";
            stillRunningAtThrow = running.load();
        }
        EXPECT_EQ(stillRunningAtThrow.load(), 0) << jobs << " jobs";
        EXPECT_EQ(runs[5].load(), 1) << jobs << " jobs";
        for (std::size_t i = 0; i < Count; ++i)
            EXPECT_LE(runs[i].load(), 1) << "task " << i << " with " << jobs << " jobs";
    }
}

// When several workers fail, one of their exceptions comes back (not a
// mixture, not std::terminate), and the tasks that succeeded ran once each.
TEST(ParallelRuns, OfSeveralFailingWorkersOneExceptionComesBack)
{
    constexpr std::size_t Count = 200;
    std::vector<std::atomic<int>> runs(Count);
    std::string caught;
    try {
        RunInParallel(Count, 8, [&](std::size_t i) {
            ++runs[i];
            if (i % 3 == 0)
                throw std::runtime_error("task " + std::to_string(i));
        });
    } catch (const std::runtime_error& e) {
        caught = e.what();
    }
    ASSERT_EQ(caught.rfind("task ", 0), 0u) << caught;
    EXPECT_EQ(std::stoul(caught.substr(5)) % 3, 0u) << caught;
    for (std::size_t i = 0; i < Count; ++i)
        EXPECT_LE(runs[i].load(), 1) << "task " << i;
}

TEST(ParallelRuns, WithoutFailuresEveryTaskRunsExactlyOnce)
{
    for (unsigned jobs : {0u, 1u, 3u, 64u}) {
        for (std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{97}}) {
            std::vector<std::atomic<int>> runs(count);
            RunInParallel(count, jobs, [&](std::size_t i) { ++runs[i]; });
            for (std::size_t i = 0; i < count; ++i)
                EXPECT_EQ(runs[i].load(), 1) << "task " << i << " of " << count << " with " << jobs << " jobs";
        }
    }
}
