// End to end: what run and sweep leave in the output folder for scripts and
// records (summary.json, bathtub.csv, sweep.json) and the folder's manifest.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

#include "tests/amihost/cli/AmihostProcess.h"
#include "tools/amihost/signal/TextFile.h"

namespace fs = std::filesystem;
using Json = nlohmann::json;

namespace {

const std::string Dir = std::string(AMIHOST_TEST_DIR) + "/files";
const std::string Model = std::string(" '") + HALVEX_MODEL_PATH + "' '" + HALVEX_AMI_PATH + "'";
const std::string Timing = " --bit-time 78.125e-12 --samples-per-bit 32 --response-bits 48";

std::string Read(const std::string& path)
{
    std::string text;
    std::string error;
    EXPECT_TRUE(TextFile::Read(path, 1 << 26, text, error)) << error;
    return text;
}

Json ReadJson(const std::string& path)
{
    return Json::parse(Read(path), nullptr, false);
}

std::set<std::string> Names(const std::string& dir)
{
    std::set<std::string> names;
    std::error_code code;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir, code))
        names.insert(entry.path().filename().string());
    return names;
}

// The number after `label` in the printed report.
double Printed(const std::string& text, const std::string& label)
{
    const std::size_t at = text.find(label);
    return at == std::string::npos ? std::nan("") : std::atof(text.c_str() + at + label.size());
}

} // namespace

// The JSON holds the figures that run prints, to the digits printed, and
// bathtub.csv the bathtub that the BER figures come from.
TEST(HostCommandsFiles, RunWritesSummaryJsonWithThePrintedFiguresAndBathtubCsv)
{
    const std::string out = Dir + "/run";
    fs::remove_all(out);
    const Outcome r = Amihost("run" + Model + Timing + " --bits 600 --loss 10 --set de=8 --rj 0.01 --out '" + out + "'");
    ASSERT_EQ(r.Status, 0) << r.Output;
    const Json summary = ReadJson(out + "/summary.json");
    ASSERT_FALSE(summary.is_discarded()) << Read(out + "/summary.json");
    EXPECT_EQ(summary["command"], "run");
    EXPECT_EQ(Amihost("--version").Output.find(summary["version"].get<std::string>()) != std::string::npos, true);
    EXPECT_EQ(summary["inputs"]["parameters"], "(Halvex_tx (de 8))");
    EXPECT_DOUBLE_EQ(summary["inputs"]["bit_time_s"].get<double>(), 78.125e-12);
    EXPECT_DOUBLE_EQ(summary["inputs"]["loss_dB"].get<double>(), 10.0);
    EXPECT_TRUE(summary["inputs"]["touchstone_file"].is_null());
    const Json& results = summary["results"];
    EXPECT_NEAR(results["deemphasis_dB"].get<double>(), Printed(r.Output, "de-emphasis "), 0.005);
    EXPECT_NEAR(results["eye"]["height_V"].get<double>(), Printed(r.Output, "eye         height "), 0.00005);
    EXPECT_NEAR(results["ber"]["height_V"].get<double>(), Printed(r.Output, "BER         at 1e-12: height "),
                0.00005);
    EXPECT_NEAR(results["steady_level"].get<double>(), Printed(r.Output, "steady      "), 0.0005);
    // Every file it names is there, and nothing else but the manifest.
    std::set<std::string> listed{".amihost-manifest"};
    for (const Json& name : summary["files"])
        listed.insert(name.get<std::string>());
    EXPECT_EQ(listed, Names(out));
    EXPECT_TRUE(listed.count("bathtub.csv") && listed.count("index.html"));

    // bathtub.csv: one row per phase of the bathtub; its centre row is the eye at the target BER.
    const std::string csv = Read(out + "/bathtub.csv");
    EXPECT_EQ(csv.substr(0, csv.find('\n')), "phase_ui,ber,opening");
    std::size_t rows = 0;
    double phase = 0.0, ber = 0.0, opening = 0.0, centre = std::nan("");
    for (std::size_t at = csv.find('\n'); at + 1 < csv.size(); at = csv.find('\n', at + 1)) {
        ASSERT_EQ(std::sscanf(csv.c_str() + at + 1, "%lf,%lf,%lf", &phase, &ber, &opening), 3);
        EXPECT_GE(ber, 0.0);
        EXPECT_LE(ber, 0.5);
        if (rows == 16) // the middle phase, the eye's centre
            centre = opening;
        ++rows;
    }
    EXPECT_EQ(rows, 33u); // samples per bit + 1
    EXPECT_DOUBLE_EQ(centre, results["ber"]["height_V"].get<double>());
}

TEST(HostCommandsFiles, SweepJsonHasOneSettingPerRowOfSweepCsvAndTheSameBest)
{
    const std::string out = Dir + "/sweep";
    fs::remove_all(out);
    const Outcome r = Amihost("sweep" + Model + Timing + " --bits 300 --loss 12 --param de=0,8,15 --out '" + out + "'");
    ASSERT_EQ(r.Status, 0) << r.Output;
    const Json sweep = ReadJson(out + "/sweep.json");
    ASSERT_FALSE(sweep.is_discarded());
    EXPECT_EQ(sweep["inputs"]["swept"], "de");
    const Json& settings = sweep["results"]["settings"];
    ASSERT_EQ(settings.size(), 3u);
    const std::string csv = Read(out + "/sweep.csv");
    std::size_t at = csv.find('\n');
    for (const Json& setting : settings) {
        char value[16] = "";
        double deemphasis = 0.0, height = 0.0, relative = 0.0, width = 0.0;
        int best = 0;
        ASSERT_EQ(std::sscanf(csv.c_str() + at + 1, "%15[^,],%lf,%lf,%lf,%lf,%d", value, &deemphasis, &height,
                              &relative, &width, &best),
                  6);
        EXPECT_EQ(setting["value"], value);
        EXPECT_NEAR(setting["eye"]["height_V"].get<double>(), height, 1e-5 * std::fabs(height) + 1e-12);
        EXPECT_EQ(setting["best"].get<bool>(), best == 1);
        if (best == 1) {
            EXPECT_EQ(sweep["results"]["best"], value);
        }
        EXPECT_EQ(setting["bathtub"]["phase_UI"].size(), 33u);
        at = csv.find('\n', at + 1);
    }
}

// A sweep's sixteen eyes do not outlive it: the run after it leaves only its own files.
TEST(HostCommandsFiles, ARerunIntoAUsedFolderLeavesExactlyTheNewRunsFiles)
{
    const std::string out = Dir + "/reused";
    fs::remove_all(out);
    ASSERT_EQ(Amihost("sweep" + Model + Timing + " --bits 64 --param de=0:15 --out '" + out + "'").Status, 0);
    EXPECT_TRUE(fs::exists(out + "/eye_de_15.svg"));
    fs::create_directories(out + "/mine");
    const Outcome r = Amihost("run" + Model + Timing + " --bits 64 --out '" + out + "'");
    ASSERT_EQ(r.Status, 0) << r.Output;
    EXPECT_EQ(Names(out), (std::set<std::string>{".amihost-manifest", "wave.csv", "step.csv", "eye.svg", "step.svg",
                                                 "bathtub.svg", "bathtub.csv", "summary.json", "index.html",
                                                 "mine"}));
}

TEST(HostCommandsFiles, AFolderOfOtherFilesIsRefusedBeforeSimulatingUnlessReused)
{
    const std::string out = Dir + "/foreign";
    fs::remove_all(out);
    fs::create_directories(out);
    std::string error;
    ASSERT_TRUE(TextFile::Write(out + "/notes.txt", "mine", error)) << error;
    const Outcome refused = Amihost("run" + Model + Timing + " --bits 64 --out '" + out + "'");
    EXPECT_EQ(refused.Status, 2) << refused.Output;
    EXPECT_EQ(refused.Output.find("amihost: error: "), 0u) << refused.Output;
    EXPECT_EQ(refused.Output.find('\n'), refused.Output.size() - 1) << refused.Output; // one line
    EXPECT_EQ(Names(out), (std::set<std::string>{"notes.txt"}));
    const Outcome reused = Amihost("run" + Model + Timing + " --bits 64 --reuse-folder --out '" + out + "'");
    ASSERT_EQ(reused.Status, 0) << reused.Output;
    EXPECT_EQ(Read(out + "/notes.txt"), "mine");
    EXPECT_TRUE(fs::exists(out + "/summary.json"));
}
