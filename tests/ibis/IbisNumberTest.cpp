#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ibis/reader/IbisNumber.h"

namespace {

double Parsed(const std::string& text)
{
    double value = -12345.0;
    EXPECT_TRUE(IbisNumber::Parse(text, value)) << text;
    return value;
}

} // namespace

TEST(IbisNumber, ScaleLettersGiveTheDecimalTheTokenSpellsRoundedOnce)
{
    // Each token against the plain decimal it means, converted by the C
    // library: the scale must land in the exponent, not in a multiplication
    // (20.0 * 1e-3 is not the double nearest 0.02).
    const struct {
        const char* token;
        const char* decimal;
    } cases[] = {
        {"20.0mA", "0.02"},   {"10.0fF", "1.0e-14"}, {"0.0nH", "0"},      {"1.5T", "1.5e12"},
        {"2G", "2e9"},        {"3.3M", "3.3e6"},     {"4.7k", "4.7e3"},   {"0.3u", "0.3e-6"},
        {"7n", "7e-9"},       {"1.0p", "1e-12"},     {"0.1V", "0.1"},     {"50ohm", "50"},
        {"-1.0V", "-1.0"},    {"+2.5", "2.5"},       {".5", "0.5"},       {"5.", "5"},
        {"1.5e-3", "1.5e-3"}, {"1.5E3k", "1.5e6"},   {"2e+2p", "2e-10"},  {"1Meg", "1e6"},
        {"1e", "1"},          {"3F", "3"},           {"2H", "2"},         {"1K", "1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Parsed(c.token), std::strtod(c.decimal, nullptr)) << c.token;
    EXPECT_EQ(Parsed("10.0fF"), 1e-14);
    EXPECT_NE(10.0 * 1e-15, 1e-14); // why the scale is folded into the exponent
}

TEST(IbisNumber, AnythingButDigitsScaleAndUnitLettersIsRefused)
{
    const char* const refused[] = {
        "",     "NA",     "V",      "-",     "+-1",   ".",      "1..2",   "1.0.0", "1,5", "1V2",
        "0x10", "1 V",    "1%",     "inf",   "nan",   "1e999",  "1e-999", "1T1",   "1\xC2\xB5",
        "1/2",  "--1",    "1e5e5",
    };
    for (const char* text : refused) {
        double value = 0.0;
        EXPECT_FALSE(IbisNumber::Parse(text, value)) << text;
    }
}

TEST(IbisNumber, NaInAnyCaseIsAnEmptyValue)
{
    for (const char* na : {"NA", "na", "Na", "nA"}) {
        std::optional<double> value = 1.0;
        EXPECT_TRUE(IbisNumber::ParseOrNa(na, value)) << na;
        EXPECT_FALSE(value.has_value());
    }
    std::optional<double> value;
    EXPECT_TRUE(IbisNumber::ParseOrNa("10pF", value));
    EXPECT_EQ(value, 1e-11);
    EXPECT_FALSE(IbisNumber::ParseOrNa("NAN", value));
    EXPECT_FALSE(IbisNumber::ParseOrNa("N/A", value));
}

TEST(IbisNumber, RampRatesKeepBothNumbers)
{
    std::optional<IbisSlope> slope;
    ASSERT_TRUE(IbisNumber::ParseSlope("0.30/1.0p", slope));
    EXPECT_EQ(slope->Dv, 0.30);
    EXPECT_EQ(slope->Dt, 1e-12);
    ASSERT_TRUE(IbisNumber::ParseSlope("0.5V/2.5ns", slope));
    EXPECT_EQ(slope->Dv, 0.5);
    EXPECT_EQ(slope->Dt, 2.5e-9);
    ASSERT_TRUE(IbisNumber::ParseSlope("1/0", slope)); // a zero time is the checker's to judge
    EXPECT_EQ(slope->Dt, 0.0);
    ASSERT_TRUE(IbisNumber::ParseSlope("na", slope));
    EXPECT_FALSE(slope.has_value());
    for (const char* bad : {"0.3", "0.3/", "/1p", "0.3/1p/2", "a/b", "0.3 /1p"})
        EXPECT_FALSE(IbisNumber::ParseSlope(bad, slope)) << bad;
}
