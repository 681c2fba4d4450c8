#include "tools/amihost/host/Simulation.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "tools/amihost/host/AmiSession.h"
#include "tools/amihost/signal/GaussianNoise.h"
#include "tools/amihost/signal/StepAnalysis.h"

namespace {

// Passes `wave` through a new instance of the model in blocks.
bool Drive(const AmiModel& model, const SimulationConfig& config, const std::vector<double>& impulse,
           const std::string& parameters, std::vector<double>& wave, SimulationResult* init,
           const std::function<void(std::size_t)>& progress, std::string& error)
{
    AmiSession session(model);
    if (!session.Init(impulse, config.SampleInterval(), config.BitTime, parameters, error))
        return false;
    if (init) {
        init->Message = session.Message();
        init->ParametersOut = session.ParametersOut();
    }
    if (!session.Process(wave, config.BlockSize, progress, error))
        return false;
    if (!session.Close()) {
        error = model.Path + ": AMI_Close returned 0";
        return false;
    }
    return true;
}

} // namespace

std::size_t Simulation::TotalSamples(const SimulationConfig& config)
{
    return config.Drive->Wave.size() +
           (SimulationConfig::StepLeadBits + config.ResponseBits) * static_cast<std::size_t>(config.SamplesPerBit);
}

bool Simulation::Run(const AmiModel& model, const SimulationConfig& config, const std::string& parameters,
                     SimulationResult& result, const std::function<void(std::size_t)>& progress,
                     std::string& error)
{
    result = SimulationResult();
    result.Parameters = parameters;
    const Channel& channel = *config.Link;
    const std::size_t spb = static_cast<std::size_t>(config.SamplesPerBit);
    const std::vector<double> impulse = channel.ImpulseMatrix(config.SampleInterval());

    // The stimulus.
    result.Output = config.Receiver ? channel.Apply(config.Drive->Wave) : config.Drive->Wave;
    if (!Drive(model, config, impulse, parameters, result.Output, &result, progress, error))
        return false;
    result.Received = config.Receiver ? result.Output : channel.Apply(result.Output);
    if (config.NoiseRms > 0.0)
        GaussianNoise::Add(result.Received, config.NoiseRms, config.NoiseSeed);

    // The unit step.
    const std::size_t stepped = config.Drive->Wave.size();
    result.StepEdge = SimulationConfig::StepLeadBits * spb;
    std::vector<double> step((SimulationConfig::StepLeadBits + config.ResponseBits) * spb, 0.0);
    std::fill(step.begin() + static_cast<std::ptrdiff_t>(result.StepEdge), step.end(), 1.0);
    if (config.Receiver)
        step = channel.Apply(step);
    auto stepProgress = [&](std::size_t done) {
        if (progress)
            progress(stepped + done);
    };
    if (!Drive(model, config, impulse, parameters, step, nullptr, stepProgress, error))
        return false;
    if (config.Receiver) {
        result.RxStep = std::move(step);
        result.DeemphasisDb = std::numeric_limits<double>::quiet_NaN();
    } else {
        result.TxStep = std::move(step);
        result.RxStep = channel.Apply(result.TxStep);
        result.DeemphasisDb = StepAnalysis::DeemphasisDb(result.TxStep, result.StepEdge, config.SamplesPerBit);
    }
    result.Pulse = StepAnalysis::PulseFromStep(result.RxStep, config.SamplesPerBit);

    // The eye.
    const std::size_t bits = config.Drive->Bits.size();
    std::size_t skip = 0;
    if (config.SkipBits >= 0)
        skip = static_cast<std::size_t>(config.SkipBits);
    else
        skip = std::min(StepAnalysis::SettleBits(result.RxStep, result.StepEdge, config.SamplesPerBit, 0.02),
                        bits / 2);
    result.Eye = EyeAnalysis::Measure(result.Received, config.Drive->Bits, config.SamplesPerBit, skip,
                                      config.ResponseBits * spb);
    result.Ber = BerAnalysis::Measure(result.Received, config.Drive->Bits, config.SamplesPerBit, result.Eye,
                                      config.TargetBer);
    const double swing = config.Drive->Swing * std::fabs(result.RxStep.back());
    result.RelativeEye = result.Eye.Valid && swing > 0.0 ? result.Eye.Height / swing
                                                         : std::numeric_limits<double>::quiet_NaN();
    return true;
}
