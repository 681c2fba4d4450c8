#include "runtime/TypeConverter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "runtime/CircularBuffer.h"
#include "tests/runtime/PortsFixture.h"

using namespace TorvaneModelBuilder;

TEST(TypeConverterRound, RoundsHalvesAwayFromZero)
{
    struct Case { double x; int32_t expected; };
    const Case cases[] = {
        {2.5, 3},    {-2.5, -3},     {0.5, 1},   {-0.5, -1},  {2.4999, 2},
        {-2.4999, -2}, {14.5, 15},   {15.5, 16}, {-0.4, 0},   {0.0, 0},
        {0.49999999999999994, 1}, // x + 0.5 rounds to exactly 1.0 in double
        {2147483647.4, 2147483647}, {-2147483648.4, -2147483647 - 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TypeConverterRound::Convert(c.x), c.expected) << c.x;
}

TEST(TypeConverterRound, NaNAndValuesOutsideInt32GiveTheSmallestInt32)
{
    const int32_t smallest = std::numeric_limits<int32_t>::min();
    const double cases[] = {std::nan(""), 1e10, -1e10, 2147483647.5,
                            -2147483648.5, std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity()};
    for (double x : cases)
        EXPECT_EQ(TypeConverterRound::Convert(x), smallest) << x;
}

TEST(ScalarToScalar, ConvertsTheCurrentElementThroughThePolicy)
{
    ScalarToScalar<CircularBuffer<double>, CircularBuffer<int>, TypeConverterRound> convert;
    PortStorage<double> in;
    PortStorage<int> out;
    double& x = in.Connect(convert.Input, 3.6);
    int& y = out.Connect(convert.Output, 0);
    EXPECT_TRUE(convert.Run());
    EXPECT_EQ(y, 4);
    x = -0.5;
    EXPECT_TRUE(convert.Run());
    EXPECT_EQ(y, -1);
}
