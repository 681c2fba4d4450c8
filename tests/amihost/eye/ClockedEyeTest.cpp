#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "tools/amihost/eye/ClockedEye.h"
#include "tools/amihost/eye/EyeAnalysis.h"
#include "tools/amihost/signal/Prbs.h"

namespace {

constexpr int Spb = 16;

// NRZ whose bit k has the level 0.5 b[k] + c b[k-1] (b = +-1), reached
// after a linear ramp of `ramp` samples, the whole wave delayed by `delay`.
std::vector<double> Wave(const std::vector<int>& bits, double c, int ramp, std::size_t delay)
{
    std::vector<double> wave(delay, -0.5 - c);
    double previous = -0.5 - c;
    for (std::size_t k = 0; k < bits.size(); ++k) {
        const double level = 0.5 * (bits[k] ? 1.0 : -1.0) + c * (k > 0 && bits[k - 1] ? 1.0 : -1.0);
        for (int i = 0; i < Spb; ++i)
            wave.push_back(i < ramp ? previous + (level - previous) * (i + 1) / ramp : level);
        previous = level;
    }
    return wave;
}

} // namespace

// At the instants of the best fixed latency the clocked eye is the fixed
// one, measured independently by EyeAnalysis.
TEST(ClockedEye, InstantsAtTheBestLatencyGiveTheFixedLatencyEye)
{
    const std::vector<int> all = Prbs(7).Take(300);
    for (double c : {0.0, -0.1, 0.15}) {
        const std::vector<double> wave = Wave(all, c, 6, 5);
        // The last two bits are left to both: their windows would leave the wave.
        const std::vector<int> bits(all.begin(), all.end() - 2);
        const EyeResult fixed = EyeAnalysis::Measure(wave, bits, Spb, 10, 2 * Spb);
        ASSERT_TRUE(fixed.Valid);
        std::vector<double> instants;
        for (std::size_t k = 0; k < bits.size(); ++k)
            instants.push_back(static_cast<double>(k * Spb + fixed.Latency));
        const EyeResult clocked = ClockedEye::Measure(wave, bits, Spb, instants, fixed.Latency, 10);
        ASSERT_TRUE(clocked.Valid) << c;
        EXPECT_EQ(clocked.Height, fixed.Height) << c;
        EXPECT_EQ(clocked.Threshold, fixed.Threshold) << c;
        EXPECT_NEAR(clocked.Width, fixed.Width, 1e-12) << c;
        EXPECT_EQ(clocked.Latency, fixed.Latency) << c;
        EXPECT_EQ(clocked.BitCount, fixed.BitCount) << c;
        EXPECT_EQ(clocked.FirstBit, 10u);
    }
}

TEST(ClockedEye, InstantsBetweenSamplesReadTheLineJoiningThem)
{
    const std::vector<double> wave = {0.0, 1.0, 3.0, -1.0};
    EXPECT_EQ(ClockedEye::ValueAt(wave, 0.0), 0.0);
    EXPECT_EQ(ClockedEye::ValueAt(wave, 1.25), 1.5);
    EXPECT_EQ(ClockedEye::ValueAt(wave, 2.5), 1.0);
    EXPECT_EQ(ClockedEye::ValueAt(wave, 3.0), -1.0);

    // A clock sampling a quarter sample into every bit of a 4-sample ramp.
    const std::vector<int> all = Prbs(7).Take(100);
    const std::vector<double> ramped = Wave(all, 0.0, 4, 0);
    std::vector<double> instants;
    for (std::size_t k = 1; k + 1 < all.size(); ++k)
        instants.push_back(static_cast<double>(k * Spb) + 0.25);
    const EyeResult eye = ClockedEye::Measure(ramped, all, Spb, instants, 8, 0);
    ASSERT_TRUE(eye.Valid);
    // A transition's first sample is a quarter of the way, 0.25 later 5/16:
    // the lowest one and the highest zero are 3/16 short of the midline.
    EXPECT_EQ(eye.Height, 2.0 * (-0.5 + 1.25 / 4.0));
}

TEST(ClockedEye, EachInstantCountsForTheBitWhoseCentreIsNearest)
{
    EXPECT_EQ(ClockedEye::BitOf(5.0, 5, 8), 0);
    EXPECT_EQ(ClockedEye::BitOf(8.99, 5, 8), 0);
    EXPECT_EQ(ClockedEye::BitOf(9.0, 5, 8), 1);
    EXPECT_EQ(ClockedEye::BitOf(0.0, 5, 8), -1);
    EXPECT_EQ(ClockedEye::BitOf(std::numeric_limits<double>::quiet_NaN(), 5, 8), -1);
    EXPECT_EQ(ClockedEye::BitOf(1e300, 5, 8), -1);

    // A clock that samples every bit 0.4 UI late still reads each bit, and
    // its mean phase becomes the latency the plot is centred on.
    const std::vector<int> bits = Prbs(7).Take(200);
    const std::vector<double> wave = Wave(bits, 0.0, 1, 0);
    std::vector<double> instants;
    for (std::size_t k = 2; k < bits.size() - 2; ++k)
        instants.push_back(static_cast<double>(k * Spb) + 0.4 * Spb);
    const EyeResult eye = ClockedEye::Measure(wave, bits, Spb, instants, Spb / 2, 0);
    ASSERT_TRUE(eye.Valid);
    EXPECT_EQ(eye.Height, 1.0);
    EXPECT_EQ(eye.Latency, 6u); // 6.4 samples, rounded
    EXPECT_EQ(eye.BitCount, instants.size());
}

TEST(ClockedEye, AClockOnTheCrossingsSeesAClosedEye)
{
    const std::vector<int> bits = Prbs(7).Take(200);
    const std::vector<double> wave = Wave(bits, 0.0, 4, 0);
    std::vector<double> instants;
    for (std::size_t k = 2; k < bits.size() - 2; ++k)
        instants.push_back(static_cast<double>(k * Spb) + 1.0); // where each ramp crosses 0
    const EyeResult eye = ClockedEye::Measure(wave, bits, Spb, instants, Spb / 2, 0);
    ASSERT_TRUE(eye.Valid);
    EXPECT_LE(eye.Height, 0.0);
    EXPECT_EQ(eye.Width, 0.0);
}

TEST(ClockedEye, InstantsOutsideTheWaveOrTheMeasuredBitsAreLeftOut)
{
    const std::vector<int> bits = {0, 1, 0, 1, 1, 0, 0, 1};
    const std::vector<double> wave = Wave(bits, 0.0, 1, 0);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // Before the window of bit 0, in the skipped bit 1, past the wave, NaN.
    const std::vector<double> outside = {8.0, 24.0, 200.0, nan, -3.0};
    EyeResult eye = ClockedEye::Measure(wave, bits, Spb, outside, 8, 2);
    EXPECT_FALSE(eye.Valid);
    EXPECT_EQ(eye.BitCount, 0u);
    // Only ones measured: no eye.
    eye = ClockedEye::Measure(wave, bits, Spb, {3 * 16 + 8.0, 4 * 16 + 8.0}, 8, 2);
    EXPECT_FALSE(eye.Valid);
    EXPECT_EQ(eye.BitCount, 2u);
    EXPECT_FALSE(ClockedEye::Measure({}, bits, Spb, {1.0}, 0, 0).Valid);
}
