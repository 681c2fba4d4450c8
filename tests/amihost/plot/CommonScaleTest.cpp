#include <gtest/gtest.h>

#include <vector>

#include "tools/amihost/plot/CommonScale.h"

TEST(CommonScale, OnlyWhatStraysBeyondTheTypicalSpanKeepsItsOwnScale)
{
    // Typical extents about -0.35 .. 0.35 (span 0.7); one at fifteen times
    // that, one a little wider than the rest, one without data.
    const std::vector<CommonScale::Extent> extents = {{-0.3, 0.3, true},  {-0.35, 0.35, true}, {-6.0, 6.0, true},
                                                      {-0.4, 0.4, true},  {-0.6, 0.9, true},   {0.0, 0.0, false},
                                                      {-0.32, 0.33, true}};
    const std::vector<bool> outlying = CommonScale::Outlying(extents);
    EXPECT_EQ(outlying, (std::vector<bool>{false, false, true, false, false, false, false}));
    double low = 0.0;
    double high = 0.0;
    ASSERT_TRUE(CommonScale::Range(extents, outlying, low, high));
    EXPECT_EQ(low, -0.6);
    EXPECT_EQ(high, 0.9);
    // Too few to say what is typical.
    EXPECT_EQ(CommonScale::Outlying({{0.0, 1.0, true}, {0.0, 100.0, true}}), (std::vector<bool>{false, false}));
    EXPECT_FALSE(CommonScale::Range({{0.0, 0.0, false}}, {false}, low, high));
}
