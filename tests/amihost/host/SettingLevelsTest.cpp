#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "tools/amihost/host/SettingLevels.h"

namespace {

// The indices of `levels` that a sweep warns about.
std::vector<std::size_t> Warned(const std::vector<double>& levels)
{
    const std::vector<std::string> reasons = SettingLevels::Sweep(levels);
    std::vector<std::size_t> warned;
    for (std::size_t i = 0; i < reasons.size(); ++i)
        if (!reasons[i].empty())
            warned.push_back(i);
    return warned;
}

const double NaN = std::numeric_limits<double>::quiet_NaN();

} // namespace

TEST(SettingLevels, ASettingAloneIsWarnedWhenInvertedAboveTenTimesOrBelowAHundredthOfTheStep)
{
    EXPECT_EQ(SettingLevels::Own(0.68), "");
    EXPECT_EQ(SettingLevels::Own(0.01), "");
    // 40 dB down: what a 1 us bit time gets from the built model (5.7e-5).
    EXPECT_EQ(SettingLevels::Own(0.0099), "far below the input step (less than 0.01 times it)");
    EXPECT_EQ(SettingLevels::Own(0.0), "far below the input step (less than 0.01 times it)");
    EXPECT_EQ(SettingLevels::Own(10.0), "");
    EXPECT_EQ(SettingLevels::Own(-0.01), "inverted against the input step");
    EXPECT_EQ(SettingLevels::Own(10.01), "more than 10 times the input step");
    EXPECT_EQ(SettingLevels::Own(NaN), "not finite");
    EXPECT_EQ(SettingLevels::Own(-HUGE_VAL), "not finite");
}

TEST(SettingLevels, TheMedianIsOfTheFiniteLevels)
{
    EXPECT_EQ(SettingLevels::Median({3.0, 1.0, 2.0}), 2.0);
    EXPECT_EQ(SettingLevels::Median({4.0, 1.0, 2.0, 3.0}), 2.5);
    EXPECT_EQ(SettingLevels::Median({NaN, 5.0, HUGE_VAL}), 5.0);
    EXPECT_TRUE(std::isnan(SettingLevels::Median({})));
    EXPECT_TRUE(std::isnan(SettingLevels::Median({NaN})));
}

// The model's steady levels at 20 Gb/s and 32 samples per bit, de 0 to 15,
// as the kit's guide tables them: 1, 7, 8, 9 and 11 misbehave there.
TEST(SettingLevels, ASweepWarnsAboutTheSettingsThatDepartFromTheOthers)
{
    const std::vector<double> at20 = {0.67, -14.90, 0.67, 0.68, 0.67,   0.68, 0.68, 15.67,
                                      -45.59, 15.56, 0.68, 53.03, 0.68, 0.69, 0.69, 0.70};
    EXPECT_EQ(Warned(at20), (std::vector<std::size_t>{1, 7, 8, 9, 11}));
    // At 28 Gb/s and 64: 7 and 9 come within a factor of 2 (0.47, 0.44).
    const std::vector<double> at28 = {0.67, 7.80, 0.67, 0.68, 0.67, 0.68, 0.68, 0.47,
                                      0.67, 0.44, 0.68, -42.58, 0.68, 0.69, 0.69, 0.70};
    EXPECT_EQ(Warned(at28), (std::vector<std::size_t>{1, 11}));

    const std::vector<std::string> reasons = SettingLevels::Sweep({1.0, 1.0, 2.5, 0.45, 0.5, 2.0});
    EXPECT_EQ(reasons[2], "more than a factor of 2 from the median 1 of the swept settings");
    EXPECT_EQ(reasons[3], "more than a factor of 2 from the median 1 of the swept settings");
    EXPECT_EQ(reasons[4], ""); // exactly a factor of 2 either way is still in
    EXPECT_EQ(reasons[5], "");
    // Below a negative median a positive level has the other sign; the
    // negative ones are inverted on their own.
    EXPECT_EQ(SettingLevels::Sweep({-1.0, -1.0, 1.0})[2], "the other sign than the median -1 of the swept settings");
    EXPECT_EQ(SettingLevels::Sweep({-1.0, -1.0, 1.0})[0], "inverted against the input step");
}

TEST(SettingLevels, WithoutAMedianToCompareOnlyTheSettingsOwnLevelCounts)
{
    // A median of 0 compares nothing; the zeros are far below on their own.
    EXPECT_EQ(Warned({0.0, 0.0, 5.0}), (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(Warned({NaN, 0.5}), std::vector<std::size_t>{0});        // 0.5 is its own median
    EXPECT_EQ(Warned({12.0}), std::vector<std::size_t>{0});
    EXPECT_TRUE(SettingLevels::Sweep({}).empty());
}
