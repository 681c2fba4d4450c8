#include "tools/amihost/host/Simulation.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <optional>

#include "tools/amihost/eye/ClockedAccumulator.h"
#include "tools/amihost/eye/EyeAccumulator.h"
#include "tools/amihost/eye/StepAnalysis.h"
#include "tools/amihost/host/SignalChain.h"
#include "tools/amihost/signal/GaussianNoise.h"

namespace {

using Progress = std::function<void(std::size_t)>;

std::size_t StepSamples(const SimulationConfig& config)
{
    return (SimulationConfig::StepLeadBits + config.ResponseBits) * static_cast<std::size_t>(config.SamplesPerBit);
}

// The unit step through a chain of its own, and what it tells: the step
// and pulse responses, de-emphasis, the steady level and the settling.
bool RunStep(const AmiModel& model, const SimulationConfig& config, const std::string& parameters,
             SimulationResult& result, std::string& error)
{
    const std::size_t spb = static_cast<std::size_t>(config.SamplesPerBit);
    result.StepEdge = SimulationConfig::StepLeadBits * spb;
    std::vector<double> step(StepSamples(config), 0.0);
    std::fill(step.begin() + static_cast<std::ptrdiff_t>(result.StepEdge), step.end(), 1.0);
    std::vector<double> modelStep(step.size());
    std::vector<double> clock;
    SignalChain chain(model, config);
    if (!chain.Open(parameters, error) || !chain.Pass(step.data(), step.size(), modelStep.data(), clock, error) ||
        !chain.Close(error))
        return false;
    result.RxStep = std::move(step);
    if (config.ModelRole == SimulationConfig::Receiver) {
        result.DeemphasisDb = std::numeric_limits<double>::quiet_NaN();
        result.SteadyLevel = result.RxStep.back();
    } else {
        result.TxStep = std::move(modelStep);
        result.DeemphasisDb = StepAnalysis::DeemphasisDb(result.TxStep, result.StepEdge, config.SamplesPerBit);
        result.SteadyLevel = result.TxStep.back();
    }
    result.Pulse = StepAnalysis::PulseFromStep(result.RxStep, config.SamplesPerBit);
    result.SettleBits = StepAnalysis::SettleBits(result.RxStep, result.StepEdge, config.SamplesPerBit,
                                                 SimulationConfig::SettleTolerance);
    result.Settled = config.ResponseBits < SimulationConfig::SettledTailBits ||
                     result.SettleBits <= config.ResponseBits - SimulationConfig::SettledTailBits;
    // The main cursor: the pulse's peak from the edge on.
    const auto peak = std::max_element(result.Pulse.begin() + static_cast<std::ptrdiff_t>(result.StepEdge),
                                       result.Pulse.end());
    result.Delay = static_cast<std::size_t>(peak - result.Pulse.begin()) - result.StepEdge;
    return true;
}

// Bits left out of the eye.
std::size_t SkipBits(const SimulationConfig& config, const SimulationResult& result)
{
    if (config.SkipBits)
        return *config.SkipBits;
    // The chain's memory: from the step's arrival (the bit from which it
    // stays above half its final value) until it settles. The delay before
    // the arrival is the eye's latency, not memory: bit k is read that much
    // later, with every bit before it already sent.
    const std::size_t arrival = StepAnalysis::SettleBits(result.RxStep, result.StepEdge, config.SamplesPerBit, 0.5);
    std::size_t skip = result.SettleBits - std::min(result.SettleBits, arrival) + 1;
    if (config.Rx && config.Rx->Ami.IgnoreBits > 0)
        skip = std::max(skip, static_cast<std::size_t>(config.Rx->Ami.IgnoreBits));
    return std::min(skip, config.Drive->TotalBits() / 2);
}

// The first `limit` values of a stream, kept as they pass.
void KeepHead(std::vector<double>& head, std::size_t limit, const double* values, std::size_t n)
{
    if (head.size() < limit)
        head.insert(head.end(), values, values + std::min(n, limit - head.size()));
}

// What streams out of the chain for the stimulus, and where it goes.
struct Streamed {
    EyeAccumulator Stats;
    std::optional<ClockedAccumulator> Clocked; // where the chain can return clock times
    std::vector<double> Received;   // the density's samples (and wave.csv's)
    std::size_t ReceivedLimit = 0;
};

Streamed Prepare(const SimulationConfig& config, const SimulationResult& result, std::size_t skip,
                 std::size_t chunk, bool clocked)
{
    const StimulusStream& drive = *config.Drive;
    const int spb = config.SamplesPerBit;
    const long half = spb / 2;
    const long first = static_cast<long>(result.Delay) - half - spb;
    const std::size_t tails = config.Random == BerAnalysis::RandomPart::Present ? GaussianTail::MaxPoints : 0;
    auto symbols = [reader = drive.Symbols()]() mutable { return reader.Next(); };
    const std::size_t traces = std::max<std::size_t>(skip, 1) + EyeDensity::MaxTraces + 1;
    const std::size_t densityNeed = traces * static_cast<std::size_t>(spb) + result.Delay + 3 * spb;
    Streamed streamed{EyeAccumulator(spb, first, 3 * static_cast<std::size_t>(spb) + 1, skip, drive.TotalBits(),
                                     drive.TotalSamples(), tails, symbols),
                      std::nullopt,
                      {},
                      std::min({drive.TotalSamples(), std::max(config.WaveRows, densityNeed),
                                std::max(config.WaveRows, Simulation::DensitySamples)})};
    if (clocked)
        streamed.Clocked.emplace(spb, result.Delay, skip, drive.TotalBits(), drive.TotalSamples(),
                                 chunk + 2 * static_cast<std::size_t>(spb) + 2, symbols);
    return streamed;
}

// The clock times of one piece: counted, kept at the head, and sampled.
void TakeClock(const SimulationConfig& config, const std::vector<double>& clock, Streamed& out,
               SimulationResult& result)
{
    for (double t : clock) {
        ++result.ClockCount;
        if (result.ClockTimes.size() < config.WaveRows)
            result.ClockTimes.push_back(t);
        if (out.Clocked)
            out.Clocked->AddInstant((t + config.BitTime / 2.0) / config.SampleInterval());
    }
}

bool RunStimulus(const AmiModel& model, const SimulationConfig& config, const std::string& parameters,
                 std::size_t skip, SimulationResult& result, std::optional<Streamed>& streamed, const Progress& progress,
                 std::string& error)
{
    SignalChain chain(model, config);
    if (!chain.Open(parameters, error))
        return false;
    result.Message = chain.Message();
    result.ParametersOut = chain.ParametersOut();
    result.RxImpulseIn = chain.RxImpulseIn();
    result.RxImpulseOut = chain.RxImpulseOut();
    result.RxMessage = chain.RxMessage();
    StimulusStream drive = *config.Drive;
    const std::size_t total = drive.TotalSamples();
    const std::size_t chunk = std::min(chain.Chunk(), std::max<std::size_t>(total, 1));
    streamed.emplace(Prepare(config, result, skip, chunk, chain.MayReturnClock()));
    Streamed& out = *streamed;
    std::vector<double> piece(chunk);
    std::vector<double> modelOut(config.WaveRows > 0 ? chunk : 0);
    std::vector<double> clock;
    GaussianNoise noise(config.NoiseSeed);
    const auto began = std::chrono::steady_clock::now();
    for (std::size_t start = 0; start < total; start += chunk) {
        const std::size_t n = std::min(chunk, total - start);
        drive.Fill(piece.data(), n);
        KeepHead(result.Stimulus, config.WaveRows, piece.data(), n);
        const bool keepOut = result.Output.size() < config.WaveRows;
        if (!chain.Pass(piece.data(), n, keepOut ? modelOut.data() : nullptr, clock, error))
            return false;
        if (keepOut)
            KeepHead(result.Output, config.WaveRows, modelOut.data(), n);
        if (config.NoiseRms > 0.0)
            for (std::size_t i = 0; i < n; ++i)
                piece[i] += config.NoiseRms * noise.Next();
        KeepHead(out.Received, out.ReceivedLimit, piece.data(), n);
        out.Stats.Add(piece.data(), n);
        if (out.Clocked)
            out.Clocked->AddSamples(piece.data(), n);
        TakeClock(config, clock, out, result);
        clock.clear();
        if (progress)
            progress(StepSamples(config) + start + n);
    }
    result.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    result.ModelSeconds = chain.ModelSeconds();
    return chain.Close(error);
}

// The eyes, the bathtub and the density from what streamed past.
void MeasureEye(const SimulationConfig& config, Streamed& streamed, SimulationResult& result)
{
    const std::size_t spb = static_cast<std::size_t>(config.SamplesPerBit);
    // Candidates: the offsets one UI beyond the accumulator's first.
    result.FixedEye = streamed.Stats.Eye(spb, 2 * spb);
    result.Eye = result.FixedEye;
    result.Ber = BerAnalysis::Measure(streamed.Stats, result.FixedEye, config.TargetBer, config.Random);
    if (result.Clocked()) {
        result.Eye = streamed.Clocked->Eye();
        for (double t : result.ClockTimes)
            result.SamplingTimes.push_back(t + config.BitTime / 2.0);
    }
    result.Density = EyeDensity::Measure(streamed.Received, result.Eye, config.SamplesPerBit);
    streamed.Received.resize(std::min(streamed.Received.size(), config.WaveRows));
    result.Received = std::move(streamed.Received);
}

} // namespace

std::size_t Simulation::TotalSamples(const SimulationConfig& config)
{
    return StepSamples(config) + config.Drive->TotalSamples();
}

bool Simulation::Run(const AmiModel& model, const SimulationConfig& config, const std::string& parameters,
                     SimulationResult& result, const std::function<void(std::size_t)>& progress,
                     std::string& error)
{
    result = SimulationResult();
    result.Parameters = parameters;
    if (!RunStep(model, config, parameters, result, error))
        return false;
    if (progress)
        progress(StepSamples(config));
    const std::size_t skip = SkipBits(config, result);
    std::optional<Streamed> streamed;
    if (!RunStimulus(model, config, parameters, skip, result, streamed, progress, error))
        return false;
    MeasureEye(config, *streamed, result);
    const double swing = config.Drive->Swing() * std::fabs(result.RxStep.back());
    result.RelativeEye = result.Eye.Valid && swing > 0.0 ? result.Eye.Height / swing
                                                         : std::numeric_limits<double>::quiet_NaN();
    return true;
}
