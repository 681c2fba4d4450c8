// Both flows of a simulation on the sound stand-in model, whose filter is
// known, against the chain computed here sample by sample.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tools/amihost/eye/ClockedEye.h"
#include "tools/amihost/eye/EyeAnalysis.h"
#include "tools/amihost/host/AmiModel.h"
#include "tools/amihost/host/Receiver.h"
#include "tools/amihost/host/Simulation.h"
#include "tools/amihost/signal/GaussianNoise.h"
#include "tools/amihost/signal/Stimulus.h"

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
    Stimulus Drive = Stimulus::Prbs(7, 60, Spb, 1.0); // the reference's whole wave
    StimulusStream Stream = StimulusStream::Prbs(7, 60, Spb, 1.0);
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
        Config.ModelRole = receiver ? SimulationConfig::Receiver : SimulationConfig::Transmitter;
        Config.Link = &Link;
        Config.Drive = &Stream;
    }

    void SetBits(std::size_t bits)
    {
        Drive = Stimulus::Prbs(7, bits, Spb, 1.0);
        Stream = StimulusStream::Prbs(7, bits, Spb, 1.0);
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

namespace {

// A transmitter stand-in, a 12 dB line and the test receiver (its CTLE 8 dB
// at Nyquist), at 16 samples per bit.
struct Chain {
    static constexpr int ChainSpb = 16;
    AmiModel Tx;
    Receiver Rx;
    Channel Link;
    StimulusStream Drive = StimulusStream::Prbs(7, 500, ChainSpb, 1.0);
    SimulationConfig Config;

    Chain(const char* tx, const char* rx, const char* rxAmi)
    {
        std::string error;
        EXPECT_TRUE(Tx.Load(tx, error)) << error;
        EXPECT_TRUE(Rx.Read(rx, rxAmi, "", error)) << error;
        EXPECT_TRUE(Rx.SetParameters({{"peaking", "8"}, {"peak_ghz", "5"}}, error)) << error;
        EXPECT_TRUE(Rx.Load(error)) << error;
        EXPECT_TRUE(Channel::Line(12.0, BitTime, BitTime / ChainSpb, 4096, Link, error)) << error;
        Config.BitTime = BitTime;
        Config.SamplesPerBit = ChainSpb;
        Config.BlockSize = 333;
        Config.ResponseBits = 48;
        Config.Link = &Link;
        Config.Drive = &Drive;
        Config.Rx = &Rx;
        Config.TxReturnsImpulse = std::string(tx) == STUB_EQUALISES_PATH;
    }

    SimulationResult Run()
    {
        SimulationResult result;
        std::string error;
        EXPECT_TRUE(Simulation::Run(Tx, Config, "(Stub)", result, nullptr, error)) << error;
        return result;
    }

    // The impulse matrix every model's AMI_Init starts from: the channel's
    // with ResponseBits UI of zeros after it.
    std::vector<double> Padded() const
    {
        std::vector<double> matrix = Link.ImpulseMatrix(BitTime / ChainSpb);
        matrix.resize(matrix.size() + Config.ResponseBits * ChainSpb, 0.0);
        return matrix;
    }
};

double LargestDifference(const std::vector<double>& a, const std::vector<double>& b)
{
    EXPECT_EQ(a.size(), b.size());
    double worst = 0.0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        worst = std::max(worst, std::fabs(a[i] - b[i]));
    return worst;
}

} // namespace

TEST(Simulation, TheReceiversAmiInitGetsTheChannelOrWhatTheTransmitterReturns)
{
    Chain plain(STUB_SOUND_PATH, RX_CTLE_INIT_PATH, RX_CTLE_INIT_AMI);
    const SimulationResult alone = plain.Run();
    EXPECT_EQ(alone.RxImpulseIn, plain.Padded());

    // A transmitter whose AMI_Init returns its own response (the stand-in's
    // filter, 0.5 0.3 0.2) hands the receiver the channel through it.
    Chain returning(STUB_EQUALISES_PATH, RX_CTLE_INIT_PATH, RX_CTLE_INIT_AMI);
    const SimulationResult chained = returning.Run();
    const std::vector<double> channel = returning.Padded();
    std::vector<double> expected(channel.size(), 0.0);
    const double taps[3] = {0.5, 0.3, 0.2};
    for (std::size_t i = 0; i < channel.size(); ++i)
        for (std::size_t k = 0; k < 3 && k <= i; ++k)
            expected[i] += taps[k] * channel[i - k];
    double largest = 0.0;
    for (double v : expected)
        largest = std::max(largest, std::fabs(v));
    EXPECT_LT(LargestDifference(chained.RxImpulseIn, expected), 1e-14 * largest);
}

// The same CTLE applied two ways, sample by sample in AMI_GetWave and as the
// impulse response of AMI_Init convolved with the transmitter's output, gives
// the same wave at the eye up to rounding. The filter's tail beyond the
// impulse's 48 UI of room is below 1e-100; what remains are two orders of
// summation (a recursion against a convolution of about 4800 taps through
// FFTs of 16384 points), each rounding near 1e-16 of partial sums of the
// 1 V swing: measured 1.6e-15, held to 1e-12. When the transmitter's AMI_Init
// response must come out again (DeconvolveCausal), the division by it (|T|
// >= 0.4 for the stand-in's filter) adds the rounding of the spectra of
// three such arrays: measured 9.1e-14, held to 1e-11.
TEST(Simulation, AnInitOnlyReceiverGivesWhatTheSameCtleGivesThroughGetWave)
{
    const struct {
        const char* tx;
        double tolerance;
    } cases[] = {{STUB_SOUND_PATH, 1e-12}, {STUB_EQUALISES_PATH, 1e-11}};
    for (const auto& c : cases) {
        Chain wave(c.tx, RX_CTLE_CDR_PATH, RX_CTLE_CDR_AMI);
        Chain init(c.tx, RX_CTLE_INIT_PATH, RX_CTLE_INIT_AMI);
        const SimulationResult a = wave.Run();
        const SimulationResult b = init.Run();
        EXPECT_LT(LargestDifference(a.Received, b.Received), c.tolerance) << c.tx;
        EXPECT_LT(LargestDifference(a.RxStep, b.RxStep), c.tolerance) << c.tx;
        EXPECT_EQ(a.Output, b.Output);
        EXPECT_NEAR(a.FixedEye.Height, b.FixedEye.Height, 2 * c.tolerance) << c.tx;
        EXPECT_GT(b.FixedEye.Height, 0.3) << c.tx; // the CTLE opens what 12 dB closed
        EXPECT_TRUE(b.ClockTimes.empty());
    }
}

// With clock times the eye is read half a UI after each, from the bits after
// the receiver's Ignore_Bits (100, more than the chain needs to settle).
TEST(Simulation, TheEyeIsSampledWhereTheReceiversClockSays)
{
    Chain chain(STUB_SOUND_PATH, RX_CTLE_CDR_PATH, RX_CTLE_CDR_AMI);
    const SimulationResult r = chain.Run();
    ASSERT_GT(r.ClockTimes.size(), 490u);
    ASSERT_EQ(r.SamplingTimes.size(), r.ClockTimes.size());
    for (std::size_t j = 0; j < r.ClockTimes.size(); ++j)
        ASSERT_EQ(r.SamplingTimes[j], r.ClockTimes[j] + BitTime / 2);
    ASSERT_TRUE(r.Eye.Valid);
    EXPECT_EQ(r.Eye.FirstBit, 100u);
    EXPECT_EQ(r.FixedEye.FirstBit, 100u);
    // Locked on the crossings, the clock samples near the best fixed latency.
    EXPECT_GT(r.Eye.Height, 0.9 * r.FixedEye.Height);
    EXPECT_NEAR(static_cast<double>(r.Eye.Latency), static_cast<double>(r.FixedEye.Latency), 0.25 * Chain::ChainSpb);
    EXPECT_EQ(r.RelativeEye, r.Eye.Height / std::fabs(r.RxStep.back()));

    // The same chain without the receiver's clock: the fixed eye alone.
    chain.Config.Rx = nullptr;
    const SimulationResult bare = chain.Run();
    EXPECT_TRUE(bare.ClockTimes.empty());
    EXPECT_TRUE(bare.SamplingTimes.empty());
    EXPECT_EQ(bare.Eye.Height, bare.FixedEye.Height);
}

// A receiver's clock list that breaks the contract stops the run with the
// call and the entry, rather than sampling the eye at times that mean nothing.
TEST(Simulation, AReceiverWhoseClockTimesBreakTheContractStopsTheRun)
{
    const struct {
        const char* model;
        const char* fault;
    } cases[] = {{STUB_NO_END_MARK_PATH, ": AMI_GetWave on samples 0 .. 6 wrote no end mark -1 after its clock times"},
                 {STUB_CLOCK_BACKWARDS_PATH, ": AMI_GetWave on samples 0 .. 6 returned a clock time that is not after "
                                             "the one before it (clock_times[1] = 1.0000000000000001e-09)"}};
    for (const auto& c : cases) {
        Bench bench(true);
        AmiModel model;
        std::string error;
        ASSERT_TRUE(model.Load(c.model, error)) << error;
        SimulationResult result;
        EXPECT_FALSE(Simulation::Run(model, bench.Config, "(Stub)", result, nullptr, error));
        EXPECT_EQ(error, c.model + std::string(c.fault));
    }
}

// Noise is added to the wave at the eye only, as its seed's sequence, after
// the channel; the eye at the target BER is measured on that wave.
TEST(Simulation, NoiseJoinsTheWaveAtTheEyeAfterTheWholeChain)
{
    Bench bench(false);
    bench.SetBits(600);
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

// A chain whose step still climbs at the end of its window has not
// settled there; the same chain in a window long enough has. The bits
// skipped are its memory after the arrival, not its delay.
TEST(Simulation, AStepStillMovingAtTheEndOfItsWindowHasNotSettled)
{
    Bench bench(false);
    // Ten bits of delay, then a decay of time constant 8 bits: within 2 %
    // of the end about 31 bits after the arrival (8 ln 50).
    std::vector<double> impulse(static_cast<std::size_t>(120 * Spb), 0.0);
    const double tau = 8.0 * Spb;
    for (std::size_t n = 10 * Spb; n < impulse.size(); ++n)
        impulse[n] = std::exp(-static_cast<double>(n - 10 * Spb) / tau) / tau / Dt;
    std::string error;
    ASSERT_TRUE(Channel::FromImpulse(impulse, Dt, "slow", bench.Link, error)) << error;
    bench.SetBits(300);
    SimulationResult result;
    bench.Config.ResponseBits = 24;
    ASSERT_TRUE(Simulation::Run(bench.Model, bench.Config, "(Stub)", result, nullptr, error)) << error;
    EXPECT_FALSE(result.Settled);
    bench.Config.ResponseBits = 120;
    ASSERT_TRUE(Simulation::Run(bench.Model, bench.Config, "(Stub)", result, nullptr, error)) << error;
    EXPECT_TRUE(result.Settled);
    EXPECT_NEAR(static_cast<double>(result.SettleBits), 10.0 + 8.0 * std::log(50.0), 2.0);
    EXPECT_NEAR(static_cast<double>(result.Eye.FirstBit), 8.0 * std::log(50.0) - 8.0 * std::log(2.0), 2.0);
}

// The stimulus streams through; the answer is the whole wave's (the
// reference: EyeAnalysis over the bits whose window of offsets lies inside
// the wave), and only the first WaveRows samples of each wave are kept.
TEST(Simulation, AStreamedRunAnswersAsTheWholeWaveAndKeepsOnlyItsFirstSamples)
{
    Bench bench(false);
    bench.SetBits(2000);
    SimulationResult whole;
    std::string error;
    ASSERT_TRUE(Simulation::Run(bench.Model, bench.Config, "(Stub)", whole, nullptr, error)) << error;
    const std::size_t total = bench.Drive.Wave.size();
    ASSERT_EQ(whole.Received.size(), total);
    EXPECT_EQ(whole.Stimulus, bench.Drive.Wave);
    ASSERT_TRUE(whole.FixedEye.Valid);
    // The latency lies within one UI around the pulse's peak.
    EXPECT_LE(whole.FixedEye.Latency + Spb / 2, whole.Delay + Spb);
    EXPECT_GE(whole.FixedEye.Latency + Spb / 2, whole.Delay);
    // Offsets Delay - spb/2 - spb .. Delay - spb/2 + 2 spb for every bit.
    const std::size_t last = whole.Delay - Spb / 2 + 2 * Spb;
    std::vector<int> inside(bench.Drive.Bits.begin(), bench.Drive.Bits.begin() + (total - 1 - last) / Spb + 1);
    std::size_t count = 0;
    double threshold = 0.0;
    EXPECT_EQ(whole.FixedEye.Height, EyeAnalysis::HeightAt(whole.Received, inside, Spb, whole.FixedEye.FirstBit,
                                                           whole.FixedEye.Latency, &count, &threshold));
    EXPECT_EQ(whole.FixedEye.BitCount, count);
    EXPECT_EQ(whole.FixedEye.Threshold, threshold);

    bench.Config.WaveRows = 100;
    SimulationResult head;
    ASSERT_TRUE(Simulation::Run(bench.Model, bench.Config, "(Stub)", head, nullptr, error)) << error;
    EXPECT_EQ(head.Stimulus.size(), 100u);
    EXPECT_EQ(head.Output, std::vector<double>(whole.Output.begin(), whole.Output.begin() + 100));
    EXPECT_EQ(head.Received, std::vector<double>(whole.Received.begin(), whole.Received.begin() + 100));
    EXPECT_EQ(head.FixedEye.Height, whole.FixedEye.Height);
    EXPECT_EQ(head.FixedEye.Width, whole.FixedEye.Width);
    EXPECT_EQ(head.Ber.Opening, whole.Ber.Opening);
    EXPECT_EQ(head.Density.Traces(), whole.Density.Traces());
    EXPECT_EQ(head.Density.Peak(), whole.Density.Peak());
}
