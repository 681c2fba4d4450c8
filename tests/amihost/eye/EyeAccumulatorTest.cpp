#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "tools/amihost/eye/BerAnalysis.h"
#include "tools/amihost/eye/EyeAccumulator.h"
#include "tools/amihost/signal/GaussianNoise.h"
#include "tools/amihost/signal/Prbs.h"

// The streamed statistics are held to the whole-wave analyses, which stay
// the reference: the same bits, offsets and tails give the same figures bit
// for bit, whatever pieces the wave comes in.

namespace {

constexpr int Spb = 8;
constexpr std::size_t Skip = 3;

// NRZ of `bits` through a one-pole low-pass (memory of a few bits), delayed
// by `delay` samples, with Gaussian noise of `sigma`, and `pad` samples of
// the last level after the last bit so that every bit's window lies inside.
std::vector<double> Received(const std::vector<int>& bits, std::size_t delay, double sigma, std::size_t pad)
{
    std::vector<double> wave(delay, -0.5);
    double level = -0.5;
    for (int b : bits)
        for (int i = 0; i < Spb; ++i) {
            level += 0.3 * ((b ? 0.5 : -0.5) - level);
            wave.push_back(level);
        }
    wave.insert(wave.end(), pad, level);
    GaussianNoise noise(7);
    for (double& v : wave)
        v += sigma * noise.Next();
    return wave;
}

// `wave` fed to `stats` in pieces of random sizes (1 sample up to 3 bits'
// worth and more).
void Stream(const std::vector<double>& wave, EyeAccumulator& stats, unsigned seed)
{
    std::mt19937 random(seed);
    for (std::size_t at = 0; at < wave.size();) {
        const std::size_t n = std::min<std::size_t>(wave.size() - at, random() % 40 + 1);
        stats.Add(wave.data() + at, n);
        at += n;
    }
}

EyeAccumulator Accumulate(const std::vector<double>& wave, const std::vector<int>& bits, long first,
                          std::size_t offsets, std::size_t tails, unsigned seed)
{
    std::size_t next = 0;
    EyeAccumulator stats(Spb, first, offsets, Skip, bits.size(), wave.size(), tails,
                         [&bits, next]() mutable { return bits[next++]; });
    Stream(wave, stats, seed);
    return stats;
}

} // namespace

TEST(EyeAccumulator, HeightsEqualTheWholeWaveOnesAtEveryOffsetWhateverThePieces)
{
    const std::vector<int> bits = Prbs(7).Take(3000);
    const std::vector<double> wave = Received(bits, 13, 0.01, 8 * Spb);
    for (unsigned seed : {1u, 2u, 3u}) {
        const EyeAccumulator stats = Accumulate(wave, bits, 5, 3 * Spb + 1, 0, seed);
        EXPECT_EQ(stats.BitsMeasured(), bits.size() - Skip);
        for (std::size_t i = 0; i < stats.Offsets(); ++i) {
            double threshold = 0.0;
            double reference = 0.0;
            const double height = stats.HeightAt(i, &threshold);
            EXPECT_EQ(height, EyeAnalysis::HeightAt(wave, bits, Spb, Skip, 5 + i, nullptr, &reference)) << i;
            EXPECT_EQ(threshold, reference) << i;
        }
    }
}

TEST(EyeAccumulator, TheEyeOverAWindowFromZeroIsTheWholeWaveSearch)
{
    const std::vector<int> bits = Prbs(7).Take(2000);
    for (std::size_t delay : {0u, 5u, 21u}) {
        const std::vector<double> wave = Received(bits, delay, 0.0, 8 * Spb);
        const std::size_t maxLatency = 4 * Spb;
        const EyeResult reference = EyeAnalysis::Measure(wave, bits, Spb, Skip, maxLatency);
        const EyeAccumulator stats = Accumulate(wave, bits, 0, maxLatency + Spb + 1, 0, 4);
        const EyeResult eye = stats.Eye(0, maxLatency);
        ASSERT_TRUE(eye.Valid);
        EXPECT_EQ(eye.Latency, reference.Latency) << delay;
        EXPECT_EQ(eye.Height, reference.Height) << delay;
        EXPECT_EQ(eye.Width, reference.Width) << delay;
        EXPECT_EQ(eye.Threshold, reference.Threshold) << delay;
        EXPECT_EQ(eye.BitCount, reference.BitCount) << delay;
        EXPECT_EQ(eye.FirstBit, reference.FirstBit) << delay;
    }
}

TEST(EyeAccumulator, TheBathtubFromKeptTailsEqualsTheOneFromTheWholeWave)
{
    const std::vector<int> bits = Prbs(15).Take(20000);
    const std::vector<double> wave = Received(bits, 3 * Spb, 0.02, 8 * Spb);
    const EyeResult eye = EyeAnalysis::Measure(wave, bits, Spb, Skip, 4 * Spb);
    ASSERT_TRUE(eye.Valid);
    ASSERT_GE(eye.Latency, static_cast<std::size_t>(Spb));
    for (auto random : {BerAnalysis::RandomPart::Present, BerAnalysis::RandomPart::Absent}) {
        const BerResult reference = BerAnalysis::Measure(wave, bits, Spb, eye, 1e-12, random);
        const EyeAccumulator stats = Accumulate(wave, bits, 0, 6 * Spb + 1, GaussianTail::MaxPoints, 9);
        const BerResult ber = BerAnalysis::Measure(stats, eye, 1e-12, random);
        ASSERT_TRUE(reference.Valid);
        ASSERT_TRUE(ber.Valid);
        EXPECT_EQ(ber.Phase, reference.Phase);
        EXPECT_EQ(ber.Opening, reference.Opening);
        EXPECT_EQ(ber.Ber, reference.Ber);
        EXPECT_EQ(ber.Height, reference.Height);
        EXPECT_EQ(ber.Width, reference.Width);
        EXPECT_EQ(ber.BitCount, reference.BitCount);
    }
}

TEST(EyeAccumulator, TailsKeepAtMostTheirPointsAndStillFitLikeTheWholeSample)
{
    // About 200000 values per symbol: 1 % would be some 2000 points; 300 kept.
    std::vector<int> bits(400000);
    GaussianNoise noise(3);
    std::mt19937 random(5);
    std::vector<double> wave;
    for (int& b : bits) {
        b = static_cast<int>(random() & 1u);
        for (int i = 0; i < Spb; ++i)
            wave.push_back((b ? 0.5 : -0.5) + 0.05 * noise.Next());
    }
    std::vector<int> symbols = bits;
    std::size_t next = 0;
    EyeAccumulator stats(Spb, 0, 1, 0, bits.size(), wave.size(), 300,
                         [&symbols, next]() mutable { return symbols[next++]; });
    stats.Add(wave.data(), wave.size());
    GaussianTail one;
    GaussianTail zero;
    // Count(n) is more than the 300 kept: refused rather than fitted to less.
    EXPECT_FALSE(stats.FitTails(0, one, zero));
    std::vector<double> ones;
    for (std::size_t k = 0; k < bits.size(); ++k)
        if (bits[k])
            ones.push_back(wave[k * Spb]);
    GaussianTail whole;
    ASSERT_TRUE(GaussianTail::FitLower(ones, whole));
    // A sample whose tail is handed over alone fits exactly as the whole one.
    std::vector<double> sorted = ones;
    std::sort(sorted.begin(), sorted.end());
    std::vector<double> tail(sorted.begin(), sorted.begin() + static_cast<long>(GaussianTail::Count(ones.size())));
    std::shuffle(tail.begin(), tail.end(), random);
    GaussianTail fromTail;
    ASSERT_TRUE(GaussianTail::FitLowerOf(tail, ones.size(), fromTail));
    EXPECT_EQ(fromTail.Mean, whole.Mean);
    EXPECT_EQ(fromTail.Sigma, whole.Sigma);
    EXPECT_EQ(fromTail.Extreme, whole.Extreme);
}

TEST(EyeAccumulator, BitsWhoseWindowLeavesTheWaveAreNotMeasured)
{
    const std::vector<int> bits = Prbs(7).Take(100);
    const std::vector<double> wave = Received(bits, 0, 0.0, 0);
    // Offsets -2 .. 13: bit 0 reaches before the wave (skipped anyway), the
    // last bit past it; the others are measured at every offset.
    const EyeAccumulator stats = Accumulate(wave, bits, -2, 16, 0, 1);
    EXPECT_EQ(stats.BitsMeasured(), bits.size() - Skip - 1);
    const std::vector<int> inside(bits.begin(), bits.end() - 1);
    for (std::size_t i = 2; i < 16; ++i)
        EXPECT_EQ(stats.HeightAt(i), EyeAnalysis::HeightAt(wave, inside, Spb, Skip, i - 2)) << i;
    // Latencies start at 0: the offsets before it are no candidates.
    EXPECT_EQ(stats.Eye(0, 15).Latency, stats.Eye(2, 15).Latency);
}
