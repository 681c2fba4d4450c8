#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

#include "ibis/IbisIvCsv.h"

// Every number written reads back to the same double, and no shorter
// decimal would (checked here with strtod and printf's %.*g, apart from
// the formatter under test); zero of either sign is "0".
TEST(IbisIvCsv, NumbersAreTheShortestDecimalsThatReadBackExactly)
{
    EXPECT_EQ(IbisIvCsv::Number(0.74522), "0.74522");
    EXPECT_EQ(IbisIvCsv::Number(-0.0), "0");
    EXPECT_EQ(IbisIvCsv::Number(20.0e-3), "0.02");
    EXPECT_EQ(IbisIvCsv::Number(-4.538), "-4.538");
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-15, 3);
    for (int i = 0; i < 20000; ++i) {
        const double value = mantissa(random) * std::pow(10.0, exponent(random));
        const std::string text = IbisIvCsv::Number(value);
        ASSERT_EQ(std::strtod(text.c_str(), nullptr), value) << text;
        int shortest = 1;
        char buffer[40];
        for (; shortest < 17; ++shortest) {
            std::snprintf(buffer, sizeof buffer, "%.*g", shortest, value);
            if (std::strtod(buffer, nullptr) == value)
                break;
        }
        std::size_t digits = 0;
        for (std::size_t k = 0; k < text.size() && text[k] != 'e'; ++k)
            digits += text[k] >= '0' && text[k] <= '9';
        const std::size_t leading = text.find_first_of("123456789") - text.find_first_of("0123456789");
        EXPECT_LE(digits - (text.find('.') != std::string::npos ? leading : 0), static_cast<std::size_t>(shortest))
            << text << " against " << buffer;
    }
}

// A table in descending voltage order (as older vendors' files write them)
// gives the same CSV as the same table rising.
TEST(IbisIvCsv, ATableInEitherOrderGivesTheSameRows)
{
    IbisModel up, down;
    up.Name = down.Name = "m";
    for (int i = -2; i <= 2; ++i) {
        IbisIvRow row;
        row.Voltage = 0.5 * i;
        row.Current.Typ = 0.01 * i;
        row.Current.Min = i == 0 ? std::optional<double>() : 0.009 * i;
        up.Pulldown.Rows.push_back(row);
        down.Pulldown.Rows.insert(down.Pulldown.Rows.begin(), row);
    }
    for (const IbisIvCsv::Corner corner : {IbisIvCsv::Typ, IbisIvCsv::Min, IbisIvCsv::Max})
        EXPECT_EQ(IbisIvCsv::Csv(down, corner), IbisIvCsv::Csv(up, corner));
    const std::string csv = IbisIvCsv::Csv(up, IbisIvCsv::Min);
    EXPECT_NE(csv.find("\n-1,-0.018,,,\n-0.5,-0.009,,,\n0,,,,\n0.5,0.009,,,\n"), std::string::npos) << csv;
    EXPECT_EQ(IbisIvCsv::FileName("a b/c", IbisIvCsv::Max), "a_b_c_max.csv");
}
