#include <gtest/gtest.h>

#include <string>

#include "tests/amihost/ModelAmiText.h"
#include "tools/amihost/amifile/ParameterString.h"

namespace {

AmiFile Load(const std::string& text)
{
    AmiFile file;
    std::string error;
    EXPECT_TRUE(AmiFile::Read(text, "m.ami", file, error)) << error;
    return file;
}

} // namespace

TEST(ParameterString, TheModelsFileGivesTheStringASimulatorSends)
{
    const AmiFile file = Load(ModelAmiText());
    std::string error;
    std::string parameters;
    ASSERT_TRUE(ParameterString::Build(file, {}, parameters, error)) << error;
    EXPECT_EQ(parameters, "(Halvex_tx (de 15))");
    ASSERT_TRUE(ParameterString::Build(file, {{"de", "3"}}, parameters, error)) << error;
    EXPECT_EQ(parameters, "(Halvex_tx (de 3))");

    EXPECT_FALSE(ParameterString::Build(file, {{"de", "16"}}, parameters, error));
    EXPECT_NE(error.find("parameter de (m.ami:"), std::string::npos) << error;
    EXPECT_NE(error.find("Integer, Range 0 .. 15, default 15): 16 is outside the range 0 .. 15"), std::string::npos)
        << error;
    EXPECT_FALSE(ParameterString::Build(file, {{"dee", "3"}}, parameters, error));
    EXPECT_NE(error.find("no parameter \"dee\""), std::string::npos) << error;
}

TEST(ParameterString, GroupsStayNestedStringsAreQuotedAndInfoIsLeftOut)
{
    const AmiFile file = Load(R"((rx (Model_Specific
        (mode (Usage In) (Type String) (List "fast" "slow"))
        (taps (a (Usage In) (Type Tap) (Range 0 -1 1)) (b (Usage In) (Type Tap) (Range 0.5 -1 1)))
        (note (Usage Info) (Type String) (Value "x"))
        (inner (deep (c (Usage InOut) (Type Integer) (Value 2))))
        (last (Usage In) (Type Boolean) (List True False)))))");
    std::string parameters;
    std::string error;
    ASSERT_TRUE(ParameterString::Build(file, {{"taps.b", "-1"}, {"a", "0.25"}, {"mode", "slow"}}, parameters, error))
        << error;
    EXPECT_EQ(parameters,
              "(rx (mode \"slow\") (taps (a 0.25) (b -1)) (inner (deep (c 2))) (last True))");
}

TEST(ParameterString, AmbiguousNamesNeedTheirPath)
{
    const AmiFile file = Load(R"((m (Model_Specific
        (x (v (Usage In) (Type Integer) (Range 0 0 3)))
        (y (v (Usage In) (Type Integer) (Range 0 0 3))))))");
    std::string parameters;
    std::string error;
    EXPECT_FALSE(ParameterString::Build(file, {{"v", "1"}}, parameters, error));
    EXPECT_EQ(error, "parameter name \"v\" is ambiguous in m.ami (x.v, y.v); give its dotted path");
    ASSERT_TRUE(ParameterString::Build(file, {{"y.v", "1"}, {"y.v", "2"}}, parameters, error)) << error;
    EXPECT_EQ(parameters, "(m (x (v 0)) (y (v 2)))");
}

TEST(ParameterString, SettingsAreNameEqualsValue)
{
    ParameterString::Setting setting;
    std::string error;
    ASSERT_TRUE(ParameterString::ParseSetting("de=3=4", setting, error));
    EXPECT_EQ(setting.Key, "de");
    EXPECT_EQ(setting.Value, "3=4");
    for (const char* bad : {"de", "=3", "de=", ""})
        EXPECT_FALSE(ParameterString::ParseSetting(bad, setting, error)) << bad;
}
