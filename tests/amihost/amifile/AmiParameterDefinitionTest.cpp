#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/amihost/amifile/AmiParameterDefinition.h"

namespace {

AmiParameterDefinition Definition(AmiValueKeyword type, AmiValueKeyword format, std::vector<std::string> values)
{
    AmiParameterDefinition d;
    d.Path = {"grp", "p"};
    d.Line = 12;
    d.Usage = AmiKeywordIn;
    d.Type = type;
    d.Format = format;
    d.Values = std::move(values);
    d.Default = d.Values[0];
    return d;
}

// "" when accepted, else the reason.
std::string Judged(const AmiParameterDefinition& d, const std::string& value)
{
    std::string reason;
    const bool accepted = d.Accepts(value, reason);
    EXPECT_EQ(accepted, reason.empty()) << value << ": " << reason;
    return reason;
}

} // namespace

// The type is judged first, as the model's parser classifies the text: no
// hexadecimal, infinity or not-a-number slips through as a number.
TEST(AmiParameterDefinition, AValueMustBeOfTheTypeBeforeItsFormatIsAsked)
{
    const AmiParameterDefinition integer = Definition(AmiKeywordInteger, AmiKeywordRange, {"1", "-5", "5"});
    EXPECT_EQ(Judged(integer, "-5"), "");
    EXPECT_EQ(Judged(integer, "+3"), "");
    EXPECT_EQ(Judged(integer, "2.0"), "\"2.0\" is not an integer");
    EXPECT_EQ(Judged(integer, "1e0"), "\"1e0\" is not an integer");
    EXPECT_EQ(Judged(integer, "99999999999999999999"), "99999999999999999999 is outside the range -5 .. 5");
    const AmiParameterDefinition real = Definition(AmiKeywordFloat, AmiKeywordRange, {"0", "-1e300", "1e300"});
    for (const char* number : {"0.5", "-.5", "+1.", "2E-3", " 7"})
        EXPECT_EQ(Judged(real, number), "") << number;
    for (const char* notNumber : {"0x10", "inf", "nan", "1e", "", "1,5", "1e999"})
        EXPECT_EQ(Judged(real, notNumber), "\"" + std::string(notNumber) + "\" is not a number") << notNumber;
    const AmiParameterDefinition flag = Definition(AmiKeywordBoolean, AmiKeywordList, {"True", "False"});
    EXPECT_EQ(Judged(flag, "False"), "");
    EXPECT_EQ(Judged(flag, "true"), "\"true\" is not True or False");
    const AmiParameterDefinition text = Definition(AmiKeywordString, AmiKeywordValue, {"x y"});
    EXPECT_EQ(Judged(text, "x \"y"), "a string value cannot hold a double quote");
    EXPECT_EQ(Judged(text, "x y"), "");
}

// Numbers are compared by value (1.0 is 1), texts by their characters.
TEST(AmiParameterDefinition, ListsAndCornersCompareNumbersByValueAndTextsByCharacters)
{
    const AmiParameterDefinition list = Definition(AmiKeywordFloat, AmiKeywordList, {"1", "2.5"});
    EXPECT_EQ(Judged(list, "1.0"), "");
    EXPECT_EQ(Judged(list, "25e-1"), "");
    EXPECT_EQ(Judged(list, "3"), "3 is not one of 1, 2.5");
    const AmiParameterDefinition corner = Definition(AmiKeywordString, AmiKeywordCorner, {"typ", "slow", "fast"});
    EXPECT_EQ(Judged(corner, "slow"), "");
    EXPECT_EQ(Judged(corner, "Slow"), "Slow is not one of typ, slow, fast");
    const AmiParameterDefinition fixed = Definition(AmiKeywordUI, AmiKeywordValue, {"0.5"});
    EXPECT_EQ(Judged(fixed, "0.50"), "");
    EXPECT_EQ(Judged(fixed, "0.51"), "the value is fixed at 0.5");
}

// Increment: min + k * delta; Steps: min + k * (max - min) / n; both within
// the bounds, which belong to the range.
TEST(AmiParameterDefinition, GridsHoldTheirBoundsAndPointsWithinRounding)
{
    const AmiParameterDefinition increment = Definition(AmiKeywordFloat, AmiKeywordIncrement, {"0", "-1", "1", "0.1"});
    for (const char* on : {"-1", "1", "0.3", "-0.7"})
        EXPECT_EQ(Judged(increment, on), "") << on;
    EXPECT_EQ(Judged(increment, "0.35"), "0.35 is not on the grid -1 + k * 0.1");
    EXPECT_EQ(Judged(increment, "1.1"), "1.1 is outside the range -1 .. 1");
    const AmiParameterDefinition steps = Definition(AmiKeywordFloat, AmiKeywordSteps, {"0", "0", "1", "3"});
    EXPECT_EQ(Judged(steps, "0.3333333333333333"), "");
    EXPECT_EQ(Judged(steps, "1"), "");
    EXPECT_EQ(Judged(steps, "0.5"), "0.5 is not on the grid 0 + k * (1 - 0) / 3");
    const AmiParameterDefinition range = Definition(AmiKeywordInteger, AmiKeywordRange, {"0", "0", "15"});
    EXPECT_EQ(Judged(range, "0"), "");
    EXPECT_EQ(Judged(range, "15"), "");
    EXPECT_EQ(Judged(range, "16"), "16 is outside the range 0 .. 15");
}

TEST(AmiParameterDefinition, MessagesNameThePathTheLineAndTheDefaultAsWritten)
{
    AmiParameterDefinition mode = Definition(AmiKeywordString, AmiKeywordList, {"fast", "slow"});
    mode.Default = "slow";
    EXPECT_EQ(mode.DottedPath(), "grp.p");
    EXPECT_EQ(mode.Written("a b"), "\"a b\"");
    EXPECT_EQ(mode.Cited("rx.ami"), "parameter grp.p (rx.ami:12, String, List fast slow, default \"slow\")");
    const AmiParameterDefinition steps = Definition(AmiKeywordUI, AmiKeywordSteps, {"2", "0", "4", "8"});
    EXPECT_EQ(steps.Written("2"), "2");
    EXPECT_EQ(steps.Describe(), "UI, Steps 0 .. 4 in 8 steps, default 2");
    EXPECT_TRUE(steps.Numeric());
    EXPECT_FALSE(mode.Numeric());
    EXPECT_TRUE(steps.Sent());
    mode.Usage = AmiKeywordOut;
    EXPECT_FALSE(mode.Sent());
}
