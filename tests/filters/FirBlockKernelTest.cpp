#include "runtime/filters/FirBlockKernel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

using namespace TorvaneModelBuilder;

namespace {

// The per-sample sum, written plainly: acc = tap * sample + acc from +0.0.
double NaiveOutput(const std::vector<double>& taps, const double* x)
{
    double acc = 0.0;
    for (std::size_t k = 0; k < taps.size(); ++k)
        acc = taps[k] * x[-static_cast<std::ptrdiff_t>(k)] + acc;
    return acc;
}

// Same value bit for bit, or NaN on both sides (payloads may differ).
bool Same(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::vector<double> Signal(std::size_t n, std::mt19937& random, bool hostile)
{
    std::uniform_real_distribution<double> level(-1.0, 1.0);
    std::vector<double> x(n);
    for (double& v : x) {
        v = level(random);
        if (hostile) {
            switch (random() % 64) {
            case 0: v = 0.0; break;
            case 1: v = -0.0; break;
            case 2: v = 1e300; break;
            case 3: v = std::numeric_limits<double>::infinity(); break;
            case 4: v = std::numeric_limits<double>::quiet_NaN(); break;
            case 5: v = 5e-324; break;
            default: break;
            }
        }
    }
    return x;
}

std::vector<const FirBlockKernels*> AvailableLevels()
{
    std::vector<const FirBlockKernels*> levels;
    for (SimdLevel level : {SimdLevel::Portable, SimdLevel::Sse2, SimdLevel::Avx2, SimdLevel::Avx512})
        if (const FirBlockKernels* kernels = FirBlockKernelsFor(level))
            levels.push_back(kernels);
    return levels;
}

} // namespace

TEST(FirBlockKernel, TheBestLevelOfThisProcessorIsAvailable)
{
    const FirBlockKernels* best = FirBlockKernelsFor(BestSimdLevel());
    ASSERT_NE(best, nullptr);
    EXPECT_EQ(best->Level, BestSimdLevel());
    EXPECT_NE(FirBlockKernelsFor(SimdLevel::Portable), nullptr);
}

TEST(FirBlockKernel, EveryLevelMatchesTheSerialSumBitForBit)
{
    std::mt19937 random(7);
    for (const FirBlockKernels* kernels : AvailableLevels()) {
        for (std::size_t numTaps : {0u, 1u, 2u, 3u, 7u, 64u, 2047u}) {
            for (bool hostile : {false, true}) {
                const std::vector<double> taps = Signal(numTaps, random, hostile);
                const std::size_t count = 1 + random() % 150;
                const std::size_t history = numTaps > 0 ? numTaps - 1 : 0;
                const std::vector<double> x =
                    Signal(history + count + FirBlockOverread, random, hostile);
                std::vector<double> y(count, -7.0);
                kernels->Convolve(taps.data(), numTaps, x.data() + history, y.data(), count);
                for (std::size_t i = 0; i < count; ++i)
                    ASSERT_TRUE(Same(y[i], NaiveOutput(taps, x.data() + history + i)))
                        << kernels->Name << " taps " << numTaps << " output " << i;
            }
        }
    }
}

TEST(FirBlockKernel, EveryCountUpToSeventyIsCompleteAndIgnoresWhatLiesPastIt)
{
    std::mt19937 random(8);
    const std::vector<double> taps = Signal(5, random, false);
    for (const FirBlockKernels* kernels : AvailableLevels()) {
        for (std::size_t count = 0; count <= 70; ++count) {
            // Past the block: NaN, which would spoil any lane that kept it.
            std::vector<double> x = Signal(4 + count, random, false);
            x.resize(x.size() + FirBlockOverread, std::numeric_limits<double>::quiet_NaN());
            std::vector<double> y(count + 1, -7.0);
            kernels->Convolve(taps.data(), taps.size(), x.data() + 4, y.data(), count);
            for (std::size_t i = 0; i < count; ++i)
                ASSERT_TRUE(Same(y[i], NaiveOutput(taps, x.data() + 4 + i))) << kernels->Name;
            EXPECT_EQ(y[count], -7.0) << kernels->Name << " wrote past " << count;
        }
    }
}

// Every tap count about each vector width (fewer taps than lanes, one less,
// as many, one more) and every count up to three groups of the widest level:
// the partial first and last steps of each row, the rows shared out between
// groups and the partial last row, with hostile samples (NaN, infinity, -0)
// where a lane without a tap would show them.
TEST(FirBlockKernel, EveryTapCountAboutTheWidthsAndEveryGroupingMatchTheSerialSum)
{
    std::mt19937 random(9);
    for (const FirBlockKernels* kernels : AvailableLevels()) {
        for (std::size_t numTaps : {1u, 2u, 3u, 4u, 5u, 7u, 8u, 9u, 12u, 15u, 16u, 17u, 33u}) {
            const std::vector<double> taps = Signal(numTaps, random, true);
            const std::size_t history = numTaps - 1;
            const std::vector<double> x = Signal(history + 400 + FirBlockOverread, random, true);
            for (std::size_t count = 1; count <= 400; count += 1 + count / 40) {
                std::vector<double> y(count + 1, -7.0);
                kernels->Convolve(taps.data(), numTaps, x.data() + history, y.data(), count);
                for (std::size_t i = 0; i < count; ++i)
                    ASSERT_TRUE(Same(y[i], NaiveOutput(taps, x.data() + history + i)))
                        << kernels->Name << " taps " << numTaps << " count " << count << " output " << i;
                ASSERT_EQ(y[count], -7.0) << kernels->Name << " wrote past " << count;
            }
        }
    }
}
