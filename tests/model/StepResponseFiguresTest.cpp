#include "model/report/StepResponseFigures.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A step from -1 to 1 on a non-uniform grid: flat with a slight drift up to
// t = 10, a rise through zero at t = 12, a peak of 1.5 at t = 14, a settling
// run outside the 1 % band up to t = 17, and a two-point outlier at t = 30.
struct Synthetic {
    std::vector<double> Stamps;
    std::vector<double> Values;

    Synthetic()
    {
        // Steps of 1 up to 10, of 0.5 up to 20, then of 1 again.
        for (int i = 0; i <= 50; ++i) {
            const double t = i <= 10 ? i : i <= 30 ? 10.0 + (i - 10) * 0.5 : i - 10.0;
            double v = 1.0;
            if (t <= 10.0)
                v = -1.0 + 0.001 * t;
            else if (t < 14.0)
                v = -1.0 + (t - 10.0) * 0.625; // 0 at t = 11.6, first >= 0 at 12
            else if (t < 17.5)
                v = 1.5 - (t - 14.0) * 0.14;  // outside 1 % up to t = 17
            if (t == 30.0 || t == 31.0)
                v = -4.0;
            Stamps.push_back(t);
            Values.push_back(v);
        }
    }

    StepResponseFigures Measure(double peakWindow) const
    {
        return StepResponseFigures::Measure(Values.data(), Stamps.data(),
                                            static_cast<int>(Values.size()), peakWindow, 10.5,
                                            0.01);
    }
};

} // namespace

TEST(StepResponseFigures, MeasuresCrossingPeakAndSettlingOfAStep)
{
    const Synthetic step;
    const StepResponseFigures f = step.Measure(20.0);
    EXPECT_EQ(f.LastValue, 1.0);
    EXPECT_EQ(f.ZeroTime, 12.0);
    EXPECT_DOUBLE_EQ(f.Peak, 1.5);
    EXPECT_EQ(f.PeakTime, 14.0);
    EXPECT_EQ(f.Lowest, -1.0);
    EXPECT_EQ(f.LowestTime, 0.0);
    EXPECT_NEAR(f.SteadyDrift, 0.01, 1e-12);
    // The run outside the band ends after t = 17; the two points at t = 30
    // and 31 are isolated outliers and do not delay settling.
    EXPECT_EQ(f.SettleTime, 17.5);
    EXPECT_EQ(f.Outliers, 2);
}

TEST(StepResponseFigures, PeakAndLowestLookOnlyInsideTheWindow)
{
    const Synthetic step;
    const StepResponseFigures f = step.Measure(13.0);
    EXPECT_DOUBLE_EQ(f.Peak, -1.0 + 2.5 * 0.625);
    EXPECT_EQ(f.PeakTime, 12.5);
    EXPECT_EQ(f.Lowest, -1.0); // the outliers at t = 30 lie outside
}

TEST(StepResponseFigures, RoundsToSignificantDigits)
{
    EXPECT_EQ(StepResponseFigures::Round(0.3024644585880001, 9), 0.302464459);
    EXPECT_EQ(StepResponseFigures::Round(1.23249e-09, 4), 1.232e-09);
    EXPECT_EQ(StepResponseFigures::Round(-9.8564, 2), -9.9);
}

TEST(StepResponseFigures, StampStatisticsFlagARepeatedStamp)
{
    const double good[] = {0.0, 1.0, 3.0, 3.5};
    const TimeStampFigures g = TimeStampFigures::Measure(good, 4);
    EXPECT_TRUE(g.Ascending);
    EXPECT_EQ(g.SmallestStep, 0.5);
    EXPECT_EQ(g.LargestStep, 2.0);
    EXPECT_DOUBLE_EQ(g.MeanStep, 3.5 / 3);
    const double repeated[] = {0.0, 1.0, 1.0, 2.0};
    const TimeStampFigures r = TimeStampFigures::Measure(repeated, 4);
    EXPECT_FALSE(r.Ascending);
    EXPECT_EQ(r.SmallestStep, 0.0);
}

TEST(StepResponseFigures, TapFiguresAndChecksumCoverEveryElementInOrder)
{
    const double taps[] = {0.5, -1.0, 2.0};
    const TapFigures f = TapFigures::Measure(taps, 3);
    EXPECT_EQ(f.Count, 3);
    EXPECT_EQ(f.Largest, 2.0);
    EXPECT_EQ(f.Sum, 1.5);
    EXPECT_EQ(TapFigures::Measure(taps, 0).Count, 0);

    // FNV-1a 64 of no bytes is its offset basis; of 1.0, -2.5 as little-endian
    // bytes a value computed independently.
    EXPECT_EQ(TableChecksum(taps, 0), 0xcbf29ce484222325ULL);
    const double pair[] = {1.0, -2.5};
    const double swapped[] = {-2.5, 1.0};
    EXPECT_EQ(TableChecksum(pair, 2), 0x2f20b4ea1c69d79cULL);
    EXPECT_NE(TableChecksum(swapped, 2), TableChecksum(pair, 2));
}
