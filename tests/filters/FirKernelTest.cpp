#include "runtime/filters/FirKernel.h"

#include <gtest/gtest.h>

#include <complex>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

using TorvaneModelBuilder::FirDotRing;

namespace {

using Complex = std::complex<double>;

std::uint64_t Bits(double v)
{
    std::uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// The sum as written: one modulo per term, newest first, products rounded
// before they are added, starting from +0.0.
template <typename T>
T NaiveRingSum(const std::vector<T>& taps, std::size_t stride, std::size_t count,
               const std::vector<T>& ring, std::size_t newest)
{
    T acc{};
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t at = (newest + ring.size() - k) % ring.size();
        acc = taps[k * stride] * ring[at] + acc;
    }
    return acc;
}

template <typename T, typename Draw>
void ExpectEveryRunSplitMatchesNaive(Draw draw)
{
    std::mt19937 gen(7);
    for (std::size_t capacity : {1u, 2u, 5u, 9u}) {
        std::vector<T> ring(capacity);
        for (T& v : ring)
            v = draw(gen);
        for (std::size_t stride : {1u, 3u}) {
            std::vector<T> taps(capacity * stride);
            for (T& v : taps)
                v = draw(gen);
            for (std::size_t newest = 0; newest < capacity; ++newest)
                for (std::size_t count = 0; count <= capacity; ++count)
                    EXPECT_EQ(FirDotRing(taps.data(), stride, count, ring.data(), capacity, newest),
                              NaiveRingSum(taps, stride, count, ring, newest))
                        << "capacity " << capacity << " stride " << stride << " newest "
                        << newest << " count " << count;
        }
    }
}

} // namespace

TEST(FirKernel, RingSumMatchesTheNaiveSumForEverySplitCountAndStride)
{
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    ExpectEveryRunSplitMatchesNaive<double>([&](std::mt19937& g) { return value(g); });
    ExpectEveryRunSplitMatchesNaive<Complex>(
        [&](std::mt19937& g) { return Complex(value(g), value(g)); });
}

TEST(FirKernel, TermsAreAddedNewestFirstOntoPositiveZero)
{
    // 1 + 1e16 rounds the 1 away, so newest-first gives 0 where oldest-first gives 1.
    const double taps[] = {1.0, 1.0, 1.0};
    const double ring[] = {-1e16, 1e16, 1.0}; // newest at index 2
    EXPECT_EQ(FirDotRing(taps, 1, 3, ring, 3, 2), 0.0);

    // A lone -0.0 product added onto +0.0 gives +0.0.
    const double negative[] = {-1.0};
    const double zero[] = {0.0};
    EXPECT_EQ(Bits(FirDotRing(negative, 1, 1, zero, 1, 0)), Bits(0.0));
    EXPECT_EQ(Bits(FirDotRing(negative, 1, 0, zero, 1, 0)), Bits(0.0));
}
