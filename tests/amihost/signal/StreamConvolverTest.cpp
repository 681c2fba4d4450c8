#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "tests/amihost/signal/RandomLevels.h"
#include "tools/amihost/signal/StreamConvolver.h"

namespace {

// The defining sum in long double.
double Naive(const std::vector<double>& x, const std::vector<double>& h, std::size_t i)
{
    long double sum = 0.0L;
    for (std::size_t k = 0; k < h.size() && k <= i; ++k)
        sum += static_cast<long double>(h[k]) * x[i - k];
    return static_cast<double>(sum);
}

// The scale of the FFT path's rounding: sum_k |h[k]| max|x|.
double Scale(const std::vector<double>& x, const std::vector<double>& h)
{
    double sum = 0.0;
    for (double tap : h)
        sum += std::fabs(tap);
    double top = 0.0;
    for (double v : x)
        top = std::max(top, std::fabs(v));
    return sum * top;
}

// The whole-wave direct sum as it has always been summed: from 0.0, ascending k.
std::vector<double> OldDirect(const std::vector<double>& x, const std::vector<double>& h)
{
    std::vector<double> y(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
        double sum = 0.0;
        for (std::size_t k = 0; k < h.size() && k <= i; ++k)
            sum += h[k] * x[i - k];
        y[i] = sum;
    }
    return y;
}

// `x` through a fresh convolver for `taps`, cut into pieces of the given sizes
// (cycled until x is used up).
std::vector<double> InPieces(std::vector<double> x, const std::vector<double>& taps, const std::vector<std::size_t>& sizes,
                             std::size_t granule = 1)
{
    StreamConvolver convolver(taps, granule);
    std::size_t done = 0;
    for (std::size_t p = 0; done < x.size(); ++p) {
        const std::size_t take = std::min(sizes[p % sizes.size()], x.size() - done);
        convolver.Process(x.data() + done, take);
        done += take;
    }
    return x;
}

// Random piece sizes: single samples, odd sizes, and pieces longer than `big`.
std::vector<std::size_t> RandomPieces(std::size_t big, std::mt19937& random)
{
    std::vector<std::size_t> sizes;
    std::uniform_int_distribution<int> kind(0, 3);
    std::uniform_int_distribution<std::size_t> small(2, 97);
    std::uniform_int_distribution<std::size_t> large(big, 3 * big);
    for (int p = 0; p < 40; ++p) {
        const int k = kind(random);
        sizes.push_back(k == 0 ? 1 : k == 3 ? large(random) : small(random));
    }
    return sizes;
}

// Bound of the FFT path's rounding, relative to Scale (measured near 1e-15
// up to N = 2^18).
constexpr double Relative = 1e-13;

} // namespace

TEST(StreamConvolver, MatchesTheDefiningSumForAnyResponseLengthAndAnyCut)
{
    std::mt19937 random(7);
    for (std::size_t m : {1u, 2u, 255u, 256u, 257u, 1000u, 4321u}) {
        const std::vector<double> h = Levels(m, random);
        StreamConvolver probe(h);
        const std::size_t n = 3 * probe.PreferredChunk() + 123;
        const std::vector<double> x = Levels(n, random);
        const std::vector<double> y = InPieces(x, h, RandomPieces(probe.PreferredChunk(), random));
        const double bound = Relative * Scale(x, h);
        for (std::size_t i = 0; i < n; ++i)
            ASSERT_NEAR(y[i], Naive(x, h, i), bound) << "m " << m << " i " << i;
    }
}

TEST(StreamConvolver, ShortResponsesGiveTheWholeWaveDirectSumBitForBitWhateverTheCut)
{
    std::mt19937 random(8);
    for (std::size_t m : {1u, 2u, 3u, 100u, 256u}) {
        const std::vector<double> h = Levels(m, random);
        const std::vector<double> x = Levels(10000, random);
        const std::vector<double> want = OldDirect(x, h);
        for (const std::vector<std::size_t>& sizes :
             {std::vector<std::size_t>{10000}, {1}, {7}, {4096}, RandomPieces(5000, random)})
            EXPECT_EQ(InPieces(x, h, sizes), want) << "m " << m << " first piece " << sizes[0];
    }
}

// Calls that each end on a block boundary (multiples of PreferredChunk) do
// the same transforms as one call; other cuts only round differently.
TEST(StreamConvolver, LongResponsesCutAtMultiplesOfThePreferredChunkGiveTheBitsOfOneCall)
{
    std::mt19937 random(9);
    const std::vector<double> h = Levels(3000, random);
    const std::size_t chunk = StreamConvolver(h).PreferredChunk();
    const std::vector<double> x = Levels(7 * chunk + 55, random);
    const std::vector<double> whole = InPieces(x, h, {x.size()});
    EXPECT_EQ(InPieces(x, h, {chunk}), whole);
    EXPECT_EQ(InPieces(x, h, {2 * chunk, chunk, 3 * chunk}), whole);
    const std::vector<double> ragged = InPieces(x, h, RandomPieces(chunk, random));
    const double bound = Relative * Scale(x, h);
    for (std::size_t i = 0; i < x.size(); ++i)
        ASSERT_NEAR(ragged[i], whole[i], bound) << i;
}

TEST(StreamConvolver, TheFirstOutputsOfALongResponseAreTheDirectSumAndAnEmptyResponseGivesZeros)
{
    std::mt19937 random(10);
    const std::vector<double> h = Levels(5000, random);
    const std::vector<double> x = Levels(200, random);
    // A short wave through a long response: the sum over the inputs so far.
    std::vector<double> shortHead(h.begin(), h.begin() + 200);
    EXPECT_EQ(InPieces(x, h, {200}), OldDirect(x, shortHead));
    EXPECT_EQ(InPieces(x, {}, {3, 50}), std::vector<double>(200, 0.0));
    StreamConvolver convolver(h);
    convolver.Process(nullptr, 0);
    EXPECT_EQ(convolver.Length(), 5000u);
}

// A caller that cuts its wave into model calls of 333 samples asks for
// blocks of whole calls: then pieces of calls that are multiples of the
// block give one call's bits, and the sum stays the defining one.
TEST(StreamConvolver, BlocksOfWholeCallsKeepTheSumAndTheBitsOfOneCall)
{
    std::mt19937 random(11);
    for (std::size_t m : {257u, 1000u, 4321u}) {
        const std::vector<double> h = Levels(m, random);
        const StreamConvolver probe(h, 333);
        const std::size_t block = probe.PreferredChunk();
        ASSERT_EQ(block % 333, 0u) << m;
        ASSERT_GE(block, m) << m;
        const std::vector<double> x = Levels(4 * block + 77, random);
        const std::vector<double> whole = InPieces(x, h, {x.size()}, 333);
        EXPECT_EQ(InPieces(x, h, {block, 2 * block}, 333), whole) << m;
        const double bound = Relative * Scale(x, h);
        for (std::size_t i = 0; i < x.size(); i += 7)
            ASSERT_NEAR(whole[i], Naive(x, h, i), bound) << "m " << m << " i " << i;
    }
}
