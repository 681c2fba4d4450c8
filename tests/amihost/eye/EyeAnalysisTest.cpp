#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tools/amihost/eye/EyeAnalysis.h"
#include "tools/amihost/signal/Prbs.h"

namespace {

constexpr int Spb = 16;

// NRZ of `bits` where each bit's level is a * b[k] + c * b[k-1] (b = +-1),
// reached after a linear ramp of `ramp` samples from the previous level; the
// ramps of even bits start `jitter` samples late. The whole wave is delayed
// by `delay` samples.
std::vector<double> Wave(const std::vector<int>& bits, double a, double c, int ramp, std::size_t delay,
                         int jitter = 0)
{
    std::vector<double> levels;
    for (std::size_t k = 0; k < bits.size(); ++k) {
        const double now = bits[k] ? 1.0 : -1.0;
        const double before = k > 0 ? (bits[k - 1] ? 1.0 : -1.0) : -1.0;
        levels.push_back(a * now + c * before);
    }
    std::vector<double> wave(delay, levels[0]);
    for (std::size_t k = 0; k < bits.size(); ++k) {
        const double previous = k > 0 ? levels[k - 1] : levels[0];
        const int start = k % 2 == 0 ? jitter : 0;
        for (int i = 0; i < Spb; ++i) {
            if (i < start)
                wave.push_back(previous);
            else if (i - start < ramp)
                wave.push_back(previous + (levels[k] - previous) * (i - start + 1) / ramp);
            else
                wave.push_back(levels[k]);
        }
    }
    return wave;
}

} // namespace

TEST(EyeAnalysis, AnIdealWaveIsOpenByItsFullSwingOverAWholeUi)
{
    const std::vector<int> bits = Prbs(7).Take(300);
    // Delayed, so that the closed latencies on both sides are searched.
    const EyeResult eye = EyeAnalysis::Measure(Wave(bits, 0.5, 0.0, 1, 5), bits, Spb, 10, 4 * Spb);
    ASSERT_TRUE(eye.Valid);
    EXPECT_DOUBLE_EQ(eye.Height, 1.0);
    EXPECT_DOUBLE_EQ(eye.Width, 1.0);
    EXPECT_DOUBLE_EQ(eye.Threshold, 0.0);
    EXPECT_EQ(eye.BitCount, 290u);
}

TEST(EyeAnalysis, PostCursorInterferenceClosesTheEyeByTwiceItsSize)
{
    const std::vector<int> bits = Prbs(7).Take(300);
    for (double c : {-0.3, -0.1, 0.2}) {
        const EyeResult eye = EyeAnalysis::Measure(Wave(bits, 1.0, c, 1, 0), bits, Spb, 10, 4 * Spb);
        EXPECT_NEAR(eye.Height, 2.0 * (1.0 - std::fabs(c)), 1e-12) << c;
    }
    const EyeResult closed = EyeAnalysis::Measure(Wave(bits, 1.0, -1.2, 1, 0), bits, Spb, 10, 4 * Spb);
    ASSERT_TRUE(closed.Valid);
    EXPECT_LT(closed.Height, 0.0);
    EXPECT_EQ(closed.Width, 0.0);
}

TEST(EyeAnalysis, EdgesSpreadOverJSamplesLeaveAWidthOfSpbMinusJSamples)
{
    const std::vector<int> bits = Prbs(7).Take(300);
    for (int ramp : {2, 4, 8}) {
        // Without jitter the linear edges all cross the threshold at one
        // instant: open over the whole UI.
        EXPECT_DOUBLE_EQ(EyeAnalysis::Measure(Wave(bits, 1.0, 0.0, ramp, 5), bits, Spb, 10, 4 * Spb).Width, 1.0);
        for (int jitter : {1, 2, 5}) {
            // Late edges cross jitter samples after the early ones.
            const EyeResult eye = EyeAnalysis::Measure(Wave(bits, 1.0, 0.0, ramp, 0, jitter), bits, Spb, 10, 4 * Spb);
            EXPECT_NEAR(eye.Width, static_cast<double>(Spb - jitter) / Spb, 1e-9) << ramp << " " << jitter;
            EXPECT_DOUBLE_EQ(eye.Height, 2.0);
        }
    }
}

TEST(EyeAnalysis, TheChainsDelayIsFoundInTheLatency)
{
    const std::vector<int> bits = Prbs(15).Take(400);
    const std::size_t delay = 3 * Spb + 5;
    const EyeResult eye = EyeAnalysis::Measure(Wave(bits, 1.0, 0.0, 8, delay), bits, Spb, 10, 8 * Spb);
    EXPECT_DOUBLE_EQ(eye.Height, 2.0);
    // Fully open from 8 samples into a bit to its end: the first best latency.
    EXPECT_EQ(eye.Latency, delay + 7);
}

TEST(EyeAnalysis, WithoutBothSymbolsThereIsNoEye)
{
    const std::vector<int> ones(50, 1);
    EXPECT_FALSE(EyeAnalysis::Measure(std::vector<double>(50 * Spb, 1.0), ones, Spb, 0, Spb).Valid);
    EXPECT_FALSE(EyeAnalysis::Measure({}, {}, Spb, 0, Spb).Valid);
}
