#include "tools/amihost/host/Study.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/amihost/amifile/SweepValues.h"
#include "tools/amihost/channel/TouchstoneChannel.h"
#include "tools/amihost/host/ParallelRuns.h"
#include "tools/amihost/signal/CsvReader.h"
#include "tools/amihost/signal/TextFile.h"

namespace {

constexpr std::size_t MaxCsvBytes = std::size_t{1} << 30;
constexpr std::size_t LineBits = 256; // length limit of the built-in line, in UI

// ", resampled from 0.5 ps steps" when the file's times were off the grid.
std::string Resampling(const CsvReader::SignalSource& source)
{
    if (!source.Resampled)
        return std::string();
    char text[96];
    std::snprintf(text, sizeof text, ", resampled from %.4g ps steps", source.FileStep * 1e12);
    return text;
}

// The order of a PRBS stimulus: 7 for prbs7.
int PrbsOrder(HostRequest::StimulusKind kind)
{
    switch (kind) {
    case HostRequest::Prbs15: return 15;
    case HostRequest::Prbs23: return 23;
    case HostRequest::Prbs31: return 31;
    default: return 7;
    }
}

} // namespace

ExitStatus Study::OpenKit(std::string& error)
{
    modelPath_ = request_.ModelPath;
    amiPath_ = request_.AmiPath;
    if (request_.IbisPath.empty())
        return ExitOk;
    ExitStatus status = ExitOk;
    if (!Opened.Open(request_.IbisPath, request_.ModelName, Kit::AmiModel, error, status)) {
        if (status == ExitUsage)
            error = "--model: " + error;
        return status;
    }
    modelPath_ = Opened.Line.Library;
    amiPath_ = Opened.Line.ParameterFile;
    return ExitOk;
}

ExitStatus Study::ReadAmi(std::string& error)
{
    std::string text;
    if (!TextFile::Read(amiPath_, AmiFile::MaxBytes, text, error) || !AmiFile::Read(text, amiPath_, Ami, error))
        return ExitFailure;
    if (!ParameterString::Build(Ami, request_.Settings, Parameters, error)) {
        error = "--set: " + error;
        return ExitUsage;
    }
    return ExitOk;
}

ExitStatus Study::ReadReceiver(std::string& error)
{
    if (!request_.HasReceiverAfter())
        return ExitOk;
    if (!Rx.Read(request_.RxModel, request_.RxAmi, request_.RxModelName, error))
        return ExitFailure;
    if (!Rx.SetParameters(request_.RxSettings, error)) {
        error = "--rx-set: " + error;
        return ExitUsage;
    }
    return ExitOk;
}

bool Study::ReadChannel(std::string& error)
{
    const HostRequest& r = request_;
    const double dt = r.BitTime / r.SamplesPerBit;
    if (r.LossDb) {
        const std::size_t length = std::min<std::size_t>(LineBits * r.SamplesPerBit, std::size_t{1} << 20);
        if (!Channel::Line(*r.LossDb, r.BitTime, dt, length, Link, error)) {
            error = "--loss: " + error;
            return false;
        }
    } else if (!r.ImpulseFile.empty()) {
        std::string text;
        std::vector<double> impulse;
        CsvReader::SignalSource source;
        return TextFile::Read(r.ImpulseFile, MaxCsvBytes, text, error) &&
               CsvReader::ReadSignal(text, r.ImpulseFile, dt, impulse, error, &source) &&
               Channel::FromImpulse(impulse, dt, r.ImpulseFile + Resampling(source), Link, error);
    } else if (!r.TouchstoneFile.empty()) {
        std::string text;
        TouchstoneChannel::Options touchstone;
        touchstone.Order = r.PairOrder;
        touchstone.Ends = {r.TxR.value_or(0.0), r.RxR.value_or(0.0)}; // 0: matched to the port's reference
        TouchstoneChannel::Findings findings;
        if (!TextFile::Read(r.TouchstoneFile, TouchstoneFile::MaxBytes, text, error) ||
            !TouchstoneChannel::Make(text, r.TouchstoneFile, touchstone, dt, Link, error, &findings, r.BitTime))
            return false;
        ChannelFindings = findings;
    }
    return true;
}

bool Study::ReadStimulus(std::string& error)
{
    const HostRequest& r = request_;
    if (!r.WaveFile.empty()) {
        std::string text;
        std::vector<double> wave;
        CsvReader::SignalSource source;
        if (!TextFile::Read(r.WaveFile, MaxCsvBytes, text, error) ||
            !CsvReader::ReadSignal(text, r.WaveFile, r.BitTime / r.SamplesPerBit, wave, error, &source))
            return false;
        if (wave.size() < static_cast<std::size_t>(r.SamplesPerBit)) {
            error = r.WaveFile + ": shorter than one bit (" + std::to_string(r.SamplesPerBit) + " samples)";
            return false;
        }
        Stimulus whole = Stimulus::FromWave(std::move(wave), r.SamplesPerBit, r.WaveFile);
        whole.Description += Resampling(source);
        Drive = StimulusStream::FromWave(std::move(whole));
    } else if (r.Stimulus == HostRequest::Step) {
        Drive = StimulusStream::Step(r.Bits, r.SamplesPerBit, r.Amplitude);
    } else if (r.Stimulus == HostRequest::Pulse) {
        Drive = StimulusStream::Pulse(r.Bits, r.SamplesPerBit, r.Amplitude);
    } else {
        Drive = StimulusStream::Prbs(PrbsOrder(r.Stimulus), r.Bits, r.SamplesPerBit, r.Amplitude);
    }
    const EdgeJitter jitter = Jitter();
    if (jitter.Any())
        Drive.SetJitter(jitter, r.BitTime, r.Seed);
    return true;
}

void Study::FitWindow()
{
    const HostRequest& r = request_;
    windowBits_ = r.ResponseBits;
    if (Link.IsNone())
        return;
    Span = ImpulseSpan::Assess(Link.Taps(), r.BitTime / r.SamplesPerBit);
    if (!Span)
        return;
    const double channelBits = std::ceil(std::max(Span->End, 0.0) / r.BitTime);
    const double wanted = std::min(channelBits + ModelMarginBits, static_cast<double>(MaxWindowBits));
    windowBits_ = std::max(r.ResponseBits, static_cast<std::size_t>(wanted));
}

ExitStatus Study::Open(std::string& error)
{
    for (ExitStatus (Study::*step)(std::string&) : {&Study::OpenKit, &Study::ReadAmi, &Study::ReadReceiver})
        if (const ExitStatus status = (this->*step)(error); status != ExitOk)
            return status;
    if (!ReadChannel(error) || !ReadStimulus(error) || !Model.Load(modelPath_, error))
        return ExitFailure;
    FitWindow();
    if (!Model.GetWave) {
        error = modelPath_ + ": the model has no AMI_GetWave; amihost runs the time-domain flow only";
        return ExitFailure;
    }
    return !request_.HasReceiverAfter() || Rx.Load(error) ? ExitOk : ExitFailure;
}

SimulationConfig Study::Config() const
{
    const HostRequest& r = request_;
    SimulationConfig config;
    config.BitTime = r.BitTime;
    config.SamplesPerBit = r.SamplesPerBit;
    config.BlockSize = r.BlockSize;
    config.ResponseBits = windowBits_;
    config.SkipBits = r.SkipBits;
    config.ModelRole = r.ModelIsReceiver ? SimulationConfig::Receiver : SimulationConfig::Transmitter;
    config.NoiseRms = r.NoiseRms;
    config.NoiseSeed = NoiseSeed(r.Seed);
    config.TargetBer = r.TargetBer;
    config.Link = &Link;
    config.Drive = &Drive;
    // A sweep writes no wave.csv: its runs keep no samples beyond the density's.
    config.WaveRows = r.Action == HostRequest::Sweep ? 0 : r.WaveRows;
    config.Rx = r.HasReceiverAfter() ? &Rx : nullptr;
    config.TxReturnsImpulse = Ami.InitReturnsImpulse == 1;
    // A receiver model may recover its clock or adapt with randomness of
    // its own; only a chain without one, noise and jitter is known to be
    // deterministic.
    const bool random = r.NoiseRms > 0.0 || r.RjUi > 0.0 || r.SjUi > 0.0 || r.ModelIsReceiver ||
                        r.HasReceiverAfter();
    config.Random = random ? BerAnalysis::RandomPart::Present : BerAnalysis::RandomPart::Absent;
    return config;
}

bool Study::Run(const Progress& progress, SimulationResult& result, std::string& error) const
{
    return Simulation::Run(Model, Config(), Parameters, result, progress, error);
}

ExitStatus Study::SweptValues(std::string& key, std::vector<std::string>& values, std::string& error) const
{
    return ::SweepValues::Parse(request_.SweepSpec.value_or(std::string()), Ami, key, values, error) ? ExitOk
                                                                                                      : ExitUsage;
}

ExitStatus Study::Sweep(const std::string& key, const std::vector<std::string>& values, const ProgressFor& progress,
                        const Keep& keep, std::string& error) const
{
    std::vector<ExitStatus> status(values.size(), ExitOk);
    std::vector<std::string> errors(values.size());
    const SimulationConfig config = Config();
    RunInParallel(values.size(), request_.Jobs.value_or(EveryCore()), [&](std::size_t i) {
        const std::string label =
            key + "=" + values[i] + " (" + std::to_string(i + 1) + "/" + std::to_string(values.size()) + ")";
        std::vector<ParameterString::Setting> settings = request_.Settings;
        settings.push_back({key, values[i]});
        std::string parameters;
        SimulationResult result;
        if (!ParameterString::Build(Ami, settings, parameters, errors[i])) {
            status[i] = ExitUsage;
        } else if (!Simulation::Run(Model, config, parameters, result, progress(i, label), errors[i])) {
            errors[i] = key + "=" + values[i] + ": " + errors[i];
            status[i] = ExitFailure;
        } else {
            keep(i, result);
        }
    });
    for (std::size_t i = 0; i < values.size(); ++i)
        if (status[i] != ExitOk) {
            error = errors[i];
            return status[i];
        }
    return ExitOk;
}

std::uint64_t Study::NoiseSeed(unsigned seed) { return std::uint64_t{seed} + 0x9E3779B97F4A7C15u; }
