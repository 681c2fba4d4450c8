#include "tools/amihost/cli/Workbench.h"

#include <algorithm>
#include <cstdio>

#include "tools/amihost/signal/CsvReader.h"
#include "tools/amihost/signal/EdgeJitter.h"
#include "tools/amihost/signal/TextFile.h"

namespace {

constexpr std::size_t MaxCsvBytes = std::size_t{1} << 30;
constexpr std::size_t LineBits = 256; // length limit of the built-in line, in UI

EdgeJitter Jitter(const HostOptions& options) { return EdgeJitter{options.RjUi, options.SjUi, options.SjHz}; }

} // namespace

int Fail(ExitStatus status, const std::string& error)
{
    std::fflush(stdout);
    std::fprintf(stderr, "amihost: error: %s\n", error.c_str());
    return status;
}

ExitStatus Workbench::ReadAmi(const HostOptions& options, std::string& error)
{
    std::string text;
    if (!TextFile::Read(options.AmiPath, AmiFile::MaxBytes, text, error) ||
        !AmiFile::Read(text, options.AmiPath, Ami, error))
        return ExitFailure;
    if (!ParameterString::Build(Ami, options.Settings, Parameters, error)) {
        error = "--set: " + error;
        return ExitUsage;
    }
    return ExitOk;
}

bool Workbench::ReadChannel(const HostOptions& options, std::string& error)
{
    const double dt = options.BitTime / options.SamplesPerBit;
    if (options.HasLoss) {
        const std::size_t length = std::min<std::size_t>(LineBits * options.SamplesPerBit, std::size_t{1} << 20);
        if (!Channel::Line(options.LossDb, options.BitTime, dt, length, Link, error)) {
            error = "--loss: " + error;
            return false;
        }
    } else if (!options.ImpulseFile.empty()) {
        std::string text;
        std::vector<double> impulse;
        return TextFile::Read(options.ImpulseFile, MaxCsvBytes, text, error) &&
               CsvReader::ReadSignal(text, options.ImpulseFile, dt, impulse, error) &&
               Channel::FromImpulse(impulse, dt, options.ImpulseFile, Link, error);
    }
    return true;
}

bool Workbench::ReadStimulus(const HostOptions& options, std::string& error)
{
    if (!options.WaveFile.empty()) {
        std::string text;
        std::vector<double> wave;
        if (!TextFile::Read(options.WaveFile, MaxCsvBytes, text, error) ||
            !CsvReader::ReadSignal(text, options.WaveFile, options.BitTime / options.SamplesPerBit, wave, error))
            return false;
        if (wave.size() < static_cast<std::size_t>(options.SamplesPerBit)) {
            error = options.WaveFile + ": shorter than one bit (" + std::to_string(options.SamplesPerBit) +
                    " samples)";
            return false;
        }
        Drive = Stimulus::FromWave(std::move(wave), options.SamplesPerBit, options.WaveFile);
    } else if (options.StimulusKind == "step") {
        Drive = Stimulus::Step(options.Bits, options.SamplesPerBit, options.Amplitude);
    } else if (options.StimulusKind == "pulse") {
        Drive = Stimulus::Pulse(options.Bits, options.SamplesPerBit, options.Amplitude);
    } else {
        Drive = Stimulus::Prbs(std::stoi(options.StimulusKind.substr(4)), options.Bits, options.SamplesPerBit,
                               options.Amplitude);
    }
    const EdgeJitter jitter = Jitter(options);
    if (jitter.Any())
        jitter.Apply(Drive.Bits, options.SamplesPerBit, options.BitTime, Drive.Swing, options.Seed, Drive.Wave);
    return true;
}

ExitStatus Workbench::Prepare(const HostOptions& options, std::string& error)
{
    if (const ExitStatus status = ReadAmi(options, error); status != ExitOk)
        return status;
    if (!ReadChannel(options, error) || !ReadStimulus(options, error) || !Model.Load(options.ModelPath, error))
        return ExitFailure;
    if (!Model.GetWave) {
        error = options.ModelPath + ": the model has no AMI_GetWave; amihost runs the time-domain flow only";
        return ExitFailure;
    }
    return ExitOk;
}

SimulationConfig Workbench::Config(const HostOptions& options) const
{
    SimulationConfig config;
    config.BitTime = options.BitTime;
    config.SamplesPerBit = options.SamplesPerBit;
    config.BlockSize = options.BlockSize;
    config.ResponseBits = options.ResponseBits;
    config.SkipBits = options.SkipBits;
    config.Receiver = options.Receiver;
    config.NoiseRms = options.NoiseRms;
    config.NoiseSeed = NoiseSeed(options.Seed);
    config.TargetBer = options.TargetBer;
    config.Link = &Link;
    config.Drive = &Drive;
    return config;
}

ConformanceConfig Workbench::Checks(const HostOptions& options)
{
    ConformanceConfig config;
    config.BitTime = options.BitTime;
    config.SamplesPerBit = options.SamplesPerBit;
    config.Bits = options.Bits;
    config.BlockSize = options.BlockSize;
    config.Seed = options.Seed;
    return config;
}

void Workbench::PrintSetting(const HostOptions& options) const
{
    std::printf("model       %s (root %s, %s)\n", options.ModelPath.c_str(), Ami.RootName.c_str(),
                options.AmiPath.c_str());
    std::printf("flow        %s\n", options.Receiver ? "stimulus -> channel -> model (receiver) -> eye"
                                                     : "stimulus -> model (transmitter) -> channel -> eye");
    std::printf("timing      bit time %g s (%g Gb/s), %d samples per bit, AMI_GetWave blocks of %zu\n",
                options.BitTime, 1e-9 / options.BitTime, options.SamplesPerBit, options.BlockSize);
    std::printf("stimulus    %s, %g peak to peak\n", Drive.Description.c_str(), options.Amplitude);
    std::printf("channel     %s (%zu taps)\n", Link.Description().c_str(), Link.Taps().size());
    if (Jitter(options).Any())
        std::printf("jitter      %s on the stimulus's edges (seed %u)\n", Jitter(options).Description().c_str(),
                    options.Seed);
    if (options.NoiseRms > 0.0)
        std::printf("noise       %g V rms at the eye (seed %u)\n", options.NoiseRms, options.Seed);
}

std::uint64_t Workbench::NoiseSeed(unsigned seed)
{
    // The jitter draws from `seed` itself; the noise from a seed that no
    // --seed value gives, so the two never share a sequence.
    return std::uint64_t{seed} + 0x9E3779B97F4A7C15u;
}

std::string Workbench::Conditions(const HostOptions& options) const
{
    char rate[32];
    std::snprintf(rate, sizeof rate, "%g Gb/s", 1e-9 / options.BitTime);
    std::string text = std::string(rate) + ", " + Link.Description() + ", " + Drive.Description;
    if (Jitter(options).Any())
        text += ", " + Jitter(options).Description();
    if (options.NoiseRms > 0.0) {
        char noise[48];
        std::snprintf(noise, sizeof noise, ", noise %g V rms", options.NoiseRms);
        text += noise;
    }
    return text;
}
