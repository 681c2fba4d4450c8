#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "tools/amihost/eye/StepAnalysis.h"

namespace {

constexpr int Spb = 8;

// Step response of a two-tap de-emphasis FIR c0 + c1 z^-Spb, with a linear
// rise of `rise` samples, starting at sample `edge`.
std::vector<double> TwoTapStep(double c0, double c1, std::size_t edge, int rise)
{
    std::vector<double> s(edge + 20 * Spb, 0.0);
    for (std::size_t n = edge; n < s.size(); ++n) {
        const double t = static_cast<double>(n - edge);
        const double ramp = std::min(1.0, (t + 1) / rise);
        const double later = n >= edge + Spb ? std::min(1.0, (t - Spb + 1) / rise) : 0.0;
        s[n] = c0 * ramp + c1 * later;
    }
    return s;
}

} // namespace

TEST(StepAnalysis, DeemphasisIsTheTransitionBitAgainstTheSteadyLevel)
{
    // Transition c0 - c1 against steady c0 + c1 (c1 < 0) from the midline:
    // (2 c0 / (c0 + c1) - 1) = (c0 - c1) / (c0 + c1).
    for (double c1 : {0.0, -0.1, -0.25, -1.0 / 3.0}) {
        const double expected = 20.0 * std::log10((1.0 - c1) / (1.0 + c1));
        EXPECT_NEAR(StepAnalysis::DeemphasisDb(TwoTapStep(1.0, c1, 40, 2), 40, Spb), expected, 1e-12) << c1;
        // Scale does not matter.
        EXPECT_NEAR(StepAnalysis::DeemphasisDb(TwoTapStep(-3.0, -3.0 * c1, 40, 2), 40, Spb), expected, 1e-12);
    }
}

TEST(StepAnalysis, DeemphasisIsUndefinedWithoutAStep)
{
    EXPECT_TRUE(std::isnan(StepAnalysis::DeemphasisDb(std::vector<double>(100, 0.0), 10, Spb)));
    EXPECT_TRUE(std::isnan(StepAnalysis::DeemphasisDb({}, 0, Spb)));
    // The crossing too close to the end to see half a UI after it.
    EXPECT_TRUE(std::isnan(StepAnalysis::DeemphasisDb({0.0, 0.0, 1.0, 1.0}, 0, Spb)));
}

TEST(StepAnalysis, SettlingCountsWholeBitsUntilTheStepStaysWithinTolerance)
{
    // Rises over 3 bits (24 samples): within 2 % after 23.52 samples.
    const std::vector<double> step = TwoTapStep(1.0, 0.0, 16, 3 * Spb);
    EXPECT_EQ(StepAnalysis::SettleBits(step, 16, Spb, 0.02), 3u);
    EXPECT_EQ(StepAnalysis::SettleBits(step, 16, Spb, 0.5), 2u);
    EXPECT_EQ(StepAnalysis::SettleBits(TwoTapStep(1.0, 0.0, 16, 1), 16, Spb, 0.02), 1u);
}
