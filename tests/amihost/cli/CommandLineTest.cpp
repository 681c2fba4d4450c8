#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/amihost/cli/CommandLine.h"

namespace {

// Parses `words` as the arguments after "amihost".
bool Parse(std::vector<std::string> words, HostOptions& options, std::string& error)
{
    words.insert(words.begin(), "amihost");
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(&w[0]);
    argv.push_back(nullptr);
    return CommandLine::Parse(static_cast<int>(words.size()), argv.data(), options, error);
}

std::string ErrorOf(const std::vector<std::string>& words)
{
    HostOptions options;
    std::string error;
    EXPECT_FALSE(Parse(words, options, error));
    return error;
}

} // namespace

TEST(CommandLine, OptionsMayStandBeforeBetweenAndAfterTheFiles)
{
    HostOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"sweep", "--bits", "64", "m.so", "--loss=12.5", "m.ami", "--param", "de=0:15", "--set",
                       "x=1", "--set", "y=2", "--rx", "--block", "7", "--stimulus", "prbs31"},
                      o, error))
        << error;
    EXPECT_EQ(o.Action, HostOptions::Sweep);
    EXPECT_EQ(o.ModelPath, "m.so");
    EXPECT_EQ(o.AmiPath, "m.ami");
    EXPECT_EQ(o.Bits, 64u);
    EXPECT_TRUE(o.HasLoss);
    EXPECT_EQ(o.LossDb, 12.5);
    EXPECT_EQ(o.SweepSpec, "de=0:15");
    ASSERT_EQ(o.Settings.size(), 2u);
    EXPECT_EQ(o.Settings[1].Key, "y");
    EXPECT_TRUE(o.Receiver);
    EXPECT_EQ(o.BlockSize, 7u);
    EXPECT_EQ(o.StimulusKind, "prbs31");

    ASSERT_TRUE(Parse({"check", "m.so", "m.ami"}, o, error)) << error;
    EXPECT_EQ(o.Bits, 256u); // check's own default
    EXPECT_EQ(o.BitTime, 1e-10);
    ASSERT_TRUE(Parse({"run", "--help"}, o, error));
    EXPECT_EQ(o.Action, HostOptions::Help);
}

TEST(CommandLine, EveryFaultIsOneLineNamingTheOption)
{
    const struct {
        std::vector<std::string> words;
        const char* error;
    } cases[] = {
        {{}, "no subcommand (run, sweep or check)"},
        {{"simulate", "m.so", "m.ami"}, "unknown subcommand \"simulate\" (expected run, sweep or check)"},
        {{"run", "m.so", "m.ami", "--bogus"}, "unknown option --bogus"},
        {{"run", "m.so", "m.ami", "--bogus=3"}, "unknown option --bogus"},
        {{"run", "m.so", "m.ami", "-x"}, "unknown option -x"},
        {{"run", "m.so", "m.ami", "--bits"}, "option --bits needs a value"},
        {{"run", "m.so", "m.ami", "--bits", "12x"}, "--bits \"12x\" is not a whole number"},
        {{"run", "m.so", "m.ami", "--bits", "0"}, "--bits 0 is outside 1 .. 10000000"},
        {{"run", "m.so", "m.ami", "--bit-time", "fast"}, "--bit-time \"fast\" is not a number"},
        {{"run", "m.so", "m.ami", "--bit-time", "1"}, "--bit-time 1 is outside 1e-13 .. 1e-06"},
        {{"run", "m.so", "m.ami", "--loss", "nan"}, "--loss \"nan\" is not a number"},
        {{"run", "m.so", "m.ami", "--samples-per-bit", "1"}, "--samples-per-bit 1 is outside 2 .. 1024"},
        {{"run", "m.so", "m.ami", "--stimulus", "prbs9"},
         "--stimulus \"prbs9\" is not one of prbs7, prbs15, prbs23, prbs31, step, pulse"},
        {{"run", "m.so", "m.ami", "--set", "de"}, "--set \"de\" is not NAME=VALUE"},
        {{"run", "m.so"}, "run needs MODEL.so and MODEL.ami, got 1 file name"},
        {{"run", "a", "b", "c"}, "run needs MODEL.so and MODEL.ami, got 3 file names"},
        {{"sweep", "m.so", "m.ami"}, "sweep needs --param NAME=FROM:TO[:STEP] or NAME=V1,V2,..."},
        {{"run", "m.so", "m.ami", "--param", "de=1"}, "--param belongs to sweep; use --set NAME=VALUE with run"},
        {{"sweep", "m.so", "m.ami", "--param", "de=1", "--param", "de=2"},
         "--param given twice: a sweep runs one parameter"},
        {{"run", "m.so", "m.ami", "--wave", "w.csv", "--stimulus", "step"}, "--wave and --stimulus exclude each other"},
        {{"run", "m.so", "m.ami", "--loss", "3", "--impulse", "h.csv"}, "--loss and --impulse exclude each other"},
        {{"run", "m.so", "m.ami", "--bits", "10000000", "--samples-per-bit", "1024"},
         "--bits 10000000 at 1024 samples per bit exceeds 2^28 samples"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorOf(c.words), c.error);
}
