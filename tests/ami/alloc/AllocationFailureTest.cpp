// AMI_Init and AMI_GetWave with every allocation, in turn, failing: the
// entry points must refuse cleanly, never let an exception out and never
// crash. This program replaces the global allocation functions, so it is a
// test program of its own.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "ami/AmiEntryPoints.h"

// The replaced operators below pair malloc with free; GCC cannot see that
// through the inlined new-expressions and would warn about a mismatch.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

namespace {

std::atomic<long> AllocationsBeforeFailure{-1}; // -1: never fail

bool ShouldFail()
{
    long left = AllocationsBeforeFailure.load();
    while (left >= 0) {
        if (AllocationsBeforeFailure.compare_exchange_weak(left, left - 1))
            return left == 0;
    }
    return false;
}

void* Allocate(std::size_t n) { return ShouldFail() ? nullptr : std::malloc(n ? n : 1); }

// Arms the failure of allocation number `n` (0-based) for its lifetime.
struct FailAllocation {
    explicit FailAllocation(long n) { AllocationsBeforeFailure = n; }
    ~FailAllocation() { AllocationsBeforeFailure = -1; }
    bool Happened() const { return AllocationsBeforeFailure.load() < 0; }
};

constexpr double BitTime = 7.8125e-11;

} // namespace

void* operator new(std::size_t n)
{
    if (void* p = Allocate(n))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

TEST(AllocationFailure, InitRefusesCleanlyWhateverAllocationFails)
{
    char parameters[] = "(Halvex_tx (de 5))";
    long failures = 0;
    for (long n = 0;; ++n) {
        void* handle = nullptr;
        char* message = nullptr;
        long result;
        bool happened;
        {
            FailAllocation fail(n);
            result = AMI_Init(nullptr, 0, 0, BitTime / 32, BitTime, parameters, nullptr, &handle,
                              &message);
            happened = fail.Happened();
        }
        if (!happened) {
            EXPECT_EQ(result, 1); // every allocation of a successful Init has been tried
            EXPECT_EQ(AMI_Close(handle), 1);
            break;
        }
        ++failures;
        if (result == 0) {
            ASSERT_NE(message, nullptr) << "allocation " << n;
            EXPECT_FALSE(std::string(message).empty());
        }
        if (handle != nullptr) {
            std::vector<double> wave(8, 1.0);
            if (result == 0) {
                EXPECT_EQ(AMI_GetWave(wave.data(), 8, nullptr, nullptr, handle), 0);
            }
            EXPECT_EQ(AMI_Close(handle), 1) << "allocation " << n;
        }
    }
    EXPECT_GT(failures, 50); // responses, taps, delay lines, links, strings
}

TEST(AllocationFailure, GetWaveRefusesWhenItsClockListCannotGrow)
{
    char parameters[] = "(Halvex_tx (de 5))";
    void* handle = nullptr;
    ASSERT_EQ(AMI_Init(nullptr, 0, 0, BitTime / 32, BitTime, parameters, nullptr, &handle, nullptr), 1);
    std::vector<double> wave(64, 1.0);
    long result;
    {
        FailAllocation fail(0);
        result = AMI_GetWave(wave.data(), 64, nullptr, nullptr, handle);
    }
    EXPECT_EQ(result, 0);
    EXPECT_EQ(wave, std::vector<double>(64, 1.0));
    EXPECT_EQ(AMI_GetWave(wave.data(), 64, nullptr, nullptr, handle), 1); // usable again
    EXPECT_EQ(AMI_Close(handle), 1);
}
