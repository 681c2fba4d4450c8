#include "tools/amihost/host/Simulation.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "tools/amihost/eye/ClockedEye.h"
#include "tools/amihost/eye/StepAnalysis.h"
#include "tools/amihost/host/AmiSession.h"
#include "tools/amihost/host/ReceiverStage.h"
#include "tools/amihost/signal/GaussianNoise.h"

namespace {

using Progress = std::function<void(std::size_t)>;

// `progress` shifted by the samples of the passes before this one.
Progress After(const Progress& progress, std::size_t before)
{
    return [progress, before](std::size_t done) {
        if (progress)
            progress(before + done);
    };
}

// Passes `wave` through a new instance of the model in blocks; `record`, if
// set, gets AMI_Init's message and output parameters (and, for a receiver,
// the clock times); `impulseOut` what AMI_Init left in its impulse matrix.
bool Drive(const AmiModel& model, const SimulationConfig& config, const std::vector<double>& impulse,
           const std::string& parameters, std::vector<double>& wave, SimulationResult* record,
           std::vector<double>& impulseOut, const Progress& progress, std::string& error)
{
    AmiSession session(model);
    if (!session.Init(impulse, config.SampleInterval(), config.BitTime, parameters, error))
        return false;
    if (record) {
        record->Message = session.Message();
        record->ParametersOut = session.ParametersOut();
    }
    impulseOut = session.ImpulseOut();
    const bool receiver = config.ModelRole == SimulationConfig::Receiver;
    std::vector<double>* clock = record && receiver ? &record->ClockTimes : nullptr;
    if (!session.Process(wave, config.BlockSize, progress, error, clock))
        return false;
    if (!session.Close()) {
        error = model.Path + ": AMI_Close returned 0";
        return false;
    }
    return true;
}

// The transmitter's output through the receiver of the chain; `rxImpulse`
// for its AMI_Init.
bool ThroughReceiver(const SimulationConfig& config, const std::vector<double>& rxImpulse, std::vector<double>& wave,
                     SimulationResult* record, const Progress& progress, std::string& error)
{
    ReceiverStage stage(*config.Rx, config.SampleInterval(), config.BitTime, config.BlockSize);
    if (!stage.Open(rxImpulse, config.TxReturnsImpulse, *config.Link, error) || !stage.Pass(wave, progress, error))
        return false;
    if (record) {
        record->RxImpulseOut = stage.ImpulseOut();
        record->RxMessage = stage.Message();
        record->ClockTimes = stage.ClockTimes();
    }
    return stage.Close(error);
}

// `wave` from the stimulus to the eye through the whole chain; `modelOut`
// gets the model's own output.
bool ThroughChain(const AmiModel& model, const SimulationConfig& config, const std::string& parameters,
                  std::vector<double>& wave, std::vector<double>& modelOut, SimulationResult* record,
                  const Progress& progress, std::string& error)
{
    const Channel& channel = *config.Link;
    std::vector<double> impulse = channel.ImpulseMatrix(config.SampleInterval());
    if (config.Rx)
        impulse.resize(impulse.size() + config.ResponseBits * static_cast<std::size_t>(config.SamplesPerBit), 0.0);
    if (config.ModelRole == SimulationConfig::Receiver)
        wave = channel.Apply(wave);
    std::vector<double> txImpulse;
    if (!Drive(model, config, impulse, parameters, wave, record, txImpulse, progress, error))
        return false;
    modelOut = wave;
    if (config.ModelRole == SimulationConfig::Receiver)
        return true;
    if (!config.Rx) {
        wave = channel.Apply(wave);
        return true;
    }
    const std::vector<double>& rxImpulse = config.TxReturnsImpulse ? txImpulse : impulse;
    for (std::size_t i = 0; i < rxImpulse.size(); ++i)
        if (!std::isfinite(rxImpulse[i])) {
            error = model.Path + ": AMI_Init returned an impulse response whose sample " + std::to_string(i) +
                    " is not finite";
            return false;
        }
    if (record)
        record->RxImpulseIn = rxImpulse;
    return ThroughReceiver(config, rxImpulse, wave, record, After(progress, wave.size()), error);
}

// The eye at the best fixed latency and, where the receiver returned clock
// times, at those.
void MeasureEye(const SimulationConfig& config, SimulationResult& result)
{
    const std::size_t spb = static_cast<std::size_t>(config.SamplesPerBit);
    const std::size_t bits = config.Drive->Bits.size();
    result.SettleBits = StepAnalysis::SettleBits(result.RxStep, result.StepEdge, config.SamplesPerBit,
                                                 SimulationConfig::SettleTolerance);
    result.Settled = config.ResponseBits < SimulationConfig::SettledTailBits ||
                     result.SettleBits <= config.ResponseBits - SimulationConfig::SettledTailBits;
    std::size_t skip = 0;
    if (config.SkipBits) {
        skip = *config.SkipBits;
    } else {
        // The chain's memory: from the step's arrival (the bit from which it
        // stays above half its final value) until it settles. The delay
        // before the arrival is the eye's latency, not memory: bit k is read
        // that much later, with every bit before it already sent.
        const std::size_t arrival = StepAnalysis::SettleBits(result.RxStep, result.StepEdge, config.SamplesPerBit, 0.5);
        skip = result.SettleBits - std::min(result.SettleBits, arrival) + 1;
        if (config.Rx && config.Rx->Ami.IgnoreBits > 0)
            skip = std::max(skip, static_cast<std::size_t>(config.Rx->Ami.IgnoreBits));
        skip = std::min(skip, bits / 2);
    }
    // The main cursor arrives before the step settles; a later latency only
    // finds the same eye again a stimulus period on (a PRBS repeats), over
    // fewer bits.
    const std::size_t latencyBits = std::min(config.ResponseBits, result.SettleBits + 1);
    result.FixedEye = EyeAnalysis::Measure(result.Received, config.Drive->Bits, config.SamplesPerBit, skip,
                                           latencyBits * spb);
    result.Eye = result.FixedEye;
    // The bathtub sweeps the phase about the best fixed latency.
    result.Ber = BerAnalysis::Measure(result.Received, config.Drive->Bits, config.SamplesPerBit, result.FixedEye,
                                      config.TargetBer, config.Random);
    if (result.ClockTimes.empty() || !result.FixedEye.Valid)
        return;
    result.SamplingTimes.resize(result.ClockTimes.size());
    std::vector<double> instants(result.ClockTimes.size());
    for (std::size_t j = 0; j < instants.size(); ++j) {
        result.SamplingTimes[j] = result.ClockTimes[j] + config.BitTime / 2.0;
        instants[j] = result.SamplingTimes[j] / config.SampleInterval();
    }
    result.Eye = ClockedEye::Measure(result.Received, config.Drive->Bits, config.SamplesPerBit, instants,
                                     result.FixedEye.Latency, skip);
}

} // namespace

std::size_t Simulation::TotalSamples(const SimulationConfig& config)
{
    const std::size_t passes = config.Rx && !config.Rx->InitOnly ? 2 : 1;
    return passes * (config.Drive->Wave.size() + (SimulationConfig::StepLeadBits + config.ResponseBits) *
                                                     static_cast<std::size_t>(config.SamplesPerBit));
}

bool Simulation::Run(const AmiModel& model, const SimulationConfig& config, const std::string& parameters,
                     SimulationResult& result, const std::function<void(std::size_t)>& progress,
                     std::string& error)
{
    result = SimulationResult();
    result.Parameters = parameters;
    const std::size_t spb = static_cast<std::size_t>(config.SamplesPerBit);
    const std::size_t passes = config.Rx && !config.Rx->InitOnly ? 2 : 1;

    // The stimulus.
    result.Received = config.Drive->Wave;
    if (!ThroughChain(model, config, parameters, result.Received, result.Output, &result, progress, error))
        return false;
    if (config.NoiseRms > 0.0)
        GaussianNoise::Add(result.Received, config.NoiseRms, config.NoiseSeed);

    // The unit step.
    result.StepEdge = SimulationConfig::StepLeadBits * spb;
    std::vector<double> step((SimulationConfig::StepLeadBits + config.ResponseBits) * spb, 0.0);
    std::fill(step.begin() + static_cast<std::ptrdiff_t>(result.StepEdge), step.end(), 1.0);
    std::vector<double> modelStep;
    if (!ThroughChain(model, config, parameters, step, modelStep, nullptr,
                      After(progress, passes * config.Drive->Wave.size()), error))
        return false;
    result.RxStep = std::move(step);
    if (config.ModelRole == SimulationConfig::Receiver) {
        result.DeemphasisDb = std::numeric_limits<double>::quiet_NaN();
    } else {
        result.TxStep = std::move(modelStep);
        result.DeemphasisDb = StepAnalysis::DeemphasisDb(result.TxStep, result.StepEdge, config.SamplesPerBit);
    }
    result.Pulse = StepAnalysis::PulseFromStep(result.RxStep, config.SamplesPerBit);
    result.SteadyLevel = config.ModelRole == SimulationConfig::Receiver ? result.RxStep.back() : result.TxStep.back();

    MeasureEye(config, result);
    const double swing = config.Drive->Swing * std::fabs(result.RxStep.back());
    result.RelativeEye = result.Eye.Valid && swing > 0.0 ? result.Eye.Height / swing
                                                         : std::numeric_limits<double>::quiet_NaN();
    return true;
}
