#include <gtest/gtest.h>

#include <vector>

#include "tools/amihost/eye/GaussianTail.h"
#include "tools/amihost/signal/GaussianNoise.h"

TEST(GaussianTail, AGaussianSampleGivesBackItsMeanAndSigmaFromEitherTail)
{
    for (std::uint64_t seed : {1u, 2u, 3u}) {
        GaussianNoise noise(seed);
        std::vector<double> values(100000);
        for (double& v : values)
            v = 0.3 + 0.02 * noise.Next();
        std::vector<double> copy = values;
        GaussianTail lower;
        GaussianTail upper;
        ASSERT_TRUE(GaussianTail::FitLower(values, lower));
        ASSERT_TRUE(GaussianTail::FitUpper(copy, upper));
        // 1000 tail points each: sigma comes out within 3.3 % (one standard
        // deviation, over many seeds), the level at 1e-12 within 0.15 sigma.
        // The bounds are three of those.
        EXPECT_NEAR(lower.Sigma, 0.02, 0.002) << seed;
        EXPECT_NEAR(upper.Sigma, 0.02, 0.002) << seed;
        EXPECT_NEAR(lower.Mean, 0.3, 0.006) << seed;
        EXPECT_NEAR(upper.Mean, 0.3, 0.006) << seed;
        EXPECT_NEAR(lower.LowerLevel(1e-12), 0.3 - 7.0345 * 0.02, 0.01);
        EXPECT_NEAR(upper.UpperLevel(1e-12), 0.3 + 7.0345 * 0.02, 0.01);
    }
}

TEST(GaussianTail, EqualValuesAreNotExtrapolated)
{
    std::vector<double> values(500, 0.25);
    for (std::size_t i = 0; i < values.size(); i += 3)
        values[i] = 0.75; // a second level further in
    GaussianTail tail;
    ASSERT_TRUE(GaussianTail::FitLower(values, tail));
    EXPECT_EQ(tail.Sigma, 0.0);
    EXPECT_EQ(tail.Mean, 0.25);
    EXPECT_EQ(tail.LowerLevel(1e-15), 0.25);
    std::vector<double> few(2 * GaussianTail::MinPoints - 1, 1.0);
    EXPECT_FALSE(GaussianTail::FitLower(few, tail));
}
