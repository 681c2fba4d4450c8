#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/amihost/amifile/SweepValues.h"

namespace {

const char File[] = R"((m (Model_Specific
    (de (Usage In) (Type Integer) (Range 15 0 15))
    (gain (Usage In) (Type Float) (Range 0.5 0 1))
    (mode (Usage In) (Type String) (List "fast" "slow"))
    (taps (a (Usage In) (Type Tap) (Increment 0 -1 1 0.25))))))";

AmiFile Load()
{
    AmiFile file;
    std::string error;
    EXPECT_TRUE(AmiFile::Read(File, "m.ami", file, error)) << error;
    return file;
}

} // namespace

TEST(SweepValues, RangesListsAndSingleValuesGiveTheValuesToRun)
{
    const AmiFile file = Load();
    const struct {
        const char* text;
        const char* key;
        std::vector<std::string> values;
    } cases[] = {
        {"de=0:3", "de", {"0", "1", "2", "3"}},
        {"de=4:12:4", "de", {"4", "8", "12"}},
        {"de=13:15:5", "de", {"13"}},
        {"de=15,0,7", "de", {"15", "0", "7"}},
        {"gain=0:1:0.25", "gain", {"0", "0.25", "0.5", "0.75", "1"}},
        {"gain=0.1:0.3:0.1", "gain", {"0.1", "0.2", "0.3"}}, // 0.1 + 2 * 0.1 is 0.30000000000000004
        {"gain=+0.5", "gain", {"+0.5"}},
        {"mode=slow,fast", "mode", {"slow", "fast"}},
        {"a=-1:1:0.5", "taps.a", {"-1", "-0.5", "0", "0.5", "1"}},
        {"taps.a=0.25", "taps.a", {"0.25"}},
    };
    for (const auto& c : cases) {
        std::string key;
        std::vector<std::string> values;
        std::string error;
        ASSERT_TRUE(SweepValues::Parse(c.text, file, key, values, error)) << c.text << ": " << error;
        EXPECT_EQ(key, c.key) << c.text;
        EXPECT_EQ(values, c.values) << c.text;
    }
}

TEST(SweepValues, ValuesTheParameterDoesNotAllowAreRefusedBeforeAnythingRuns)
{
    const AmiFile file = Load();
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"de=15:0", "--param de=15:0: the range needs FROM <= TO and a positive STEP"},
        {"de=0:4:0", "--param de=0:4:0: the range needs FROM <= TO and a positive STEP"},
        {"de=0:x", "--param de=0:x: a range is FROM:TO or FROM:TO:STEP with numbers"},
        {"de=0:1:2:3", "--param de=0:1:2:3: a range is FROM:TO or FROM:TO:STEP"},
        {"gain=0:1", "--param gain=0:1: gain is not an integer parameter; give a step (FROM:TO:STEP)"},
        {"de=0:2000", "--param de=0:2000: more than 1000 values"},
        {"de=0:16", "--param de=0:16: parameter de (m.ami:2, Integer, Range 0 .. 15, default 15): 16 is outside "
                    "the range 0 .. 15"},
        {"de=1,,2", "--param de=1,,2: parameter de (m.ami:2, Integer, Range 0 .. 15, default 15): \"\" is not an "
                    "integer"},
        {"a=0.1", "--param a=0.1: parameter taps.a (m.ami:5, Tap, Increment -1 .. 1 by 0.25, default 0): 0.1 is "
                  "not on the grid -1 + k * 0.25"},
        {"nope=1", "no parameter \"nope\" sent to the model in m.ami (it declares: de, gain, mode, taps.a)"},
        {"de", "--param \"de\" is not NAME=VALUE"},
    };
    for (const auto& c : cases) {
        std::string key;
        std::vector<std::string> values;
        std::string error;
        EXPECT_FALSE(SweepValues::Parse(c.text, file, key, values, error)) << c.text;
        EXPECT_EQ(error, c.error);
        EXPECT_TRUE(values.empty()) << c.text;
    }
}
