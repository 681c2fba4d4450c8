#include "tools/amihost/cli/Workbench.h"

#include <algorithm>
#include <cstdio>

#include "tools/amihost/channel/TouchstoneChannel.h"
#include "ibis/IbisFile.h"
#include "tools/amihost/signal/CsvReader.h"
#include "tools/amihost/signal/EdgeJitter.h"
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

EdgeJitter Jitter(const HostOptions& options) { return EdgeJitter{options.RjUi, options.SjUi, options.SjHz}; }

} // namespace

int Fail(ExitStatus status, const std::string& error)
{
    std::fflush(stdout);
    std::fprintf(stderr, "amihost: error: %s\n", error.c_str());
    return status;
}

void Warn(const std::string& warning)
{
    std::fflush(stdout);
    std::fprintf(stderr, "amihost: warning: %s\n", warning.c_str());
}

ExitStatus Workbench::OpenKit(HostOptions& options, std::string& error)
{
    if (options.IbisPath.empty())
        return ExitOk;
    IbisFile file;
    if (!IbisFile::ReadFile(options.IbisPath, file, error))
        return ExitFailure;
    const IbisModel* model = file.SelectAmiModel(options.ModelName, error);
    if (!model && !options.ModelName.empty())
        error = "--model: " + error;
    if (!model)
        return options.ModelName.empty() ? ExitFailure : ExitUsage;
    IbisExecutableChoice choice;
    if (!file.FindExecutable(*model, IbisPlatform::Host(), choice, error))
        return ExitFailure;
    options.ModelPath = choice.Library;
    options.AmiPath = choice.ParameterFile;
    Kit = options.IbisPath + ": [Model] " + model->Name + ", Executable " + choice.Executable->Platform +
          " (line " + std::to_string(choice.Executable->Line) + ")";
    return ExitOk;
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

ExitStatus Workbench::ReadReceiver(const HostOptions& options, std::string& error)
{
    if (options.RxModel.empty())
        return ExitOk;
    if (!Rx.Read(options.RxModel, options.RxAmi, options.RxModelName, error))
        return ExitFailure;
    std::vector<ParameterString::Setting> settings(options.RxSettings.size());
    for (std::size_t i = 0; i < settings.size(); ++i)
        ParameterString::ParseSetting(options.RxSettings[i], settings[i], error); // its form was checked
    if (!Rx.SetParameters(settings, error)) {
        error = "--rx-set: " + error;
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
        CsvReader::SignalSource source;
        return TextFile::Read(options.ImpulseFile, MaxCsvBytes, text, error) &&
               CsvReader::ReadSignal(text, options.ImpulseFile, dt, impulse, error, &source) &&
               Channel::FromImpulse(impulse, dt, options.ImpulseFile + Resampling(source), Link, error);
    } else if (!options.TouchstoneFile.empty()) {
        std::string text;
        TouchstoneChannel::Options touchstone;
        touchstone.Order = options.S4pOrder == "1-3/2-4" ? ThroughPath::Through13And24 : ThroughPath::Through12And34;
        touchstone.Ends = {options.TxR, options.RxR};
        return TextFile::Read(options.TouchstoneFile, TouchstoneFile::MaxBytes, text, error) &&
               TouchstoneChannel::Make(text, options.TouchstoneFile, touchstone, dt, Link, error);
    }
    return true;
}

bool Workbench::ReadStimulus(const HostOptions& options, std::string& error)
{
    if (!options.WaveFile.empty()) {
        std::string text;
        std::vector<double> wave;
        CsvReader::SignalSource source;
        if (!TextFile::Read(options.WaveFile, MaxCsvBytes, text, error) ||
            !CsvReader::ReadSignal(text, options.WaveFile, options.BitTime / options.SamplesPerBit, wave, error,
                                   &source))
            return false;
        if (wave.size() < static_cast<std::size_t>(options.SamplesPerBit)) {
            error = options.WaveFile + ": shorter than one bit (" + std::to_string(options.SamplesPerBit) +
                    " samples)";
            return false;
        }
        Drive = Stimulus::FromWave(std::move(wave), options.SamplesPerBit, options.WaveFile);
        Drive.Description += Resampling(source);
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
    if (const ExitStatus status = ReadReceiver(options, error); status != ExitOk)
        return status;
    if (!ReadChannel(options, error) || !ReadStimulus(options, error) || !Model.Load(options.ModelPath, error))
        return ExitFailure;
    if (!Model.GetWave) {
        error = options.ModelPath + ": the model has no AMI_GetWave; amihost runs the time-domain flow only";
        return ExitFailure;
    }
    return options.RxModel.empty() || Rx.Load(error) ? ExitOk : ExitFailure;
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
    config.Rx = options.RxModel.empty() ? nullptr : &Rx;
    config.TxReturnsImpulse = Ami.InitReturnsImpulse == 1;
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
    if (!Kit.empty())
        std::printf("kit         %s\n", Kit.c_str());
    std::printf("model       %s (root %s, %s)\n", options.ModelPath.c_str(), Ami.RootName.c_str(),
                options.AmiPath.c_str());
    std::printf("flow        %s\n", options.Receiver        ? "stimulus -> channel -> model (receiver) -> eye"
                                    : options.RxModel.empty() ? "stimulus -> model (transmitter) -> channel -> eye"
                                                              : "stimulus -> model (transmitter) -> channel -> "
                                                                "receiver -> eye");
    if (!options.RxModel.empty())
        std::printf("receiver    %s (root %s, %s%s), through %s\n", Rx.LibraryPath.c_str(), Rx.Ami.RootName.c_str(),
                    Rx.AmiPath.c_str(), Rx.Origin.empty() ? "" : ("; " + Rx.Origin).c_str(), Rx.Flow().c_str());
    std::printf("timing      bit time %g s (%g Gb/s), %d samples per bit, AMI_GetWave blocks of %zu\n",
                options.BitTime, 1e-9 / options.BitTime, options.SamplesPerBit, options.BlockSize);
    // A file's wave keeps its own levels; its swing is its extremes'.
    std::printf("stimulus    %s, %g peak to peak%s\n", Drive.Description.c_str(), Drive.Swing,
                options.WaveFile.empty() ? "" : " (the file's own levels)");
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
