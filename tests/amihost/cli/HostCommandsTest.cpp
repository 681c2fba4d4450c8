// End to end: the built amihost on the built model and on stand-in models.
#include <gtest/gtest.h>


#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/SharedData.h"
#include "tools/amihost/channel/DifferentialStripline.h"
#include "tools/amihost/channel/TouchstoneFile.h"
#include "tests/amihost/cli/AmihostProcess.h"
#include "tools/amihost/signal/TextFile.h"

namespace {

const std::string Dir = std::string(AMIHOST_TEST_DIR) + "/e2e";
const std::string Model = HALVEX_MODEL_PATH;
const std::string Ami = HALVEX_AMI_PATH;
const std::string Timing = " --bit-time 78.125e-12 --samples-per-bit 32";

std::string Write(const std::string& name, const std::string& text)
{
    std::filesystem::create_directories(Dir);
    const std::string path = Dir + "/" + name;
    std::string error;
    EXPECT_TRUE(TextFile::Write(path, text, error)) << error;
    return path;
}

std::string StubAmi()
{
    return Write("stub.ami", "(Stub (Model_Specific (gain (Usage In) (Type Float) (Range 1 0 2))))\n");
}

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

// Standard output and standard error apart.
struct Streams {
    int Status;
    std::string Out;
    std::string Err;
};

// `name` keeps the error file apart from those of tests running beside it.
Streams AmihostApart(const std::string& arguments, const std::string& name)
{
    std::filesystem::create_directories(Dir);
    const std::string err = Dir + "/" + name + ".stderr.txt";
    const Outcome r = Amihost(arguments, "2>'" + err + "'");
    Streams streams{r.Status, r.Output, ""};
    std::string error;
    EXPECT_TRUE(TextFile::Read(err, 1 << 20, streams.Err, error)) << error;
    return streams;
}

// A copy of the model kit in `name`: the .ibs, the .ami, the built library
// and a stand-in DLL (on Linux only its presence counts).
std::string MakeKit(const std::string& name)
{
    namespace fs = std::filesystem;
    const std::string dir = Dir + "/" + name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string source = HALVEX_SOURCE_DIR;
    fs::copy_file(source + "/model/Halvex_tx.ibs", dir + "/Halvex_tx.ibs");
    fs::copy_file(Ami, dir + "/Halvex_tx.ami");
    fs::copy_file(Model, dir + "/Halvex_tx_x64.so");
    Write(name + "/Halvex_tx_x64.dll", "MZ");
    return dir;
}

// The settings that `amihost: warning: KEY=V: ...` lines name, in order.
std::vector<std::string> Warned(const std::string& text, const std::string& key)
{
    std::vector<std::string> values;
    const std::string mark = "amihost: warning: " + key + "=";
    for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + 1))
        values.push_back(text.substr(at + mark.size(), text.find(':', at + mark.size()) - at - mark.size()));
    return values;
}

// Runs a sweep of the model with `options` at -j 1 and at -j `jobs`, into
// folders named after `name`; expects the same printout and the same files,
// and returns how many files there are.
std::size_t SerialAgainstParallel(const std::string& options, const std::string& jobs, const std::string& name)
{
    std::string printed[2];
    const std::string outs[2] = {Dir + "/" + name + "-serial", Dir + "/" + name + "-parallel"};
    for (int run = 0; run < 2; ++run) {
        std::filesystem::remove_all(outs[run]);
        const Outcome r = Amihost("sweep '" + Model + "' '" + Ami + "'" + Timing + " " + options + " -j " +
                                  (run == 0 ? "1" : jobs) + " --out '" + outs[run] + "'");
        EXPECT_EQ(r.Status, 0) << r.Output;
        printed[run] = r.Output.substr(0, r.Output.find("plots in ")); // the last line names the folder
    }
    EXPECT_EQ(printed[0], printed[1]);
    std::size_t files = 0;
    std::error_code missing; // a failed sweep wrote no folder
    for (const auto& entry : std::filesystem::directory_iterator(outs[0], missing)) {
        const std::string file = entry.path().filename().string();
        std::string serial, parallel, error;
        EXPECT_TRUE(TextFile::Read(outs[0] + "/" + file, 1u << 26, serial, error)) << error;
        EXPECT_TRUE(TextFile::Read(outs[1] + "/" + file, 1u << 26, parallel, error)) << error;
        EXPECT_EQ(serial, parallel) << file;
        ++files;
    }
    return files;
}

} // namespace

TEST(HostCommands, SweepShowsDeemphasisGrowingWithDe)
{
    const std::string out = Dir + "/sweep";
    std::filesystem::remove_all(out);
    const Outcome r = Amihost("sweep '" + Model + "' '" + Ami + "'" + Timing +
                              " --bits 160 --response-bits 48 --loss 12 --param de=0,4,8,12,15 --out '" + out + "'");
    ASSERT_EQ(r.Status, 0) << r.Output;
    // Rows: "de [*] de-emphasis height relative width".
    std::istringstream lines(r.Output);
    std::string line;
    std::vector<double> deemphasis;
    std::vector<int> settings;
    while (std::getline(lines, line)) {
        int de = 0;
        double db = 0.0;
        char mark[8] = "";
        if (std::sscanf(line.c_str(), " %d %lf", &de, &db) == 2 ||
            std::sscanf(line.c_str(), " %d %1s %lf", &de, mark, &db) == 3) {
            settings.push_back(de);
            deemphasis.push_back(db);
        }
    }
    ASSERT_EQ(settings, (std::vector<int>{0, 4, 8, 12, 15})) << r.Output;
    EXPECT_LT(std::fabs(deemphasis[0]), 0.5) << r.Output;
    for (std::size_t i = 1; i < deemphasis.size(); ++i)
        EXPECT_GT(deemphasis[i], deemphasis[i - 1] + 0.5) << r.Output;
    EXPECT_GT(deemphasis.back(), 7.0);
    EXPECT_NE(r.Output.find("* best for this channel: de="), std::string::npos) << r.Output;
    for (const char* file : {"steps.svg", "sweep.csv", "eye_de_0.svg", "eye_de_15.svg", "bathtub_de_0.svg",
                             "bathtub_de_15.svg", "bathtubs.svg"})
        EXPECT_TRUE(Exists(out + "/" + file)) << file;
}

// Jitter and noise close the eye that the same run without them opens; the
// figures at the target BER come with the eye's in the report, the table and
// sweep.csv, and a seed gives the same figures again.
TEST(HostCommands, JitterAndNoiseCloseTheEyeAndTheBerFiguresSayBy)
{
    const std::string out = Dir + "/ber";
    const std::string base = "sweep '" + Model + "' '" + Ami + "'" + Timing +
                             " --bits 1200 --response-bits 48 --loss 8 --param de=10,15 --ber 1e-9 --out '" + out +
                             "'";
    auto heights = [&](const std::string& options) {
        std::filesystem::remove_all(out);
        const Outcome r = Amihost(base + options);
        EXPECT_EQ(r.Status, 0) << r.Output;
        std::string csv;
        std::string error;
        EXPECT_TRUE(TextFile::Read(out + "/sweep.csv", 1 << 20, csv, error)) << error;
        EXPECT_EQ(csv.substr(0, csv.find('\n')), "setting,deemphasis_db,eye_height,eye_height_over_swing,"
                                                 "eye_width_ui,best,target_ber,eye_height_at_ber,eye_width_at_ber_ui,"
                                                 "steady_level,level_warning");
        EXPECT_NE(r.Output.find("height at 1e-09"), std::string::npos) << r.Output;
        // The row of de=15: its worst-case and BER heights.
        const std::size_t row = csv.find("\n15,");
        double values[9] = {};
        EXPECT_EQ(std::sscanf(csv.c_str() + row + 1, "%lf,%lf,%lf,%lf,%lf,%lf,%lf,%lf,%lf", &values[0],
                              &values[1], &values[2], &values[3], &values[4], &values[5], &values[6], &values[7],
                              &values[8]),
                  9)
            << csv;
        return std::make_pair(values[2], values[7]);
    };
    const auto clean = heights("");
    const auto noisy = heights(" --rj 0.02 --noise 0.01 --seed 3");
    EXPECT_GT(clean.first, 0.1);
    EXPECT_LE(clean.second, clean.first); // nothing random: no more than seen
    EXPECT_LT(noisy.first, clean.first - 0.02);
    EXPECT_LT(noisy.second, noisy.first); // extrapolated beyond the 1200 bits seen
    EXPECT_EQ(heights(" --rj 0.02 --noise 0.01 --seed 3"), noisy);
    EXPECT_NE(heights(" --rj 0.02 --noise 0.01 --seed 4"), noisy);
}

TEST(HostCommands, RunWritesTheWaveResponsesAndPlots)
{
    const std::string out = Dir + "/run";
    std::filesystem::remove_all(out);
    const Outcome r = Amihost("run '" + Model + "' '" + Ami + "'" + Timing +
                              " --bits 64 --response-bits 32 --set de=8 --block 100 --out '" + out + "'");
    ASSERT_EQ(r.Status, 0) << r.Output;
    EXPECT_NE(r.Output.find("parameters  (Halvex_tx (de 8))"), std::string::npos) << r.Output;
    EXPECT_NE(r.Output.find("AMI_Init    returned 1, no message"), std::string::npos) << r.Output;
    EXPECT_NE(r.Output.find("BER         at 1e-12: "), std::string::npos) << r.Output;
    for (const char* file : {"wave.csv", "step.csv", "eye.svg", "step.svg", "bathtub.svg"})
        EXPECT_TRUE(Exists(out + "/" + file)) << file;
    EXPECT_FALSE(Exists(out + "/wave.csv.partial"));
}

// The checksum that compares builds on different systems: of the output, so
// independent of how check cuts the wave, and different for another output.
TEST(HostCommands, CheckChecksumFollowsTheOutputAndNotTheBlockSizes)
{
    auto checksum = [](const std::string& options) {
        const Outcome r = Amihost("check '" + Model + "' '" + Ami + "'" + Timing + " --bits 40 " + options);
        const std::size_t at = r.Output.find("output checksum ");
        return at == std::string::npos ? std::string("none:\n") + r.Output : r.Output.substr(at + 16, 16);
    };
    const std::string reference = checksum("--block 300");
    EXPECT_EQ(reference.find_first_not_of("0123456789abcdef"), std::string::npos) << reference;
    EXPECT_EQ(checksum("--block 17 --seed 5"), reference);
    EXPECT_NE(checksum("--block 300 --set de=3"), reference);
}

TEST(HostCommands, CheckCatchesAModelThatForgetsItsStateBetweenCalls)
{
    const Outcome r = Amihost(std::string("check '") + STUB_CUTS_WAVE_PATH + "' '" + StubAmi() + "' --bits 20");
    EXPECT_EQ(r.Status, 1) << r.Output;
    EXPECT_NE(r.Output.find("FAIL  block-independence"), std::string::npos) << r.Output;
    EXPECT_NE(r.Output.find("random block sizes change the output: sample"), std::string::npos) << r.Output;
    EXPECT_NE(r.Output.find("PASS  instances-independent"), std::string::npos) << r.Output;
}

TEST(HostCommands, FailuresGiveOneLineANonZeroStatusAndNoFiles)
{
    const std::string out = Dir + "/failed";
    const std::string wave = Write("bad.csv", "value\n0.5\n0.5x\n");
    const std::string touchstone = Write("z.s2p", "! impedances\n# GHz Z RI R 50\n");
    const std::string badAmi = Write("bad.ami", "(Halvex_tx\n (Model_Specific\n  (de (Usage In) (Type Integer) "
                                                "(Range 15 0 15)\n)\n");
    const struct {
        std::string arguments;
        int status;
        std::string message;
    } cases[] = {
        {"run '" + Dir + "/none.so' '" + Ami + "'", 1, Dir + "/none.so: cannot open the model: No such file or directory"},
        {"run '" + Model + "' '" + Dir + "/none.ami'", 1, Dir + "/none.ami: cannot read: No such file or directory"},
        {"run '" + Model + "' '" + badAmi + "'", 1, badAmi + ":3: unbalanced parentheses: this \"(\" is never closed"},
        {"run '" + Model + "' '" + Ami + "' --set de=16", 2, "16 is outside the range 0 .. 15"},
        {"run '" + Model + "' '" + Ami + "' --set nope=1", 2, "--set: no parameter \"nope\" sent to the model"},
        {"sweep '" + Model + "' '" + Ami + "' --param de=15:0", 2, "the range needs FROM <= TO and a positive STEP"},
        {"sweep '" + Model + "' '" + Ami + "' --param de=", 2, "--param: \"de=\" is not NAME=VALUE"},
        {"sweep '" + Model + "' '" + Ami + "' --param de=3,x", 2, "\"x\" is not an integer"},
        {"run '" + Model + "' '" + Ami + "' --wave '" + wave + "'", 1, wave + ":3: field 1 \"0.5x\" is not a finite number"},
        {std::string("run '") + STUB_NO_CLOSE_PATH + "' '" + StubAmi() + "'", 1,
         "the model has no symbol AMI_Close"},
        {std::string("run '") + STUB_INIT_FAILS_PATH + "' '" + StubAmi() + "'", 1,
         "AMI_Init returned 0: stub model: parameter gain is out of range"},
        {"run '" + Model + "' '" + Ami + "' --bits many", 2, "--bits: \"many\" is not a whole number"},
        // A wave from a file has its own levels and length.
        {"run '" + Model + "' '" + Ami + "' --wave '" + wave + "' --amplitude 2", 2, "--wave excludes --amplitude"},
        {"run '" + Model + "' '" + Ami + "' --wave '" + wave + "' --bits 8", 2, "--bits excludes --wave"},
        // The receiver's files and values.
        {"run '" + Model + "' '" + Ami + "' --rx-model '" + Dir + "/none.so' --rx-ami '" + RX_CTLE_CDR_AMI + "'", 1,
         Dir + "/none.so: cannot open the model: No such file or directory"},
        {"run '" + Model + "' '" + Ami + "' --rx-model '" + RX_CTLE_IBS + "' --rx-model-name Rx_ctle --rx-set "
         "peaking=99", 2, "--rx-set: parameter peaking (" + std::string(RX_CTLE_INIT_AMI) +
                              ":8, Float, Range 0 .. 40, default 6): 99 is outside the range 0 .. 40"},
        {"run '" + Model + "' '" + Ami + "' --rx-model '" + RX_CTLE_INIT_PATH + "' --rx-ami '" + RX_CTLE_CDR_AMI +
             "'",
         1, "the library has no AMI_GetWave, which " + std::string(RX_CTLE_CDR_AMI) +
                " declares (GetWave_Exists True)"},
        {"run '" + Model + "' '" + Ami + "' --touchstone '" + touchstone + "'", 1,
         touchstone + ":2: only S-parameters are read; this file holds Z-parameters"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(out);
        const bool wave = c.arguments.find("--wave") != std::string::npos;
        const Outcome r = Amihost(c.arguments + (wave ? "" : " --bits 8") + " --out '" + out + "'");
        EXPECT_EQ(r.Status, c.status) << c.arguments << "\n" << r.Output;
        EXPECT_NE(r.Output.find(c.message), std::string::npos) << c.arguments << "\n" << r.Output;
        EXPECT_EQ(r.Output.rfind("amihost: error: ", 0), 0u) << r.Output;
        EXPECT_EQ(std::count(r.Output.begin(), r.Output.end(), '\n'), 1) << r.Output;
        EXPECT_FALSE(Exists(out)) << c.arguments;
    }
}

// With --rx the channel comes first and the model's output is the eye: the
// step file has no column of the model's own step.
TEST(HostCommands, TheReceiverFlowRunsTheChannelIntoTheModel)
{
    const std::string out = Dir + "/rx";
    std::filesystem::remove_all(out);
    const Outcome r = Amihost(std::string("run '") + STUB_SOUND_PATH + "' '" + StubAmi() +
                              "' --rx --loss 6 --bits 200 --response-bits 64 --samples-per-bit 8 --out '" + out + "'");
    ASSERT_EQ(r.Status, 0) << r.Output;
    EXPECT_NE(r.Output.find("flow        stimulus -> channel -> model (receiver) -> eye"), std::string::npos)
        << r.Output;
    EXPECT_EQ(r.Output.find("de-emphasis"), std::string::npos) << r.Output;
    EXPECT_NE(r.Output.find("eye         height"), std::string::npos) << r.Output;
    std::string step;
    std::string error;
    ASSERT_TRUE(TextFile::Read(out + "/step.csv", 1 << 20, step, error)) << error;
    EXPECT_EQ(step.substr(0, step.find('\n')), "time_s,step_at_eye,pulse_at_eye");
}

TEST(HostCommands, AParallelSweepWritesWhatASerialOneWrites)
{
    const std::size_t files = SerialAgainstParallel("--bits 120 --response-bits 40 --loss 10 --param de=0:6", "4", "tx");
    // steps.svg, sweep.csv, bathtubs.svg, sweep.json, index.html, the manifest and seven eyes and bathtubs
    EXPECT_EQ(files, 20u);
}

// As a simulator does: the .ibs names the library and the .ami file, found
// beside it.
TEST(HostCommands, RunAndSweepTakeTheKitsIbsFile)
{
    const std::string kit = MakeKit("kit-run");
    const std::string out = Dir + "/kit-run-out";
    const Outcome r = Amihost("run '" + kit + "/Halvex_tx.ibs'" + Timing +
                              " --bits 64 --response-bits 32 --set de=8 --out '" + out + "'");
    ASSERT_EQ(r.Status, 0) << r.Output;
    EXPECT_NE(r.Output.find("kit         " + kit +
                            "/Halvex_tx.ibs: [Model] Halvex_tx, Executable Linux_gcc_64 (line 101)\n"
                            "model       " + kit + "/Halvex_tx_x64.so (root Halvex_tx, " + kit + "/Halvex_tx.ami)"),
              std::string::npos)
        << r.Output;
    const Outcome swept = Amihost("sweep '" + kit + "/Halvex_tx.ibs' --model Halvex_tx" + Timing +
                                  " --bits 64 --response-bits 32 --param de=0,15 --out '" + out + "'");
    EXPECT_EQ(swept.Status, 0) << swept.Output;

    const struct {
        std::string Arguments;
        int Status;
        std::string Message; // the whole line after "amihost: error: "
    } faults[] = {
        {"run '" + kit + "/Halvex_tx.ibs' --model Halvex", 2,
         "--model: " + kit + "/Halvex_tx.ibs: no [Model] Halvex; models with an [Algorithmic Model]: Halvex_tx"},
        {"run '" + kit + "/none.ibs'", 1, kit + "/none.ibs: cannot read: No such file or directory"},
        {"sweep '" + Model + "' --param de=1", 2,
         "sweep needs FILE.ibs, or LIBRARY and FILE.ami, got only " + Model + " (amihost --help shows the usage)"},
    };
    for (const auto& f : faults) {
        const Outcome fault = Amihost(f.Arguments + " --bits 8 --out '" + out + "'");
        EXPECT_EQ(fault.Status, f.Status) << fault.Output;
        EXPECT_EQ(fault.Output, "amihost: error: " + f.Message + "\n");
    }
    std::filesystem::remove(kit + "/Halvex_tx_x64.so");
    const Outcome missing = Amihost("run '" + kit + "/Halvex_tx.ibs' --bits 8 --out '" + out + "'");
    EXPECT_EQ(missing.Status, 1);
    EXPECT_EQ(missing.Output, "amihost: error: " + kit + "/Halvex_tx_x64.so: cannot open the model: No such file or "
                                                         "directory\n");
}

TEST(HostCommands, CheckPassesOnTheKitAndFailsNamingARemovedLibrary)
{
    const std::string kit = MakeKit("kit-check");
    const Outcome whole = Amihost("check '" + kit + "/Halvex_tx.ibs' --bits 40");
    EXPECT_EQ(whole.Status, 0) << whole.Output;
    EXPECT_EQ(whole.Output.rfind("checking the kit of " + kit + "/Halvex_tx.ibs on 64-bit Linux\n", 0), 0u)
        << whole.Output;
    EXPECT_NE(whole.Output.find("output checksum "), std::string::npos) << whole.Output;
    // The warnings are the settings whose measured responses are off at
    // this sample interval (setting-levels); they do not fail the kit.
    EXPECT_NE(whole.Output.find("\nfindings: 0 ERROR, "), std::string::npos) << whole.Output;
    EXPECT_NE(whole.Output.find(" WARNING, 0 CAUTION, 1 NOTE, 0 PROGRAM BUG\nPassed\n"), std::string::npos)
        << whole.Output;

    std::filesystem::remove(kit + "/Halvex_tx_x64.dll");
    const Outcome broken = Amihost("check '" + kit + "/Halvex_tx.ibs' --bits 40");
    EXPECT_EQ(broken.Status, 1) << broken.Output;
    EXPECT_NE(broken.Output.find("FAIL  executable-files       1 of 4 files missing\n"
                                 "        1  ERROR        " + kit + "/Halvex_tx.ibs:102: Windows_VisualStudio_64 "
                                 "library Halvex_tx_x64.dll is missing"),
              std::string::npos)
        << broken.Output;
    EXPECT_EQ(broken.Output.substr(broken.Output.size() - 8), "\nFailed\n");
    // A --set that the .ami does not allow is still the command line's fault.
    const Outcome usage = Amihost("check '" + kit + "/Halvex_tx.ibs' --set de=16");
    EXPECT_EQ(usage.Status, 2) << usage.Output;
}

// At 20 Gb/s and 32 samples per bit settings 1, 7, 8, 9 and 11 of the model
// settle far from the others (the kit's guide tables them).
TEST(HostCommands, SweepWarnsAboutTheSettingsThatMisbehaveAt50ps)
{
    const std::string out = Dir + "/sweep50";
    std::filesystem::remove_all(out);
    const Streams r = AmihostApart("sweep '" + Model + "' '" + Ami + "' --bit-time 50e-12 --samples-per-bit 32 "
                                   "--bits 300 --loss 10 --param de=0:15 --out '" + out + "'", "sweep50");
    ASSERT_EQ(r.Status, 0) << r.Out << r.Err;
    std::vector<std::string> levels; // the settings whose steady level is warned about
    std::istringstream lines(r.Err);
    for (std::string line; std::getline(lines, line);)
        if (line.find(": steady level ") != std::string::npos)
            levels.push_back(Warned(line, "de").at(0));
    EXPECT_EQ(levels, (std::vector<std::string>{"1", "7", "8", "9", "11"})) << r.Err;
    for (const char* line : {"! de=1: steady level ", "! de=8: steady level ", "! de=11: steady level "})
        EXPECT_NE(r.Out.find(line), std::string::npos) << line << "\n" << r.Out;
    std::string csv;
    std::string error;
    ASSERT_TRUE(TextFile::Read(out + "/sweep.csv", 1 << 20, csv, error)) << error;
    std::size_t flagged = 0;
    for (std::size_t at = csv.find(",1\n"); at != std::string::npos; at = csv.find(",1\n", at + 1))
        ++flagged;
    EXPECT_EQ(flagged, 5u) << csv;
}

TEST(HostCommands, RunWarnsOnItsOwnSettingWhenItsLevelIsWild)
{
    const std::string out = Dir + "/run-wild";
    const Streams wild = AmihostApart("run '" + Model + "' '" + Ami + "'" + Timing +
                                      " --bits 64 --set de=1 --out '" + out + "'", "wild");
    ASSERT_EQ(wild.Status, 0) << wild.Out << wild.Err;
    EXPECT_NE(wild.Out.find("\nwarning     (Halvex_tx (de 1)): steady level 14."), std::string::npos) << wild.Out;
    EXPECT_NE(wild.Err.find("amihost: warning: (Halvex_tx (de 1)): steady level 14."), std::string::npos) << wild.Err;
    EXPECT_NE(wild.Err.find("more than 10 times the input step: this setting misbehaves at this timing\n"),
              std::string::npos)
        << wild.Err;
    const Streams calm = AmihostApart("run '" + Model + "' '" + Ami + "'" + Timing +
                                      " --bits 200 --set de=0 --out '" + out + "'", "calm");
    ASSERT_EQ(calm.Status, 0) << calm.Err;
    EXPECT_EQ(calm.Err, "");
    EXPECT_NE(calm.Out.find("\nsteady      0.66"), std::string::npos) << calm.Out;
}

TEST(HostCommands, IvWritesTheThreeCornersOfAModelsTables)
{
    const std::string out = Dir + "/iv";
    std::filesystem::remove_all(out);
    const std::string ibs = std::string(HALVEX_SOURCE_DIR) + "/model/Halvex_tx.ibs";
    const Outcome r = Amihost("iv '" + ibs + "' --out '" + out + "'");
    ASSERT_EQ(r.Status, 0) << r.Output;
    for (const char* corner : {"typ", "min", "max"}) {
        std::string csv;
        std::string error;
        ASSERT_TRUE(TextFile::Read(out + "/Halvex_tx_" + corner + ".csv", 1 << 20, csv, error)) << error;
        EXPECT_NE(csv.find("\n-1,-0.02,0.02,0,0\n"), std::string::npos) << corner << "\n" << csv;
    }
    EXPECT_NE(r.Output.find("[Pulldown] 7, [Pullup] 7, [GND Clamp] 3, [POWER Clamp] 3 rows"), std::string::npos)
        << r.Output;
    const Outcome none = Amihost("iv '" + ibs + "' --model none --out '" + out + "'");
    EXPECT_EQ(none.Status, 2);
    EXPECT_EQ(none.Output, "amihost: error: --model: " + ibs + ": no [Model] none\n");
}

// Transmitter, channel and receiver in one run: the receiver's clock times
// sample the eye, and the best fixed latency is shown beside them.
TEST(HostCommands, AReceiverModelAfterTheChannelSamplesTheEyeAtItsClock)
{
    const std::string out = Dir + "/rx-chain";
    std::filesystem::remove_all(out);
    const Outcome r = Amihost("run '" + Model + "' '" + Ami + "'" + Timing + " --bits 600 --response-bits 48 --loss 15 "
                              "--set de=8 --rx-model '" + RX_CTLE_CDR_PATH + "' --rx-ami '" + RX_CTLE_CDR_AMI +
                              "' --rx-set peaking=6 --out '" + out + "'");
    ASSERT_EQ(r.Status, 0) << r.Output;
    const std::vector<std::string> lines = {
        "flow        stimulus -> model (transmitter) -> channel -> receiver -> eye\n",
        "receiver    " + std::string(RX_CTLE_CDR_PATH) + " (root Rx_ctle_cdr, " + RX_CTLE_CDR_AMI +
            "), through its AMI_GetWave\n",
        "receiver    (Rx_ctle_cdr (peaking 6) (peak_ghz 6.4) (cdr_gain 0.015625)); its AMI_Init returned 1, no "
        "message\n",
        "eye         at the receiver's ", "            at the best fixed latency: height", "de-emphasis "};
    for (const std::string& line : lines)
        EXPECT_NE(r.Output.find(line), std::string::npos) << line << "\n" << r.Output;
    EXPECT_EQ(r.Output.find("closed"), std::string::npos) << r.Output;
    for (const char* file : {"wave.csv", "step.csv", "eye.svg", "step.svg"})
        EXPECT_TRUE(Exists(out + "/" + file)) << file;
}

// The kit's way: the receiver named by its .ibs, here the Init-only one.
TEST(HostCommands, AReceiverNamedByItsIbisFileIsFoundThere)
{
    const Outcome r = Amihost(std::string("run '") + STUB_SOUND_PATH + "' '" + StubAmi() +
                              "' --loss 10 --samples-per-bit 8 --bits 300 --rx-model '" + RX_CTLE_IBS +
                              "' --rx-model-name Rx_ctle --out '" + Dir + "/rx-ibs'");
    ASSERT_EQ(r.Status, 0) << r.Output;
    EXPECT_NE(r.Output.find("rx_ctle_init.ami; [Model] Rx_ctle of " + std::string(RX_CTLE_IBS) +
                            "), through the impulse response its AMI_Init returns"),
              std::string::npos)
        << r.Output;
    EXPECT_NE(r.Output.find("eye         height"), std::string::npos) << r.Output;
    EXPECT_EQ(r.Output.find("clock times"), std::string::npos) << r.Output;
}

// Each setting opens receiver instances of its own, so a parallel sweep
// still writes what a serial one writes.
TEST(HostCommands, ASweepThroughAReceiverRunsInParallelAsSerially)
{
    const std::size_t files = SerialAgainstParallel("--bits 300 --response-bits 40 --loss 15 --param de=0,8,15 "
                                                    "--rx-model '" + std::string(RX_CTLE_IBS) +
                                                        "' --rx-model-name Rx_ctle_cdr",
                                                    "3", "rx");
    // steps.svg, sweep.csv, bathtubs.svg, sweep.json, index.html, the manifest and three eyes and bathtubs
    EXPECT_EQ(files, 12u);
}

// A Touchstone channel between the transmitter and the eye: a short
// stripline's 4-port, its Sdd21 given to AMI_Init and applied to the wave.
TEST(HostCommands, ATouchstoneChannelStandsBetweenTheModelAndTheEye)
{
    DifferentialStripline line;
    line.Length = 0.1;
    std::vector<double> frequencies;
    for (int k = 1; k <= 1000; ++k)
        frequencies.push_back(k * 40e6);
    const std::string file =
        Write("line.s4p", TouchstoneFile::Write(line.Network(frequencies, ThroughPath::Through12And34), 1, ""));
    const std::string out = Dir + "/touchstone";
    std::filesystem::remove_all(out);
    const Outcome r = Amihost("run '" + Model + "' '" + Ami + "'" + Timing + " --bits 300 --touchstone '" + file +
                              "' --out '" + out + "'");
    ASSERT_EQ(r.Status, 0) << r.Output;
    // The line's own Sdd21 at DC is 0.9923; the data start at 40 MHz (0.987).
    EXPECT_NE(r.Output.find("channel     Touchstone " + file + ", Sdd21 (1-2/3-4), 0.04 .. 40 GHz, DC gain 0.992"),
              std::string::npos)
        << r.Output;
    EXPECT_NE(r.Output.find("eye         height"), std::string::npos) << r.Output;
    EXPECT_TRUE(Exists(out + "/eye.svg"));
}

namespace {

// The printed eye's height (V) and width (UI): "eye         height H, width W UI".
std::pair<double, double> PrintedEye(const std::string& text)
{
    const std::size_t at = text.find("\neye         height ");
    if (at == std::string::npos)
        return {std::nan(""), std::nan("")};
    const char* height = text.c_str() + at + 20;
    char* end = nullptr;
    const double h = std::strtod(height, &end);
    const std::size_t width = text.find("width ", at);
    return {h, std::strtod(text.c_str() + width + 6, nullptr)};
}

} // namespace

// The measured cable delays the signal by about 14.3 ns, 183 bits at 12.8
// Gb/s: a window of the default 96 bits ended before the signal arrived and
// read every setting closed. The window now follows the channel's impulse
// response, and the eye with the defaults is the eye with a long window.
TEST(HostCommands, TheWindowFollowsAMeasuredCablesDelay)
{
    const std::string dir = SharedDataDir("touchstone");
    if (dir.empty())
        GTEST_SKIP() << SharedDataMissing("touchstone");
    const std::string cable = "'" + dir + "/CABLE1_TX_pair.s4p'";
    std::pair<double, double> eyes[2];
    const char* windows[2] = {"", " --response-bits 600"};
    for (int i = 0; i < 2; ++i) {
        const Outcome r = Amihost("run '" + Model + "' '" + Ami + "'" + Timing + " --set de=3 --touchstone " +
                                  cable + windows[i] + " --out '" + Dir + "/cable'");
        ASSERT_EQ(r.Status, 0) << r.Output;
        EXPECT_EQ(r.Output.find("not settled"), std::string::npos) << r.Output;
        eyes[i] = PrintedEye(r.Output);
        ASSERT_GT(eyes[i].first, 0.0) << r.Output;
    }
    EXPECT_NEAR(eyes[0].first, eyes[1].first, 0.02 * eyes[1].first);
    EXPECT_NEAR(eyes[0].second, eyes[1].second, 0.02 * eyes[1].second);
}

// Inputs that are probably wrong give a warning each, on standard error
// and in the printed report, and the run still answers.
TEST(HostCommands, ProbablyWrongInputsAreWarnedAbout)
{
    const std::string dir = SharedDataDir("touchstone");
    if (dir.empty())
        GTEST_SKIP() << SharedDataMissing("touchstone");
    const std::string cable = dir + "/CABLE1_TX_pair.s4p";
    const auto warns = [](const std::string& arguments, const std::string& name, const std::string& words) {
        const Streams r = AmihostApart(arguments + " --out '" + Dir + "/" + name + "'", name);
        EXPECT_EQ(r.Status, 0) << r.Out << r.Err;
        EXPECT_NE(r.Err.find("amihost: warning: "), std::string::npos) << r.Err;
        EXPECT_NE(r.Err.find(words), std::string::npos) << name << "\n" << r.Err;
        EXPECT_NE(r.Out.find(words), std::string::npos) << name << "\n" << r.Out;
    };
    const std::string run = "run '" + Model + "' '" + Ami + "' --set de=3 --bits 200";
    // Its through path is ports 1-2/3-4; read the other way it is a coupling.
    warns(run + Timing + " --touchstone '" + cable + "' --s4p-order 1-3/2-4", "order",
          "the data are probably in the other order (--s4p-order 1-2/3-4)");
    // A through that gains 3 times, and one with a tenth of its energy
    // arriving 0.5 ns before it is sent (0.3 ahead against 0.9 after 1 ns).
    std::string gain = "# GHz S RI R 50\n";
    std::string early = gain;
    std::string flat = gain;
    const double pi = 3.14159265358979323846;
    for (int k = 0; k <= 400; ++k) {
        const double f = k * 0.05; // GHz, to 20 GHz
        const std::complex<double> h =
            0.9 * std::polar(1.0, -2.0 * pi * f * 1.0) + 0.3 * std::polar(1.0, 2.0 * pi * f * 0.5);
        char line[200];
        std::snprintf(line, sizeof line, "%g 0 0 3 0 3 0 0 0\n", f);
        gain += line;
        std::snprintf(line, sizeof line, "%g 0 0 %.12g %.12g %.12g %.12g 0 0\n", f, h.real(), h.imag(), h.real(),
                      h.imag());
        early += line;
        std::snprintf(line, sizeof line, "%g 0 0 0.9 0 0.9 0 0 0\n", f);
        flat += line;
    }
    warns(run + Timing + " --touchstone '" + Write("gain.s2p", gain) + "'", "passive", "not passive");
    warns(run + Timing + " --touchstone '" + Write("early.s2p", early) + "'", "causal", "lies before t = 0");
    // Data to 20 GHz for 25.6 Gb/s.
    warns(run + " --bit-time 39.0625e-12 --touchstone '" + Write("flat.s2p", flat) + "'", "band",
          "data end at 20 GHz, below the 25.6 GHz this run needs");
    // 50 measured bits are too few for the figures.
    warns("run '" + Model + "' '" + Ami + "' --set de=3 --bits 60" + Timing + " --loss 3", "few",
          "fewer than 127 (one PRBS7 period)");
}

// The best setting is the largest eye at the target BER (height times
// width), the least boost among near ties: it rises with the line's loss.
TEST(HostCommands, TheBestSettingRisesWithTheLinesLoss)
{
    const std::pair<const char*, const char*> picks[] = {{"0", "2"}, {"3", "4"}, {"6", "6"}, {"10", "13"}, {"15", "15"}};
    for (const auto& [loss, best] : picks) {
        const std::string out = Dir + "/best" + loss;
        const Outcome r = Amihost("sweep '" + Model + "' '" + Ami + "'" + Timing + " --bits 150 --param de=0:15 --loss " +
                                  loss + " --out '" + out + "'");
        ASSERT_EQ(r.Status, 0) << r.Output;
        EXPECT_NE(r.Output.find(std::string("* best for this channel: de=") + best + " ("), std::string::npos)
            << loss << " dB\n" << r.Output;
    }
}
