// End to end: the built amihost on the built model and on stand-in models.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tools/amihost/signal/TextFile.h"

namespace {

const std::string Dir = std::string(AMIHOST_TEST_DIR) + "/e2e";
const std::string Model = HALVEX_MODEL_PATH;
const std::string Ami = HALVEX_AMI_PATH;
const std::string Timing = " --bit-time 78.125e-12 --samples-per-bit 32";

struct Outcome {
    int Status;
    std::string Output; // standard output and error together
};

Outcome Amihost(const std::string& arguments)
{
    const std::string command = std::string("'") + AMIHOST_PATH + "' " + arguments + " 2>&1";
    Outcome outcome{-1, ""};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return outcome;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        outcome.Output.append(buffer, n);
    const int status = pclose(pipe);
    outcome.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

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
                                                 "eye_width_ui,best,target_ber,eye_height_at_ber,eye_width_at_ber_ui");
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
    const std::string badAmi = Write("bad.ami", "(Halvex_tx\n (Model_Specific\n  (de (Usage In) (Type Integer) "
                                                "(Range 15 0 15)\n)\n");
    const struct {
        std::string arguments;
        int status;
        std::string message;
    } cases[] = {
        {"run '" + Dir + "/none.so' '" + Ami + "'", 1, Dir + "/none.so: cannot open the model: No such file or directory"},
        {"run '" + Model + "' '" + Dir + "/none.ami'", 1, Dir + "/none.ami: cannot read: No such file or directory"},
        {"run '" + Model + "' '" + badAmi + "'", 1, badAmi + ":2: unbalanced parentheses: this \"(\" is never closed"},
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
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(out);
        const Outcome r = Amihost(c.arguments + " --bits 8 --out '" + out + "'");
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
