#include "tools/amihost/cli/HostCommands.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "tools/amihost/amifile/AmiFile.h"
#include "tools/amihost/host/AmiModel.h"
#include "tools/amihost/signal/Channel.h"
#include "tools/amihost/host/Conformance.h"
#include "tools/amihost/signal/CsvReader.h"
#include "tools/amihost/report/EyePlot.h"
#include "tools/amihost/cli/ProgressBar.h"
#include "tools/amihost/report/ResponsePlot.h"
#include "tools/amihost/host/Simulation.h"
#include "tools/amihost/signal/Stimulus.h"
#include "tools/amihost/amifile/SweepValues.h"
#include "tools/amihost/signal/TextFile.h"

namespace {

constexpr std::size_t MaxCsvBytes = std::size_t{1} << 30;
constexpr std::size_t MaxWaveRows = std::size_t{1} << 20; // rows of wave.csv
constexpr std::size_t LineBits = 256;                     // length limit of the built-in line, in UI

int Fail(const std::string& error)
{
    std::fflush(stdout);
    std::fprintf(stderr, "amihost: error: %s\n", error.c_str());
    return 1;
}

std::string Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Decibels(double db) { return std::isnan(db) ? "n/a" : Format("%.2f", db); }

// Everything the subcommands share: the .ami file, the channel, the
// stimulus and the loaded model, read in that order (the model last: loading
// runs its code).
struct Bench {
    AmiFile Ami;
    Channel Link;
    Stimulus Drive;
    AmiModel Model;
    std::string Parameters; // with --set applied

    // The .ami file and the parameter string.
    bool ReadAmi(const HostOptions& options, std::string& error)
    {
        std::string text;
        if (!TextFile::Read(options.AmiPath, AmiFile::MaxBytes, text, error) ||
            !AmiFile::Read(text, options.AmiPath, Ami, error))
            return false;
        if (!ParameterString::Build(Ami, options.Settings, Parameters, error)) {
            error = "--set: " + error;
            return false;
        }
        return true;
    }

    // Everything, for run and sweep.
    bool Prepare(const HostOptions& options, std::string& error)
    {
        if (!ReadAmi(options, error))
            return false;
        std::string text;
        const double dt = options.BitTime / options.SamplesPerBit;
        if (options.HasLoss) {
            const std::size_t length = std::min<std::size_t>(LineBits * options.SamplesPerBit, std::size_t{1} << 20);
            if (!Channel::Line(options.LossDb, options.BitTime, dt, length, Link, error)) {
                error = "--loss: " + error;
                return false;
            }
        } else if (!options.ImpulseFile.empty()) {
            std::vector<double> impulse;
            if (!TextFile::Read(options.ImpulseFile, MaxCsvBytes, text, error) ||
                !CsvReader::ReadSignal(text, options.ImpulseFile, dt, impulse, error) ||
                !Channel::FromImpulse(impulse, dt, options.ImpulseFile, Link, error))
                return false;
        }
        if (!options.WaveFile.empty()) {
            std::vector<double> wave;
            if (!TextFile::Read(options.WaveFile, MaxCsvBytes, text, error) ||
                !CsvReader::ReadSignal(text, options.WaveFile, dt, wave, error))
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
        if (!Model.Load(options.ModelPath, error))
            return false;
        if (!Model.GetWave) {
            error = options.ModelPath + ": the model has no AMI_GetWave; amihost runs the time-domain flow only";
            return false;
        }
        return true;
    }

    SimulationConfig Config(const HostOptions& options) const
    {
        SimulationConfig config;
        config.BitTime = options.BitTime;
        config.SamplesPerBit = options.SamplesPerBit;
        config.BlockSize = options.BlockSize;
        config.ResponseBits = options.ResponseBits;
        config.SkipBits = options.SkipBits;
        config.Receiver = options.Receiver;
        config.Link = &Link;
        config.Drive = &Drive;
        return config;
    }

    void PrintSetting(const HostOptions& options) const
    {
        std::printf("model       %s (root %s, %s)\n", options.ModelPath.c_str(), Ami.RootName.c_str(),
                    options.AmiPath.c_str());
        std::printf("flow        %s\n", options.Receiver ? "stimulus -> channel -> model (receiver) -> eye"
                                                         : "stimulus -> model (transmitter) -> channel -> eye");
        std::printf("timing      bit time %g s (%g Gb/s), %d samples per bit, AMI_GetWave blocks of %zu\n",
                    options.BitTime, 1e-9 / options.BitTime, options.SamplesPerBit, options.BlockSize);
        std::printf("stimulus    %s, %g peak to peak\n", Drive.Description.c_str(), options.Amplitude);
        std::printf("channel     %s (%zu taps)\n", Link.Description().c_str(), Link.Taps().size());
    }
};

// The output folder, created if needed.
bool MakeFolder(const std::string& path, std::string& error)
{
    std::error_code code;
    std::filesystem::create_directories(path, code);
    if (code || !std::filesystem::is_directory(path, code)) {
        error = path + ": cannot create the output folder" + (code ? ": " + code.message() : std::string());
        return false;
    }
    return true;
}

// File names keep letters, digits, ".", "-" and "_".
std::string Safe(const std::string& text)
{
    std::string safe = text;
    for (char& c : safe)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_'))
            c = '_';
    return safe;
}

// The window of a plot of step responses: from 2 UI before the first curve
// leaves 1 % of its final value, 32 UI long.
void StepWindow(const std::vector<ResponsePlot::Curve>& curves, int samplesPerBit, std::size_t& first,
                std::size_t& last)
{
    std::size_t start = SIZE_MAX;
    std::size_t length = 0;
    for (const ResponsePlot::Curve& curve : curves) {
        length = std::max(length, curve.Values.size());
        const double final = curve.Values.empty() ? 0.0 : curve.Values.back();
        for (std::size_t i = 0; i < curve.Values.size(); ++i)
            if (std::fabs(curve.Values[i]) > 0.01 * std::fabs(final)) {
                start = std::min(start, i);
                break;
            }
    }
    const std::size_t spb = static_cast<std::size_t>(samplesPerBit);
    first = start == SIZE_MAX ? 0 : (start > 2 * spb ? start - 2 * spb : 0);
    last = std::min(length, first + 32 * spb);
}

// Progress of several simulations of equal size on one bar.
struct SweepProgress {
    ProgressBar Bar;
    std::size_t Each;
    SweepProgress(std::size_t count, std::size_t each) : Bar(count * each, ProgressBar::Terminal()), Each(each) {}
    std::function<void(std::size_t)> For(std::size_t index, const std::string& label)
    {
        return [this, index, label](std::size_t done) { Bar.Update(index * Each + done, label); };
    }
};

std::string EyeLine(const EyeResult& eye, int samplesPerBit)
{
    if (!eye.Valid)
        return "not measured (no bits of one of the two symbols after the skipped ones)";
    char text[200];
    if (eye.Height > 0.0)
        std::snprintf(text, sizeof text, "height %.4f, width %.3f UI; best sampling %.2f UI after the bit starts, "
                      "%zu bits measured after %zu skipped",
                      eye.Height, eye.Width, static_cast<double>(eye.Latency) / samplesPerBit, eye.BitCount,
                      eye.FirstBit);
    else
        std::snprintf(text, sizeof text, "closed (height %.4f at the best phase), %zu bits measured after %zu skipped",
                      eye.Height, eye.BitCount, eye.FirstBit);
    return text;
}

} // namespace

int HostCommands::Run(const HostOptions& options)
{
    std::string error;
    Bench bench;
    if (!bench.Prepare(options, error))
        return Fail(error);
    const SimulationConfig config = bench.Config(options);
    SimulationResult result;
    {
        SweepProgress progress(1, Simulation::TotalSamples(config));
        if (!Simulation::Run(bench.Model, config, bench.Parameters, result, progress.For(0, "simulating"), error))
            return Fail(error);
    }

    // Files, then the report.
    const double dt = config.SampleInterval();
    if (!MakeFolder(options.OutDir, error))
        return Fail(error);
    const std::string dir = options.OutDir + "/";
    const std::size_t rows = std::min(result.Received.size(), MaxWaveRows);
    std::string wave = "time_s,stimulus,model_output,at_eye\n";
    char line[160];
    for (std::size_t i = 0; i < rows; ++i) {
        std::snprintf(line, sizeof line, "%.9g,%.17g,%.17g,%.17g\n", static_cast<double>(i) * dt,
                      bench.Drive.Wave[i], result.Output[i], result.Received[i]);
        wave += line;
    }
    std::string step = options.Receiver ? "time_s,step_at_eye,pulse_at_eye\n"
                                        : "time_s,step_model_output,step_at_eye,pulse_at_eye\n";
    for (std::size_t i = 0; i < result.RxStep.size(); ++i) {
        if (options.Receiver)
            std::snprintf(line, sizeof line, "%.9g,%.17g,%.17g\n", static_cast<double>(i) * dt, result.RxStep[i],
                          result.Pulse[i]);
        else
            std::snprintf(line, sizeof line, "%.9g,%.17g,%.17g,%.17g\n", static_cast<double>(i) * dt,
                          result.TxStep[i], result.RxStep[i], result.Pulse[i]);
        step += line;
    }
    std::vector<ResponsePlot::Curve> curves;
    if (!options.Receiver)
        curves.push_back({"model output", result.TxStep});
    if (options.Receiver || !bench.Link.IsNone())
        curves.push_back({"at the eye", result.RxStep});
    curves.push_back({"pulse at the eye", result.Pulse});
    std::size_t first = 0;
    std::size_t last = 0;
    StepWindow(curves, options.SamplesPerBit, first, last);
    const std::string title = bench.Ami.RootName + " " + bench.Parameters;
    const std::string stepSvg = ResponsePlot::Svg(curves, dt, first, last, "Unit step and pulse responses, " + title,
                                                  "output for a unit input step");
    const std::string eyeSvg =
        EyePlot::Svg(result.Received, result.Eye, options.SamplesPerBit, "Eye at the receiver, " + title, "V");
    const std::pair<std::string, const std::string*> files[] = {
        {"wave.csv", &wave}, {"step.csv", &step}, {"eye.svg", &eyeSvg}, {"step.svg", &stepSvg}};
    for (const auto& file : files)
        if (!TextFile::Write(dir + file.first, *file.second, error))
            return Fail(error);

    bench.PrintSetting(options);
    std::printf("parameters  %s\n", bench.Parameters.c_str());
    std::printf("AMI_Init    returned 1, %s\n",
                result.Message.empty() ? "no message" : ("message: " + result.Message).c_str());
    if (!result.ParametersOut.empty())
        std::printf("params out  %s\n", result.ParametersOut.c_str());
    if (!options.Receiver)
        std::printf("de-emphasis %s dB (first bit after a transition against the steady level)\n",
                    Decibels(result.DeemphasisDb).c_str());
    std::printf("eye         %s\n", EyeLine(result.Eye, options.SamplesPerBit).c_str());
    if (result.Eye.Valid && result.Eye.Height > 0.0)
        std::printf("            %.3f of the steady swing at the eye\n", result.RelativeEye);
    std::printf("wrote       %swave.csv%s, %sstep.csv, %seye.svg, %sstep.svg\n", dir.c_str(),
                rows < result.Received.size() ? (" (first " + std::to_string(rows) + " samples)").c_str() : "",
                dir.c_str(), dir.c_str(), dir.c_str());
    return 0;
}

int HostCommands::Sweep(const HostOptions& options)
{
    std::string error;
    Bench bench;
    if (!bench.Prepare(options, error))
        return Fail(error);
    std::string key;
    std::vector<std::string> values;
    if (!SweepValues::Parse(options.SweepSpec, bench.Ami, key, values, error))
        return Fail(error);
    const SimulationConfig config = bench.Config(options);

    struct Row {
        std::string Value;
        double DeemphasisDb;
        EyeResult Eye;
        double RelativeEye;
        std::string EyeSvg;
    };
    std::vector<Row> rows;
    std::vector<ResponsePlot::Curve> steps;
    {
        SweepProgress progress(values.size(), Simulation::TotalSamples(config));
        for (std::size_t i = 0; i < values.size(); ++i) {
            std::vector<ParameterString::Setting> settings = options.Settings;
            settings.push_back({key, values[i]});
            std::string parameters;
            if (!ParameterString::Build(bench.Ami, settings, parameters, error))
                return Fail(error);
            SimulationResult result;
            const std::string label = key + "=" + values[i] + " (" + std::to_string(i + 1) + "/" +
                                      std::to_string(values.size()) + ")";
            if (!Simulation::Run(bench.Model, config, parameters, result, progress.For(i, label), error))
                return Fail(key + "=" + values[i] + ": " + error);
            rows.push_back({values[i], result.DeemphasisDb, result.Eye, result.RelativeEye,
                            EyePlot::Svg(result.Received, result.Eye, options.SamplesPerBit,
                                         "Eye at the receiver, " + bench.Ami.RootName + " " + parameters, "V")});
            steps.push_back({key + " = " + values[i], std::move(result.RxStep)});
        }
    }

    // The best setting: the largest open eye against the swing, ties to the wider one.
    std::size_t best = rows.size();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& r = rows[i];
        if (!r.Eye.Valid || !(r.Eye.Height > 0.0) || !(r.RelativeEye > 0.0))
            continue;
        if (best == rows.size() || r.RelativeEye > rows[best].RelativeEye ||
            (r.RelativeEye == rows[best].RelativeEye && r.Eye.Width > rows[best].Eye.Width))
            best = i;
    }

    if (!MakeFolder(options.OutDir, error))
        return Fail(error);
    const std::string dir = options.OutDir + "/";
    std::size_t first = 0;
    std::size_t last = 0;
    StepWindow(steps, options.SamplesPerBit, first, last);
    const std::string stepsSvg =
        ResponsePlot::Svg(steps, config.SampleInterval(), first, last,
                          "Unit step responses at the eye, " + bench.Ami.RootName + ", " + bench.Link.Description(),
                          "output for a unit input step");
    std::string table = "setting,deemphasis_db,eye_height,eye_height_over_swing,eye_width_ui,best\n";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        char line[200];
        std::snprintf(line, sizeof line, "%s,%.6g,%.6g,%.6g,%.6g,%d\n", rows[i].Value.c_str(), rows[i].DeemphasisDb,
                      rows[i].Eye.Valid ? rows[i].Eye.Height : std::nan(""), rows[i].RelativeEye, rows[i].Eye.Width,
                      i == best ? 1 : 0);
        table += line;
    }
    if (!TextFile::Write(dir + "steps.svg", stepsSvg, error) || !TextFile::Write(dir + "sweep.csv", table, error))
        return Fail(error);
    for (const Row& row : rows)
        if (!TextFile::Write(dir + "eye_" + Safe(key) + "_" + Safe(row.Value) + ".svg", row.EyeSvg, error))
            return Fail(error);

    bench.PrintSetting(options);
    std::printf("parameters  %s with %s swept\n\n", bench.Parameters.c_str(), key.c_str());
    const int width = static_cast<int>(std::max<std::size_t>(key.size(), 7));
    std::printf("%*s  de-emphasis (dB)  eye height (V)  eye / swing  eye width (UI)\n", width + 2, key.c_str());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const EyeResult& e = rows[i].Eye;
        const bool open = e.Valid && e.Height > 0.0;
        std::printf("%*s %c  %16s  %14s  %11s  %14s\n", width, rows[i].Value.c_str(), i == best ? '*' : ' ',
                    Decibels(rows[i].DeemphasisDb).c_str(),
                    !e.Valid ? "n/a" : open ? Format("%.4f", e.Height).c_str() : "closed",
                    open ? Format("%.3f", rows[i].RelativeEye).c_str() : "-",
                    !e.Valid ? "n/a" : Format("%.3f", e.Width).c_str());
    }
    if (best < rows.size())
        std::printf("\n* best for this channel: %s=%s (largest eye height against the steady swing at the eye)\n",
                    key.c_str(), rows[best].Value.c_str());
    else
        std::printf("\nno setting opens the eye on this channel\n");
    std::printf("plots in %s: steps.svg (step responses), eye_%s_<value>.svg (one eye per setting); table in "
                "sweep.csv\n",
                options.OutDir.c_str(), Safe(key).c_str());
    return 0;
}

int HostCommands::Check(const HostOptions& options)
{
    std::string error;
    Bench bench;
    if (!bench.ReadAmi(options, error) || !bench.Model.Load(options.ModelPath, error))
        return Fail(error);
    const std::string& parameters = bench.Parameters;
    ConformanceConfig config;
    config.BitTime = options.BitTime;
    config.SamplesPerBit = options.SamplesPerBit;
    config.Bits = options.Bits;
    config.BlockSize = options.BlockSize;
    config.Seed = options.Seed;
    std::printf("checking %s with %s: %s\n", options.ModelPath.c_str(), options.AmiPath.c_str(), parameters.c_str());
    std::size_t failed = 0;
    for (const ConformanceResult& r : Conformance::Run(bench.Model, bench.Ami, parameters, config)) {
        std::printf("%-4s  %-21s  %s\n", r.Skipped ? "SKIP" : r.Pass ? "PASS" : "FAIL", r.Name.c_str(),
                    r.Reason.c_str());
        failed += r.Pass ? 0 : 1;
    }
    std::printf("%s\n", failed == 0 ? "all checks passed" : (std::to_string(failed) + " check(s) failed").c_str());
    return failed == 0 ? 0 : 1;
}
