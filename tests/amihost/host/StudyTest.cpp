// The study behind run and sweep: what it opens, through which path, and
// that the request it was given stays as given.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "tools/amihost/host/Study.h"
#include "tools/amihost/signal/TextFile.h"

namespace {

namespace fs = std::filesystem;

// A fresh kit folder `name` with the .ibs, the .ami and the built library.
std::string MakeKit(const std::string& name)
{
    const std::string dir = std::string(AMIHOST_TEST_DIR) + "/" + name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy_file(std::string(HALVEX_SOURCE_DIR) + "/model/Halvex_tx.ibs", dir + "/Halvex_tx.ibs");
    fs::copy_file(HALVEX_AMI_PATH, dir + "/Halvex_tx.ami");
    fs::copy_file(HALVEX_MODEL_PATH, dir + "/Halvex_tx_x64.so");
    return dir;
}

HostRequest Short()
{
    HostRequest request;
    request.Action = HostRequest::Run;
    request.Bits = 80;
    request.ResponseBits = 32;
    request.LossDb = 8.0;
    return request;
}

} // namespace

// The kit's library and .ami file stand beside the request, which keeps
// its empty names: nothing is written back into it.
TEST(Study, TheKitNamesTheFilesAndTheRequestStaysAsGiven)
{
    const std::string kit = MakeKit("study-kit");
    HostRequest request = Short();
    request.IbisPath = kit + "/Halvex_tx.ibs";
    request.Settings = {{"de", "8"}};
    Study study(request);
    std::string error;
    ASSERT_EQ(study.Open(error), ExitOk) << error;
    EXPECT_EQ(study.ModelPath(), kit + "/Halvex_tx_x64.so");
    EXPECT_EQ(study.AmiPath(), kit + "/Halvex_tx.ami");
    EXPECT_EQ(study.Request().ModelPath, "");
    EXPECT_EQ(study.Request().AmiPath, "");
    EXPECT_EQ(study.Request().IbisPath, request.IbisPath);
    ASSERT_NE(study.Opened.Model, nullptr);
    EXPECT_EQ(study.Opened.Model->Name, "Halvex_tx");
    EXPECT_EQ(study.Opened.Line.Library, study.ModelPath()); // the one opening, not a second reading
    EXPECT_EQ(study.Opened.Description(),
              kit + "/Halvex_tx.ibs: [Model] Halvex_tx, Executable Linux_gcc_64 (line 101)");
    EXPECT_EQ(study.Parameters, "(Halvex_tx (de 8))");

    // The library named directly gives the same study, without a kit.
    HostRequest direct = Short();
    direct.ModelPath = study.ModelPath();
    direct.AmiPath = study.AmiPath();
    direct.Settings = request.Settings;
    Study plain(direct);
    ASSERT_EQ(plain.Open(error), ExitOk) << error;
    EXPECT_EQ(plain.Opened.Model, nullptr);
    EXPECT_EQ(plain.Opened.Description(), "");
    SimulationResult a;
    SimulationResult b;
    ASSERT_TRUE(study.Run({}, a, error)) << error;
    ASSERT_TRUE(plain.Run({}, b, error)) << error;
    EXPECT_EQ(a.Received, b.Received);
}

// Absent values are absent in the configuration too: no skip count, no
// receiver after the channel; --rx makes the model the receiver.
TEST(Study, TheConfigurationFollowsTheRequest)
{
    HostRequest request = Short();
    request.ModelPath = HALVEX_MODEL_PATH;
    request.AmiPath = HALVEX_AMI_PATH;
    request.Seed = 7;
    Study study(request);
    std::string error;
    ASSERT_EQ(study.Open(error), ExitOk) << error;
    SimulationConfig config = study.Config();
    EXPECT_FALSE(config.SkipBits);
    EXPECT_EQ(config.ModelRole, SimulationConfig::Transmitter);
    EXPECT_EQ(config.Rx, nullptr);
    EXPECT_EQ(config.Link, &study.Link);
    EXPECT_EQ(config.Drive, &study.Drive);
    EXPECT_EQ(config.NoiseSeed, Study::NoiseSeed(7));
    EXPECT_NE(Study::NoiseSeed(7), 7u); // the noise never shares the jitter's sequence
    EXPECT_EQ(study.Drive.TotalBits(), 80u);

    request.SkipBits = 0;
    request.ModelIsReceiver = true;
    Study receiving(request);
    ASSERT_EQ(receiving.Open(error), ExitOk) << error;
    config = receiving.Config();
    ASSERT_TRUE(config.SkipBits);
    EXPECT_EQ(*config.SkipBits, 0u); // zero is a count, not "absent"
    EXPECT_EQ(config.ModelRole, SimulationConfig::Receiver);
}

TEST(Study, AModelNameOrSettingThatDoesNotFitIsTheCommandLinesFault)
{
    const std::string kit = MakeKit("study-usage");
    HostRequest request = Short();
    request.IbisPath = kit + "/Halvex_tx.ibs";
    request.ModelName = "Nope";
    std::string error;
    {
        Study study(request);
        EXPECT_EQ(study.Open(error), ExitUsage);
        EXPECT_EQ(error.rfind("--model: " + request.IbisPath + ": no [Model] Nope", 0), 0u) << error;
    }
    request.ModelName.clear();
    request.Settings = {{"de", "99"}};
    {
        Study study(request);
        EXPECT_EQ(study.Open(error), ExitUsage);
        EXPECT_EQ(error.rfind("--set: ", 0), 0u) << error;
    }
    request.Settings.clear();
    request.IbisPath = kit + "/missing.ibs";
    {
        Study study(request);
        EXPECT_EQ(study.Open(error), ExitFailure);
        EXPECT_NE(error.find("missing.ibs"), std::string::npos) << error;
    }
}

// Each setting of a sweep is handed over once, under its own index, and
// equals the same setting run alone.
TEST(Study, ASweepHandsOverEverySettingOnceAsARunOfItWouldGive)
{
    HostRequest request = Short();
    request.Action = HostRequest::Sweep;
    request.ModelPath = HALVEX_MODEL_PATH;
    request.AmiPath = HALVEX_AMI_PATH;
    request.SweepSpec = "de=2,9,15";
    request.Jobs = 2;
    Study study(request);
    std::string error;
    ASSERT_EQ(study.Open(error), ExitOk) << error;
    std::string key;
    std::vector<std::string> values;
    ASSERT_EQ(study.SweptValues(key, values, error), ExitOk) << error;
    ASSERT_EQ(values, (std::vector<std::string>{"2", "9", "15"}));
    std::mutex lock;
    std::vector<int> handed(values.size(), 0);
    std::vector<EyeResult> eyes(values.size());
    ASSERT_EQ(study.Sweep(key, values, [](std::size_t, const std::string&) { return Study::Progress(); },
                          [&](std::size_t i, SimulationResult& result) {
                              const std::lock_guard<std::mutex> guard(lock);
                              ++handed[i];
                              eyes[i] = result.Eye;
                              // A sweep keeps no wave: only what its report shows.
                              EXPECT_TRUE(result.Received.empty());
                          },
                          error),
              ExitOk)
        << error;
    EXPECT_EQ(handed, (std::vector<int>{1, 1, 1}));
    HostRequest alone = request;
    alone.Action = HostRequest::Run;
    alone.SweepSpec.reset();
    alone.Settings = {{"de", "9"}};
    Study single(alone);
    ASSERT_EQ(single.Open(error), ExitOk) << error;
    SimulationResult result;
    ASSERT_TRUE(single.Run({}, result, error)) << error;
    EXPECT_EQ(result.Eye.Height, eyes[1].Height);
    EXPECT_EQ(result.Eye.Width, eyes[1].Width);
    EXPECT_EQ(result.Eye.Latency, eyes[1].Latency);
    EXPECT_NE(eyes[0].Height, eyes[2].Height);
}

// The window reaches past where the channel's impulse response holds all
// but a trace of its energy, with room for the model after it; a longer
// --response-bits stands.
TEST(Study, TheResponseWindowCoversTheChannelAndResponseBitsIsAFloor)
{
    HostRequest request = Short();
    request.ModelPath = HALVEX_MODEL_PATH;
    request.AmiPath = HALVEX_AMI_PATH;
    request.LossDb = 30.0;
    Study study(request);
    std::string error;
    ASSERT_EQ(study.Open(error), ExitOk) << error;
    ASSERT_TRUE(study.Span);
    const double channelBits = std::ceil(study.Span->End / request.BitTime);
    EXPECT_GT(channelBits, 0.0);
    EXPECT_EQ(study.WindowBits(), std::max<std::size_t>(32, static_cast<std::size_t>(channelBits) + 32));
    EXPECT_EQ(study.Config().ResponseBits, study.WindowBits());

    request.ResponseBits = 600;
    Study longer(request);
    ASSERT_EQ(longer.Open(error), ExitOk) << error;
    EXPECT_EQ(longer.WindowBits(), 600u);
}

// With no noise, no jitter and no receiver model the wave holds no random
// part: the eye at any BER is the measured eye, at 1000 bits as at any.
TEST(Study, WithoutARandomPartTheEyeAtTheBerIsTheMeasuredEye)
{
    HostRequest request = Short();
    request.ModelPath = HALVEX_MODEL_PATH;
    request.AmiPath = HALVEX_AMI_PATH;
    request.Bits = 1000;
    request.Settings = {{"de", "8"}};
    for (const double ber : {1e-12, 1e-3}) {
        request.TargetBer = ber;
        Study study(request);
        std::string error;
        ASSERT_EQ(study.Open(error), ExitOk) << error;
        EXPECT_EQ(study.Config().Random, BerAnalysis::RandomPart::Absent);
        SimulationResult result;
        ASSERT_TRUE(study.Run(nullptr, result, error)) << error;
        ASSERT_TRUE(result.Eye.Valid && result.Ber.Valid);
        EXPECT_GT(result.Eye.Height, 0.0);
        EXPECT_EQ(result.Ber.Height, result.Eye.Height) << ber;
        EXPECT_EQ(result.Ber.Width, result.Eye.Width) << ber;
    }
    // Noise, random jitter or sinusoidal jitter each make it present.
    for (int which = 0; which < 3; ++which) {
        HostRequest random = request;
        (which == 0 ? random.NoiseRms : which == 1 ? random.RjUi : random.SjUi) = 0.01;
        Study study(random);
        std::string error;
        ASSERT_EQ(study.Open(error), ExitOk) << error;
        EXPECT_EQ(study.Config().Random, BerAnalysis::RandomPart::Present) << which;
    }
}
