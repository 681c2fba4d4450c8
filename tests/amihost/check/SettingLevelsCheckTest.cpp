#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/amihost/ModelAmiText.h"
#include "tools/amihost/check/SettingLevelsCheck.h"

namespace {

AmiParameterDefinition Definition(AmiValueKeyword type, AmiValueKeyword format, std::vector<std::string> values)
{
    AmiParameterDefinition d;
    d.Path = {"p"};
    d.Usage = AmiKeywordIn;
    d.Type = type;
    d.Format = format;
    d.Values = std::move(values);
    d.Default = d.Values.empty() ? "" : d.Values.front();
    return d;
}

using Settings = std::vector<long long>;

} // namespace

TEST(SettingLevelsCheck, SweepsTheWholeNumbersOfAnIntegerRangeListOrIncrementUpTo64)
{
    EXPECT_EQ(SettingLevelsCheck::Settings(Definition(AmiKeywordInteger, AmiKeywordRange, {"2", "0", "3"})),
              Settings({0, 1, 2, 3}));
    EXPECT_EQ(SettingLevelsCheck::Settings(Definition(AmiKeywordInteger, AmiKeywordIncrement, {"0", "-4", "4", "4"})),
              Settings({-4, 0, 4}));
    EXPECT_EQ(SettingLevelsCheck::Settings(Definition(AmiKeywordInteger, AmiKeywordList, {"7", "3"})),
              Settings({7, 3}));
    EXPECT_EQ(SettingLevelsCheck::Settings(Definition(AmiKeywordInteger, AmiKeywordRange, {"0", "0", "63"}))->size(),
              64u);
    // Too many, not whole, not integer, or not a set of settings at all.
    EXPECT_FALSE(SettingLevelsCheck::Settings(Definition(AmiKeywordInteger, AmiKeywordRange, {"0", "0", "64"})));
    EXPECT_FALSE(SettingLevelsCheck::Settings(Definition(AmiKeywordInteger, AmiKeywordRange, {"0", "3", "1"})));
    EXPECT_FALSE(SettingLevelsCheck::Settings(Definition(AmiKeywordInteger, AmiKeywordIncrement, {"0", "0", "4", "0"})));
    EXPECT_FALSE(SettingLevelsCheck::Settings(Definition(AmiKeywordInteger, AmiKeywordList, {"1", "2.5"})));
    EXPECT_FALSE(SettingLevelsCheck::Settings(Definition(AmiKeywordFloat, AmiKeywordRange, {"0", "0", "3"})));
    EXPECT_FALSE(SettingLevelsCheck::Settings(Definition(AmiKeywordInteger, AmiKeywordValue, {"3"})));
}

// The model's own .ami tells its users to avoid de 1, 7 and 9 (their
// measured responses start about ten times too high); at 12.8 Gb/s and 32
// samples a bit exactly those are the settings whose steady level departs.
TEST(SettingLevelsCheck, WarnsAboutExactlyTheModelsSettingsItsAmiSaysToAvoid)
{
    AmiFile ami;
    std::string error;
    ASSERT_TRUE(AmiFile::Read(ModelAmiText(), "Halvex_tx.ami", ami, error)) << error;
    AmiModel model;
    ASSERT_TRUE(model.Load(HALVEX_MODEL_PATH, error)) << error;
    ModelCheckConfig config;
    config.BitTime = 78.125e-12;
    config.SamplesPerBit = 32;
    KitCheckItem item;
    SettingLevelsCheck::Run(model, ami, config, item);
    std::vector<std::string> warned;
    for (const Finding& f : item.Findings) {
        EXPECT_EQ(f.Severity, Finding::Warning) << f.Text();
        EXPECT_EQ(f.Where.rfind("Halvex_tx.ami:", 0), 0u) << f.Text();
        warned.push_back(f.What.substr(0, f.What.find(':')));
    }
    EXPECT_EQ(warned, std::vector<std::string>({"de=1", "de=7", "de=9"}));
    EXPECT_NE(item.Summary.find("16 settings"), std::string::npos) << item.Summary;
}
