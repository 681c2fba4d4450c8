// Both flows of a simulation on the sound stand-in model, whose filter is
// known, against the chain computed here sample by sample.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tools/amihost/host/AmiModel.h"
#include "tools/amihost/host/Simulation.h"
#include "tools/amihost/signal/GaussianNoise.h"

namespace {

constexpr int Spb = 4;
constexpr double BitTime = 1e-10;
constexpr double Dt = BitTime / Spb;

// The stand-in's filter, written as it computes it.
std::vector<double> StubFilter(const std::vector<double>& x)
{
    std::vector<double> y(x.size());
    double last0 = 0.0;
    double last1 = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        y[i] = 0.5 * x[i] + 0.3 * last0 + 0.2 * last1;
        last1 = last0;
        last0 = x[i];
    }
    return y;
}

struct Bench {
    AmiModel Model;
    Channel Link;
    Stimulus Drive = Stimulus::Prbs(7, 60, Spb, 1.0);
    SimulationConfig Config;

    explicit Bench(bool receiver)
    {
        std::string error;
        EXPECT_TRUE(Model.Load(STUB_SOUND_PATH, error)) << error;
        EXPECT_TRUE(Channel::FromImpulse({0.6 / Dt, 0.3 / Dt, 0.1 / Dt}, Dt, "h", Link, error)) << error;
        Config.BitTime = BitTime;
        Config.SamplesPerBit = Spb;
        Config.BlockSize = 7; // calls that cut bits and the step run anywhere
        Config.ResponseBits = 16;
        Config.Receiver = receiver;
        Config.Link = &Link;
        Config.Drive = &Drive;
    }

    std::vector<double> UnitStep() const
    {
        std::vector<double> step((SimulationConfig::StepLeadBits + Config.ResponseBits) * Spb, 1.0);
        std::fill(step.begin(), step.begin() + SimulationConfig::StepLeadBits * Spb, 0.0);
        return step;
    }
};

} // namespace

TEST(Simulation, TheReceiverFlowPutsTheChannelBeforeTheModel)
{
    Bench bench(true);
    SimulationResult result;
    std::string error;
    ASSERT_TRUE(Simulation::Run(bench.Model, bench.Config, "(Stub)", result, nullptr, error)) << error;
    EXPECT_EQ(result.Output, StubFilter(bench.Link.Apply(bench.Drive.Wave)));
    EXPECT_EQ(result.Received, result.Output);
    EXPECT_EQ(result.RxStep, StubFilter(bench.Link.Apply(bench.UnitStep())));
    EXPECT_TRUE(result.TxStep.empty());
    EXPECT_TRUE(std::isnan(result.DeemphasisDb));
    // DC gain 1 through both: the eye opens by the full swing less the ISI.
    ASSERT_TRUE(result.Eye.Valid);
    EXPECT_GT(result.Eye.Height, 0.0);
    EXPECT_NEAR(result.RxStep.back(), 1.0, 1e-12);
}

TEST(Simulation, TheTransmitterFlowPutsTheChannelAfterTheModel)
{
    Bench bench(false);
    SimulationResult result;
    std::string error;
    ASSERT_TRUE(Simulation::Run(bench.Model, bench.Config, "(Stub)", result, nullptr, error)) << error;
    EXPECT_EQ(result.Output, StubFilter(bench.Drive.Wave));
    EXPECT_EQ(result.Received, bench.Link.Apply(result.Output));
    EXPECT_EQ(result.TxStep, StubFilter(bench.UnitStep()));
    EXPECT_EQ(result.RxStep, bench.Link.Apply(result.TxStep));
    // The stand-in boosts nothing: its step rises to 1 within the first bit.
    EXPECT_NEAR(result.DeemphasisDb, 0.0, 1e-12);
}

// Noise is added to the wave at the eye only, as its seed's sequence, after
// the channel; the eye at the target BER is measured on that wave.
TEST(Simulation, NoiseJoinsTheWaveAtTheEyeAfterTheWholeChain)
{
    Bench bench(false);
    bench.Drive = Stimulus::Prbs(7, 600, Spb, 1.0);
    SimulationResult clean;
    std::string error;
    ASSERT_TRUE(Simulation::Run(bench.Model, bench.Config, "(Stub)", clean, nullptr, error)) << error;
    bench.Config.NoiseRms = 0.05;
    bench.Config.NoiseSeed = 7;
    bench.Config.TargetBer = 1e-9;
    SimulationResult noisy;
    ASSERT_TRUE(Simulation::Run(bench.Model, bench.Config, "(Stub)", noisy, nullptr, error)) << error;
    EXPECT_EQ(noisy.Output, clean.Output);
    EXPECT_EQ(noisy.RxStep, clean.RxStep);
    GaussianNoise noise(7);
    ASSERT_EQ(noisy.Received.size(), clean.Received.size());
    for (std::size_t i = 0; i < clean.Received.size(); ++i)
        ASSERT_EQ(noisy.Received[i], clean.Received[i] + 0.05 * noise.Next()) << i;
    ASSERT_TRUE(noisy.Ber.Valid);
    EXPECT_EQ(noisy.Ber.TargetBer, 1e-9);
    EXPECT_LT(noisy.Ber.Height, noisy.Eye.Height);
    EXPECT_LT(noisy.Eye.Height, clean.Eye.Height);
}
