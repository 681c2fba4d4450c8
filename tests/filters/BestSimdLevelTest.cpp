#include "runtime/filters/FirBlockKernel.h"

#include <gtest/gtest.h>

using namespace TorvaneModelBuilder;

#if (defined(__x86_64__) || defined(_M_X64)) && defined(__GNUC__)
// The library reads cpuid and XCR0 itself (not every toolchain that builds it
// links the compilers' feature-query runtime); here that runtime, which
// checks the same processor bits and operating-system support, is the
// independent reference.
TEST(BestSimdLevel, AgreesWithTheCompilersOwnFeatureQuery)
{
    __builtin_cpu_init();
    const SimdLevel expected = __builtin_cpu_supports("avx512f") ? SimdLevel::Avx512
                               : __builtin_cpu_supports("avx2")  ? SimdLevel::Avx2
                                                                 : SimdLevel::Sse2;
    EXPECT_EQ(static_cast<int>(BestSimdLevel()), static_cast<int>(expected));
}
#endif

TEST(BestSimdLevel, EveryLevelUpToTheBestHasKernelsAndNoneAbove)
{
    const SimdLevel best = BestSimdLevel();
    for (SimdLevel level : {SimdLevel::Portable, SimdLevel::Sse2, SimdLevel::Avx2, SimdLevel::Avx512}) {
        const FirBlockKernels* kernels = FirBlockKernelsFor(level);
        if (level <= best) {
            ASSERT_NE(kernels, nullptr) << static_cast<int>(level);
            EXPECT_EQ(kernels->Level, level);
        } else {
            EXPECT_EQ(kernels, nullptr) << static_cast<int>(level);
        }
    }
}
