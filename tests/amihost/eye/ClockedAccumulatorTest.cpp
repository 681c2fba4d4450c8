#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "tools/amihost/eye/ClockedAccumulator.h"
#include "tools/amihost/eye/ClockedEye.h"
#include "tools/amihost/signal/GaussianNoise.h"
#include "tools/amihost/signal/Prbs.h"

// The streamed clocked eye is held to ClockedEye on the whole wave, the
// reference: equal bit for bit whatever the pieces and however early the
// instants come.

namespace {

constexpr int Spb = 16;

struct Case {
    std::vector<int> Bits;
    std::vector<double> Wave;
    std::vector<double> Instants;
};

// A low-passed NRZ delayed by 20 samples, and a clock that wanders about
// the bits' centres (sinusoidally, by up to 3 samples).
Case Make(std::size_t bits)
{
    Case c;
    c.Bits = Prbs(7).Take(bits);
    c.Wave.assign(20, -0.5);
    double level = -0.5;
    for (int b : c.Bits)
        for (int i = 0; i < Spb; ++i) {
            level += 0.25 * ((b ? 0.5 : -0.5) - level);
            c.Wave.push_back(level);
        }
    GaussianNoise noise(2);
    for (double& v : c.Wave)
        v += 0.005 * noise.Next();
    for (std::size_t k = 0; k < bits; ++k)
        c.Instants.push_back(static_cast<double>(k * Spb) + 30.0 + 3.0 * std::sin(0.01 * static_cast<double>(k)));
    return c;
}

EyeResult Streamed(const Case& c, std::size_t history, unsigned seed, std::size_t* late = nullptr)
{
    std::size_t next = 0;
    const std::vector<int>& bits = c.Bits;
    ClockedAccumulator stats(Spb, 30, 4, bits.size(), c.Wave.size(), history,
                             [&bits, next]() mutable { return bits[next++]; });
    std::mt19937 random(seed);
    std::size_t instant = 0;
    for (std::size_t at = 0; at < c.Wave.size();) {
        const std::size_t n = std::min<std::size_t>(c.Wave.size() - at, random() % 200 + 1);
        stats.AddSamples(c.Wave.data() + at, n);
        at += n;
        // A receiver returns the clock of a block with it, sometimes a
        // little ahead of the samples.
        while (instant < c.Instants.size() && c.Instants[instant] < static_cast<double>(at + random() % 40))
            stats.AddInstant(c.Instants[instant++]);
    }
    while (instant < c.Instants.size())
        stats.AddInstant(c.Instants[instant++]);
    if (late)
        *late = stats.Late();
    return stats.Eye();
}

} // namespace

TEST(ClockedAccumulator, TheStreamedEyeIsTheWholeWaveOne)
{
    const Case c = Make(3000);
    const EyeResult reference = ClockedEye::Measure(c.Wave, c.Bits, Spb, c.Instants, 30, 4);
    ASSERT_TRUE(reference.Valid);
    for (unsigned seed : {1u, 2u, 3u}) {
        const EyeResult eye = Streamed(c, 1024, seed);
        EXPECT_TRUE(eye.Valid);
        EXPECT_EQ(eye.Height, reference.Height);
        EXPECT_EQ(eye.Width, reference.Width);
        EXPECT_EQ(eye.Threshold, reference.Threshold);
        EXPECT_EQ(eye.Latency, reference.Latency);
        EXPECT_EQ(eye.BitCount, reference.BitCount);
    }
}

TEST(ClockedAccumulator, InstantsThatComeAfterTheirSamplesLeftAreCountedAndLeftOut)
{
    Case c = Make(400);
    // All instants at the end: with a short history most come too late.
    std::size_t next = 0;
    const std::vector<int>& bits = c.Bits;
    ClockedAccumulator stats(Spb, 30, 4, bits.size(), c.Wave.size(), 100,
                             [&bits, next]() mutable { return bits[next++]; });
    stats.AddSamples(c.Wave.data(), c.Wave.size());
    for (double s : c.Instants)
        stats.AddInstant(s);
    EXPECT_EQ(stats.Instants(), c.Instants.size());
    EXPECT_GT(stats.Late(), 300u);
    EXPECT_LE(stats.Eye().BitCount, c.Instants.size() - stats.Late());
}
