#include <gtest/gtest.h>

#include <vector>

#include "tests/amihost/channel/SharedTouchstone.h"
#include "tools/amihost/channel/findings/BandCoverage.h"

// 12.8 Gb/s (T = 78.125 ps) sampled at T / 32 needs data to the bit rate,
// 12.8 GHz: data to 1 GHz are short (1/12.8 of it) and tapered to 0 there;
// data to 40 GHz cover it; sampled at T / 1 the run resolves only 6.4 GHz,
// and that is the band needed.
TEST(BandCoverage, TheBandNeededIsTheBitRateOrTheSamplesNyquistIfLower)
{
    const double bitTime = 78.125e-12;
    const BandCoverage shortData = BandCoverage::Assess({0.0, 0.5e9, 1e9}, bitTime, bitTime / 32);
    EXPECT_DOUBLE_EQ(shortData.Needed, 12.8e9);
    EXPECT_DOUBLE_EQ(shortData.SampleNyquist, 204.8e9);
    EXPECT_DOUBLE_EQ(shortData.Share, 1.0 / 12.8);
    EXPECT_TRUE(shortData.Short);
    EXPECT_EQ(shortData.Rest, BandCoverage::Extension::TaperedToZero);

    const BandCoverage wide = BandCoverage::Assess({1e7, 40e9}, bitTime, bitTime / 32);
    EXPECT_FALSE(wide.Short);
    EXPECT_FALSE(wide.BeyondSampling);
    EXPECT_EQ(wide.Rest, BandCoverage::Extension::None);

    const BandCoverage coarse = BandCoverage::Assess({1e7, 40e9}, bitTime, bitTime);
    EXPECT_DOUBLE_EQ(coarse.Needed, 6.4e9);
    EXPECT_TRUE(coarse.BeyondSampling);
    EXPECT_FALSE(coarse.Short);
    EXPECT_TRUE(BandCoverage::Assess({}, bitTime, bitTime / 32).Short);
}

// A measured board trace to 10 GHz is short for 12.8 Gb/s and covers
// 10 Gb/s; a measured cable to 40 GHz covers both.
TEST(BandCoverage, MeasuredFilesAreShortOnlyBelowTheBitRate)
{
    const std::string dir = SharedDataDir("touchstone");
    if (dir.empty())
        GTEST_SKIP() << SharedDataMissing("touchstone");
    const TouchstoneData trace = SharedTouchstone(dir, "P1-MSL_Thru_200-P2.s2p");
    const TouchstoneData cable = SharedTouchstone(dir, "CABLE1_TX_pair.s4p");
    ASSERT_EQ(trace.Frequencies.back(), 10e9);
    ASSERT_EQ(cable.Frequencies.back(), 40e9);
    const BandCoverage fast = BandCoverage::Assess(trace.Frequencies, 78.125e-12, 78.125e-12 / 32);
    EXPECT_TRUE(fast.Short);
    EXPECT_DOUBLE_EQ(fast.Share, 10.0 / 12.8);
    EXPECT_FALSE(BandCoverage::Assess(trace.Frequencies, 100e-12, 100e-12 / 32).Short);
    EXPECT_FALSE(BandCoverage::Assess(cable.Frequencies, 78.125e-12, 78.125e-12 / 32).Short);
}
