#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tools/amihost/channel/LossyLine.h"

namespace {

constexpr double BitTime = 7.8125e-11;
constexpr double Dt = BitTime / 32;

} // namespace

TEST(LossyLine, TheLossAtNyquistIsTheOneAskedFor)
{
    for (double loss : {3.0, 12.0, 25.0}) {
        std::vector<double> taps;
        std::string error;
        ASSERT_TRUE(LossyLine::Design(loss, BitTime, Dt, 256 * 32, taps, error)) << error;
        EXPECT_NEAR(LossyLine::LossAt(taps, Dt, 0.5 / BitTime), loss, 0.02) << loss;
        // The loss grows with frequency, and DC passes nearly whole (the
        // conductor loss's slow tail is cut at 256 UI).
        EXPECT_GT(LossyLine::LossAt(taps, Dt, 1.0 / BitTime), LossyLine::LossAt(taps, Dt, 0.5 / BitTime));
        EXPECT_LT(LossyLine::LossAt(taps, Dt, 0.25 / BitTime), loss * 0.6);
        EXPECT_LT(LossyLine::LossAt(taps, Dt, 0.0), 0.3);
    }
}

TEST(LossyLine, ALosslessLineIsASingleUnitTap)
{
    std::vector<double> taps;
    std::string error;
    ASSERT_TRUE(LossyLine::Design(0.0, BitTime, Dt, 1024, taps, error));
    ASSERT_EQ(taps.size(), 1u);
    EXPECT_NEAR(taps[0], 1.0, 1e-12);
}

TEST(LossyLine, BadArgumentsAreRefused)
{
    std::vector<double> taps;
    std::string error;
    EXPECT_FALSE(LossyLine::Design(-1.0, BitTime, Dt, 1024, taps, error));
    EXPECT_FALSE(LossyLine::Design(std::nan(""), BitTime, Dt, 1024, taps, error));
    EXPECT_FALSE(LossyLine::Design(10.0, BitTime, BitTime, 1024, taps, error));
    EXPECT_FALSE(LossyLine::Design(10.0, BitTime, Dt, 0, taps, error));
    EXPECT_TRUE(taps.empty());
}
