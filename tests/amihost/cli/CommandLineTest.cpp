#include <gtest/gtest.h>

#include <CLI/CLI.hpp>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/amihost/cli/CommandLine.h"
#include "tools/amihost/cli/OptionTable.h"
#include "tools/amihost/host/Spellings.h"

namespace {

// Parses `words` as the arguments after "amihost".
bool Parse(std::vector<std::string> words, HostRequest& options, std::string& error)
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
    HostRequest options;
    std::string error;
    EXPECT_FALSE(Parse(words, options, error));
    return error;
}

} // namespace

TEST(CommandLine, OptionsMayStandBeforeBetweenAndAfterTheFiles)
{
    HostRequest o;
    std::string error;
    ASSERT_TRUE(Parse({"sweep", "--bits", "64", "m.so", "--loss=12.5", "m.ami", "--param", "de=0:15", "--set",
                       "x=1", "--set", "y=2", "--rx", "--block", "7", "--stimulus", "prbs31", "--block", "9"},
                      o, error))
        << error;
    EXPECT_EQ(o.Action, HostRequest::Sweep);
    EXPECT_EQ(o.ModelPath, "m.so");
    EXPECT_EQ(o.AmiPath, "m.ami");
    EXPECT_EQ(o.Bits, 64u);
    EXPECT_EQ(o.LossDb.value_or(0.0), 12.5);
    EXPECT_EQ(o.SweepSpec.value_or(""), "de=0:15");
    ASSERT_EQ(o.Settings.size(), 2u);
    EXPECT_EQ(o.Settings[1].Key, "y");
    EXPECT_EQ(o.Settings[1].Value, "2");
    EXPECT_TRUE(o.ModelIsReceiver);
    EXPECT_EQ(o.BlockSize, 9u); // the last of a repeated option
    EXPECT_EQ(o.Stimulus, HostRequest::Prbs31);

    ASSERT_TRUE(Parse({"run", "--model", "tx", "kit/m.ibs", "--set", "de=3"}, o, error)) << error;
    EXPECT_EQ(o.IbisPath, "kit/m.ibs");
    EXPECT_EQ(o.ModelName, "tx");
    EXPECT_EQ(o.ModelPath, ""); // the .ibs names it
    ASSERT_TRUE(Parse({"iv", "kit/m.ibs", "--out", "iv"}, o, error)) << error;
    EXPECT_EQ(o.Action, HostRequest::Iv);
    EXPECT_EQ(o.IbisPath, "kit/m.ibs");
    EXPECT_EQ(o.ModelName, "");
    ASSERT_TRUE(Parse({"run", "m.so", "m.ami", "--touchstone", "c.s4p", "--s4p-order", "1-3/2-4", "--tx-r", "40",
                       "--rx-r", "1e6"},
                      o, error))
        << error;
    EXPECT_EQ(o.TouchstoneFile, "c.s4p");
    EXPECT_EQ(o.PairOrder, ThroughPath::Through13And24);
    EXPECT_EQ(o.TxR.value_or(0.0), 40.0);
    EXPECT_EQ(o.RxR.value_or(0.0), 1e6);
    ASSERT_TRUE(Parse({"run", "m.so", "m.ami", "--touchstone", "c.s2p"}, o, error)) << error;
    EXPECT_EQ(o.PairOrder, ThroughPath::Through12And34);
    EXPECT_FALSE(o.TxR); // matched
    EXPECT_FALSE(o.SkipBits);
    EXPECT_FALSE(o.Jobs);

    ASSERT_TRUE(Parse({"--bit-time", "5e-11", "check", "m.so", "m.ami"}, o, error)) << error;
    EXPECT_EQ(o.Bits, HostRequest::DefaultCheckBits); // check's own default
    EXPECT_EQ(o.BitTime, 5e-11);
    EXPECT_FALSE(o.LossDb);
    EXPECT_FALSE(o.SweepSpec);
    for (const char* help : {"--help", "-h"}) {
        ASSERT_TRUE(Parse({"run", "m.so", help}, o, error));
        EXPECT_EQ(o.Action, HostRequest::Help);
    }
    ASSERT_TRUE(Parse({"help"}, o, error));
    EXPECT_EQ(o.Action, HostRequest::Help);
    ASSERT_TRUE(Parse({"--version"}, o, error));
    EXPECT_EQ(o.Action, HostRequest::Version);
}

TEST(CommandLine, AReceiverIsNamedByItsLibraryAndAmiFileOrByAnIbisFile)
{
    HostRequest o;
    std::string error;
    ASSERT_TRUE(Parse({"run", "m.so", "m.ami", "--rx-model", "rx.so", "--rx-ami", "rx.ami", "--rx-set", "peaking=3",
                       "--rx-set", "cdr_gain=0.01"},
                      o, error))
        << error;
    EXPECT_EQ(o.RxModel, "rx.so");
    EXPECT_EQ(o.RxAmi, "rx.ami");
    ASSERT_EQ(o.RxSettings.size(), 2u);
    EXPECT_EQ(o.RxSettings[1].Key, "cdr_gain");
    EXPECT_EQ(o.RxSettings[1].Value, "0.01");
    EXPECT_FALSE(o.ModelIsReceiver);
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
        {{"run", "m.so", "m.ami", "--skip-bits", "200", "--bits", "100"},
         "--skip-bits 200 leaves none of the 100 bits for the eye"},
        {{"run", "m.so", "m.ami", "--skip-bits", "100", "--bits", "100"},
         "--skip-bits 100 leaves none of the 100 bits for the eye"},
        {{"run", "m.so", "m.ami", "--set", "de=3", "--set", "de=4"}, "--set de given twice: one value per parameter"},
        {{"sweep", "m.so", "m.ami", "--param", "de=1,2", "--rx-model", "rx.so", "--rx-ami", "rx.ami", "--rx-set",
          "p=1", "--rx-set", "p=1"},
         "--rx-set p given twice: one value per parameter"},
        {{"run", "m.so", "m.ami", "--bits", "12x"}, "--bits: \"12x\" is not a whole number"},
        {{"run", "m.so", "m.ami", "--bits", "0x10"}, "--bits: \"0x10\" is not a whole number"},
        {{"run", "m.so", "m.ami", "--bits", "0"}, "--bits: 0 is outside 1 .. 1000000000"},
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
        {{"check", "m.so", "m.ami", "--bits", "10000000", "--samples-per-bit", "1024"},
         "--bits 10000000 at 1024 samples per bit exceeds check's 2^28 samples"},
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

// The one table gives --help and the reference (docs/amihost.md): the
// reference holds the table as it stands, and --help its ranges and defaults.
TEST(OptionTable, TheReferenceHoldsTheTableAndHelpItsRangesAndDefaults)
{
    const std::string usage = CommandLine::Usage();
    EXPECT_NE(usage.find("2 .. 1024 (default 32)"), std::string::npos) << usage;
    EXPECT_NE(usage.find("1000; check: 256"), std::string::npos) << usage;

    std::ifstream reference(std::string(HALVEX_SOURCE_DIR) + "/docs/amihost.md");
    std::stringstream text;
    text << reference.rdbuf();
    const std::string table = OptionTable::Markdown();
    EXPECT_NE(text.str().find(table), std::string::npos)
        << "docs/amihost.md's option table differs from the option table; it should read:\n"
        << table;
}

// Each word the command line takes is the one the reports print: every
// enumerator's name parses back to it, and the option takes exactly those.
TEST(CommandLine, EveryEnumeratorsNameParsesBackToIt)
{
    HostRequest o;
    std::string error;
    for (const Spelling<HostRequest::StimulusKind>& s : Spellings(HostRequest::StimulusKind{})) {
        EXPECT_EQ(ValueOf<HostRequest::StimulusKind>(NameOf(s.Value)), s.Value);
        ASSERT_TRUE(Parse({"run", "m.so", "m.ami", "--stimulus", s.Name}, o, error)) << error;
        EXPECT_EQ(o.Stimulus, s.Value) << s.Name;
    }
    for (const Spelling<ThroughPath::PairOrder>& s : Spellings(ThroughPath::PairOrder{})) {
        EXPECT_EQ(ValueOf<ThroughPath::PairOrder>(NameOf(s.Value)), s.Value);
        ASSERT_TRUE(Parse({"run", "m.so", "m.ami", "--touchstone", "c.s4p", "--s4p-order", s.Name}, o, error)) << error;
        EXPECT_EQ(o.PairOrder, s.Value) << s.Name;
    }
    for (const Spelling<HostRequest::Command>& s : Spellings(HostRequest::Command{})) {
        EXPECT_EQ(ValueOf<HostRequest::Command>(NameOf(s.Value)), s.Value);
        ASSERT_TRUE(Parse({s.Name, "m.ibs", "--param", "de=1"}, o, error) || error.find("--param") == 0) << error;
    }
    EXPECT_EQ(NamesOf<HostRequest::StimulusKind>().size(), 6u);
    EXPECT_FALSE(ValueOf<HostRequest::StimulusKind>("PRBS7")); // the spelling is exact
    EXPECT_FALSE(ValueOf<ThroughPath::PairOrder>(""));
}

// The range --help states is the one the parser enforces: for every option
// with a numeric range its bounds are taken and one beyond each refused.
TEST(OptionTable, EveryStatedRangeIsTheOneTheParserEnforces)
{
    EXPECT_EQ(OptionTable::RealRange(1e-13, 1e-6), "1e-13 .. 1e-06");
    EXPECT_EQ(OptionTable::WordRange({"a", "b", "c"}), "a, b or c");
    EXPECT_EQ(OptionTable::WordRange({"a"}), "a");
    CLI::App app;
    HostRequest request;
    OptionTable::Given given;
    int ranges = 0;
    for (const OptionTable::Row& row : OptionTable::Declare(app, request, given)) {
        const std::size_t dots = row.Range.find(" .. ");
        if (dots == std::string::npos)
            continue;
        ++ranges;
        const std::string low = row.Range.substr(0, dots);
        const std::string high = row.Range.substr(dots + 4);
        const std::string flag = row.Flag.substr(row.Flag.find("--"));
        const double step = 1.0 + 1e-9;
        const auto beyond = [&](double v, bool up) {
            char text[40];
            const bool whole = row.Range.find('e') == std::string::npos && low.find('.') == std::string::npos &&
                               high.find('.') == std::string::npos;
            if (whole)
                std::snprintf(text, sizeof text, "%.0f", up ? v + 1 : v - 1);
            else
                std::snprintf(text, sizeof text, "%.17g",
                              v == 0.0 ? (up ? 1e-300 : -1e-300) : v * (up == (v > 0) ? step : 1 / step));
            return std::string(text);
        };
        // Few samples per bit, so that the most bits stay under the samples' limit.
        std::vector<std::string> base = {"run", "m.so", "m.ami", "--touchstone", "c.s4p", "--samples-per-bit", "2"};
        if (flag == "--loss")
            base = {"run", "m.so", "m.ami", "--samples-per-bit", "2"};
        if (flag == "--skip-bits") // it must leave bits for the eye
            base.insert(base.end(), {"--bits", "1000000000"});
        HostRequest o;
        std::string error;
        for (const std::string& bound : {low, high}) {
            std::vector<std::string> words = base;
            words.insert(words.end(), {flag, bound});
            EXPECT_TRUE(Parse(words, o, error)) << flag << " " << bound << ": " << error;
        }
        for (const auto& [bound, up] : {std::make_pair(std::stod(low), false), std::make_pair(std::stod(high), true)}) {
            std::vector<std::string> words = base;
            words.insert(words.end(), {flag, beyond(bound, up)});
            EXPECT_FALSE(Parse(words, o, error)) << flag << " " << beyond(bound, up);
        }
    }
    EXPECT_GE(ranges, 15);
}

// What an option needs or excludes is listed in the table's order, the same
// on every build (CLI11 alone lists it in the order of heap addresses).
TEST(CommandLine, HelpListsExclusionsInTheTablesOrder)
{
    const std::string usage = CommandLine::Usage();
    EXPECT_NE(usage.find("--wave FILE.csv Excludes: --bits --stimulus --amplitude --rj --sj\n"), std::string::npos)
        << usage;
    EXPECT_NE(usage.find("--touchstone FILE.sNp Excludes: --loss --impulse\n"), std::string::npos) << usage;
    EXPECT_NE(usage.find("--rx-set NAME=VALUE ... Needs: --rx-model\n"), std::string::npos) << usage;
}
