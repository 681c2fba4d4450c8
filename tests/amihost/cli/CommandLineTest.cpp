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
                       "x=1", "--set", "y=2", "--rx", "--block", "7", "--stimulus", "prbs31", "--block", "9"},
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
    EXPECT_EQ(o.Settings[1].Value, "2");
    EXPECT_TRUE(o.Receiver);
    EXPECT_EQ(o.BlockSize, 9u); // the last of a repeated option
    EXPECT_EQ(o.StimulusKind, "prbs31");

    ASSERT_TRUE(Parse({"run", "--model", "tx", "kit/m.ibs", "--set", "de=3"}, o, error)) << error;
    EXPECT_EQ(o.IbisPath, "kit/m.ibs");
    EXPECT_EQ(o.ModelName, "tx");
    EXPECT_EQ(o.ModelPath, ""); // the .ibs names it
    ASSERT_TRUE(Parse({"iv", "kit/m.ibs", "--out", "iv"}, o, error)) << error;
    EXPECT_EQ(o.Action, HostOptions::Iv);
    EXPECT_EQ(o.IbisPath, "kit/m.ibs");
    EXPECT_EQ(o.ModelName, "");
    ASSERT_TRUE(Parse({"run", "m.so", "m.ami", "--touchstone", "c.s4p", "--s4p-order", "1-3/2-4", "--tx-r", "40",
                       "--rx-r", "1e6"},
                      o, error))
        << error;
    EXPECT_EQ(o.TouchstoneFile, "c.s4p");
    EXPECT_EQ(o.S4pOrder, "1-3/2-4");
    EXPECT_EQ(o.TxR, 40.0);
    EXPECT_EQ(o.RxR, 1e6);
    ASSERT_TRUE(Parse({"run", "m.so", "m.ami", "--touchstone", "c.s2p"}, o, error)) << error;
    EXPECT_EQ(o.S4pOrder, "1-2/3-4");
    EXPECT_EQ(o.TxR, 0.0); // matched

    ASSERT_TRUE(Parse({"--bit-time", "5e-11", "check", "m.so", "m.ami"}, o, error)) << error;
    EXPECT_EQ(o.Bits, HostOptions::DefaultCheckBits); // check's own default
    EXPECT_EQ(o.BitTime, 5e-11);
    EXPECT_FALSE(o.HasLoss);
    for (const char* help : {"--help", "-h"}) {
        ASSERT_TRUE(Parse({"run", "m.so", help}, o, error));
        EXPECT_EQ(o.Action, HostOptions::Help);
    }
    ASSERT_TRUE(Parse({"help"}, o, error));
    EXPECT_EQ(o.Action, HostOptions::Help);
    ASSERT_TRUE(Parse({"--version"}, o, error));
    EXPECT_EQ(o.Action, HostOptions::Version);
}

TEST(CommandLine, AReceiverIsNamedByItsLibraryAndAmiFileOrByAnIbisFile)
{
    HostOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"run", "m.so", "m.ami", "--rx-model", "rx.so", "--rx-ami", "rx.ami", "--rx-set", "peaking=3",
                       "--rx-set", "cdr_gain=0.01"},
                      o, error))
        << error;
    EXPECT_EQ(o.RxModel, "rx.so");
    EXPECT_EQ(o.RxAmi, "rx.ami");
    EXPECT_EQ(o.RxSettings, (std::vector<std::string>{"peaking=3", "cdr_gain=0.01"}));
    EXPECT_FALSE(o.Receiver);
    ASSERT_TRUE(Parse({"sweep", "m.so", "m.ami", "--param", "de=1,2", "--rx-model", "kit/rx.ibs", "--rx-model-name",
                       "Rx_ctle"},
                      o, error))
        << error;
    EXPECT_EQ(o.RxModel, "kit/rx.ibs");
    EXPECT_EQ(o.RxModelName, "Rx_ctle");
    EXPECT_TRUE(o.RxAmi.empty());
}

TEST(CommandLine, EveryFaultIsOneLineNamingTheOption)
{
    const struct {
        std::vector<std::string> words;
        const char* error;
    } cases[] = {
        {{}, "no subcommand (run, sweep, check or iv)"},
        {{"--bits", "3"}, "no subcommand (run, sweep, check or iv)"},
        {{"simulate", "m.so", "m.ami"}, "unknown subcommand \"simulate\" (expected run, sweep, check or iv)"},
        {{"run", "m.so", "m.ami", "--bogus"}, "The following argument was not expected: --bogus"},
        {{"run", "m.so", "m.ami", "-x"}, "The following argument was not expected: -x"},
        {{"run", "m.so", "m.ami", "--bits"}, "option --bits needs a value"},
        {{"run", "m.so", "m.ami", "--bits", "12x"}, "--bits: \"12x\" is not a whole number"},
        {{"run", "m.so", "m.ami", "--bits", "0x10"}, "--bits: \"0x10\" is not a whole number"},
        {{"run", "m.so", "m.ami", "--bits", "0"}, "--bits: 0 is outside 1 .. 10000000"},
        {{"run", "m.so", "m.ami", "--bits", "99999999999999999999"},
         "--bits: \"99999999999999999999\" is not a whole number"},
        {{"run", "m.so", "m.ami", "--bit-time", "fast"}, "--bit-time: \"fast\" is not a number"},
        {{"run", "m.so", "m.ami", "--bit-time", "1"}, "--bit-time: 1 is outside 1e-13 .. 1e-06"},
        {{"run", "m.so", "m.ami", "--loss", "nan"}, "--loss: \"nan\" is not a number"},
        {{"run", "m.so", "m.ami", "--samples-per-bit", "1"}, "--samples-per-bit: 1 is outside 2 .. 1024"},
        {{"run", "m.so", "m.ami", "--stimulus", "prbs9"},
         "--stimulus: \"prbs9\" is not one of prbs7, prbs15, prbs23, prbs31, step, pulse"},
        {{"run", "m.so", "m.ami", "--set", "de"}, "--set: \"de\" is not NAME=VALUE"},
        {{"sweep", "m.so", "m.ami", "--param", "de="}, "--param: \"de=\" is not NAME=VALUE"},
        {{"run", "m.so"}, "run needs FILE.ibs, or LIBRARY and FILE.ami, got only m.so"},
        {{"check", "M.AMI"}, "check needs FILE.ibs, or LIBRARY and FILE.ami, got only M.AMI"},
        {{"run", "a", "b", "c"}, "run needs FILE.ibs, or LIBRARY and FILE.ami, got 3 file names"},
        {{"sweep", "--param", "de=1"}, "sweep needs FILE.ibs, or LIBRARY and FILE.ami, got 0 file names"},
        {{"iv", "m.so", "m.ami"}, "iv needs FILE.ibs, got 2 file names"},
        {{"iv", "m.dll"}, "iv needs FILE.ibs, got only m.dll"},
        {{"check", "m.so", "m.ami", "--model", "tx"},
         "--model belongs to FILE.ibs; with LIBRARY and FILE.ami there is no [Model] to choose"},
        {{"sweep", "m.so", "m.ami"}, "sweep needs --param NAME=FROM:TO[:STEP] or NAME=V1,V2,..."},
        {{"run", "m.so", "m.ami", "--param", "de=1"}, "--param belongs to sweep; use --set NAME=VALUE with run"},
        {{"sweep", "m.so", "m.ami", "--param", "de=1", "--param", "de=2"},
         "--param given twice: a sweep runs one parameter"},
        {{"run", "m.so", "m.ami", "--rj", "0.3"}, "--rj: 0.3 is outside 0 .. 0.2"},
        {{"run", "m.so", "m.ami", "--wave", "w.csv", "--sj", "0.1"}, "--wave excludes --sj"},
        {{"run", "m.so", "m.ami", "--ber", "0"}, "--ber: 0 is outside 1e-30 .. 0.01"},
        {{"run", "m.so", "m.ami", "--sj", "0.1", "--sj-freq", "6e9", "--bit-time", "1e-10"},
         "--sj-freq 6e+09 Hz is above half the bit rate (5e+09 Hz): edges, one a bit at most, cannot carry it"},
        {{"run", "m.so", "m.ami", "--wave", "w.csv", "--stimulus", "step"}, "--stimulus excludes --wave"},
        {{"run", "m.so", "m.ami", "--loss", "3", "--impulse", "h.csv"}, "--loss excludes --impulse"},
        {{"run", "m.so", "m.ami", "--loss", "3", "--touchstone", "c.s4p"}, "--loss excludes --touchstone"},
        {{"run", "m.so", "m.ami", "--touchstone", "c.s4p", "--impulse", "h.csv"}, "--impulse excludes --touchstone"},
        {{"run", "m.so", "m.ami", "--tx-r", "50"}, "--tx-r requires --touchstone"},
        {{"run", "m.so", "m.ami", "--touchstone", "c.s4p", "--rx-r", "0"}, "--rx-r: 0 is outside 0.001 .. 1e+09"},
        {{"run", "m.so", "m.ami", "--touchstone", "c.s4p", "--s4p-order", "1-3-2-4"},
         "--s4p-order: \"1-3-2-4\" is not one of 1-2/3-4, 1-3/2-4"},
        {{"run", "m.so", "m.ami", "--bits", "10000000", "--samples-per-bit", "1024"},
         "--bits 10000000 at 1024 samples per bit exceeds 2^28 samples"},
        // A receiver after the channel: a library with its .ami, or an .ibs.
        {{"run", "m.so", "m.ami", "--rx", "--rx-model", "r.ibs"}, "--rx excludes --rx-model"},
        {{"run", "m.so", "m.ami", "--rx-ami", "r.ami"}, "--rx-ami requires --rx-model"},
        {{"run", "m.so", "m.ami", "--rx-set", "peaking=3"}, "--rx-set requires --rx-model"},
        {{"run", "m.so", "m.ami", "--rx-model", "r.so"},
         "--rx-model r.so needs --rx-ami FILE.ami (or name the receiver's .ibs file)"},
        {{"run", "m.so", "m.ami", "--rx-model", "r.IBS", "--rx-ami", "r.ami"},
         "--rx-ami: the IBIS file r.IBS names the receiver's .ami file"},
        {{"sweep", "m.so", "m.ami", "--param", "de=1", "--rx-model", "r.so", "--rx-ami", "r.ami", "--rx-model-name",
          "Rx"},
         "--rx-model-name names a [Model] of an IBIS file; r.so is not one (.ibs)"},
        {{"check", "m.so", "m.ami", "--rx-model", "r.ibs"},
         "--rx-model belongs to run and sweep; check a receiver on its own: amihost check RX.so RX.ami"},
        {{"run", "m.so", "m.ami", "--rx-model", "r.ibs", "--rx-set", "peaking"},
         "--rx-set: \"peaking\" is not NAME=VALUE"},
    };
    for (const auto& c : cases) {
        const std::string error = ErrorOf(c.words);
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
}
