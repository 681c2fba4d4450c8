#include "params/DecimalNumber.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

std::uint64_t Bits(double x)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}

// Texts at the edges of the double range and of rounding, where two
// conversions are most likely to part.
const char* const EdgeTexts[] = {
    "0", "0.0", "000", ".5", "5.", "1e", "1e+", "1.5e-", "00012.50",
    "4.9406564584124654e-324",  // smallest subnormal
    "2.4703282292062327e-324",  // just below half of it: 0
    "2.4703282292062328e-324",  // just above: the smallest subnormal
    "2.2250738585072011e-308",  // just below the smallest normal
    "2.2250738585072014e-308",  // the smallest normal
    "1.7976931348623157e308",   // the largest double
    "1.7976931348623158e308",   // rounds down to it
    "1.7976931348623159e308",   // overflows
    "1e-400", "1e400", "0e999999999999", "1e-99999999999999999999", "1e99999999999999999999",
    "9007199254740993",         // 2^53 + 1: a tie, to even
    "0.1", "0.30000000000000004", "123456789012345678901234567890",
    "0.000000000000000000000000000000000000001e-300",
};

} // namespace

TEST(DecimalNumber, BothRoutesGiveTheSameBitsAtTheEdgesOfRangeAndRounding)
{
    for (const char* text : EdgeTexts)
        EXPECT_EQ(Bits(DecimalToDouble(text)), Bits(DecimalToDoubleInCLocale(text))) << text;
}

TEST(DecimalNumber, BothRoutesGiveTheSameBitsForRandomDecimals)
{
    std::mt19937_64 random(7);
    std::uniform_int_distribution<int> digitCount(1, 30), digit(0, 9), exponent(-340, 320), coin(0, 3);
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        const int digits = digitCount(random);
        const int point = coin(random) == 0 ? -1 : std::uniform_int_distribution<int>(0, digits)(random);
        for (int d = 0; d < digits; ++d) {
            if (d == point)
                text += '.';
            text += static_cast<char>('0' + digit(random));
        }
        if (coin(random) != 0)
            text += (coin(random) == 0 ? "E" : "e") + std::to_string(exponent(random));
        ASSERT_EQ(Bits(DecimalToDouble(text.c_str())), Bits(DecimalToDoubleInCLocale(text.c_str()))) << text;
    }
}

TEST(DecimalNumber, OutOfRangeGivesInfinityOrZeroAndACommaEndsTheNumber)
{
    EXPECT_EQ(DecimalToDouble("1e400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(Bits(DecimalToDouble("1e-400")), Bits(0.0));
    EXPECT_EQ(DecimalToDouble("3.25"), 3.25);
    EXPECT_EQ(DecimalToDouble("3,25"), 3.0);
    EXPECT_EQ(DecimalToDoubleInCLocale("3,25"), 3.0);
}
