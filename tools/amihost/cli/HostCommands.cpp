#include "tools/amihost/cli/HostCommands.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <utility>

#include "tools/amihost/amifile/SweepValues.h"
#include "tools/amihost/cli/ProgressBar.h"
#include "tools/amihost/cli/Workbench.h"
#include "tools/amihost/report/BathtubPlot.h"
#include "tools/amihost/report/CommonScale.h"
#include "tools/amihost/report/EyePlot.h"
#include "tools/amihost/report/ResponsePlot.h"
#include "tools/amihost/report/RunReport.h"
#include "tools/amihost/report/SweepReport.h"
#include "tools/amihost/signal/TextFile.h"

namespace {

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

// Writes every (name, text) into `dir`, stopping at the first failure.
bool WriteAll(const std::string& dir, const std::vector<std::pair<std::string, std::string>>& files,
              std::string& error)
{
    if (!MakeFolder(dir, error))
        return false;
    for (const auto& file : files)
        if (!TextFile::Write(dir + "/" + file.first, file.second, error))
            return false;
    return true;
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

void PrintRun(const HostOptions& options, const Workbench& bench, const SimulationResult& result)
{
    const std::string dir = options.OutDir + "/";
    bench.PrintSetting(options);
    std::printf("parameters  %s\n", bench.Parameters.c_str());
    std::printf("AMI_Init    returned 1, %s\n",
                result.Message.empty() ? "no message" : ("message: " + result.Message).c_str());
    if (!result.ParametersOut.empty())
        std::printf("params out  %s\n", result.ParametersOut.c_str());
    if (!options.Receiver)
        std::printf("de-emphasis %s dB (first bit after a transition against the steady level)\n",
                    RunReport::Decibels(result.DeemphasisDb).c_str());
    std::printf("eye         %s\n", RunReport::EyeLine(result.Eye, options.SamplesPerBit).c_str());
    if (result.Eye.Valid && result.Eye.Height > 0.0)
        std::printf("            %.3f of the steady swing at the eye\n", result.RelativeEye);
    std::printf("BER         %s\n", RunReport::BerLine(result.Ber).c_str());
    const std::size_t rows = std::min(result.Received.size(), RunReport::MaxWaveRows);
    std::printf("wrote       %swave.csv%s, %sstep.csv, %seye.svg, %sstep.svg, %sbathtub.svg\n", dir.c_str(),
                rows < result.Received.size() ? (" (first " + std::to_string(rows) + " samples)").c_str() : "",
                dir.c_str(), dir.c_str(), dir.c_str(), dir.c_str());
}

// "Halvex_tx (de 8)" from the root name and "(Halvex_tx (de 8))": the
// parameter string with the root named once.
std::string Setting(const std::string& root, const std::string& parameters)
{
    const std::string head = "(" + root;
    if (parameters.compare(0, head.size(), head) != 0 || parameters.size() < head.size() + 1)
        return parameters;
    std::string inner = parameters.substr(head.size(), parameters.size() - head.size() - 1);
    inner.erase(0, inner.find_first_not_of(' '));
    return inner.empty() ? root : root + " " + inner;
}

// One setting of the sweep: its row, eye density and step response.
struct SweepPoint {
    SweepReport::Row Row;
    EyeDensity Density;
    ResponsePlot::Curve Step;
};

int SweepOne(const HostOptions& options, Workbench& bench, const std::string& key, const std::string& value,
             const std::function<void(std::size_t)>& progress, SweepPoint& point)
{
    std::vector<ParameterString::Setting> settings = options.Settings;
    settings.push_back({key, value});
    std::string parameters;
    std::string error;
    if (!ParameterString::Build(bench.Ami, settings, parameters, error))
        return Fail(ExitUsage, error);
    SimulationResult result;
    if (!Simulation::Run(bench.Model, bench.Config(options), parameters, result, progress, error))
        return Fail(ExitFailure, key + "=" + value + ": " + error);
    point.Row = {value, result.DeemphasisDb, result.Eye, result.RelativeEye, result.Ber};
    point.Density = EyeDensity::Measure(result.Received, result.Eye, options.SamplesPerBit);
    point.Step = {key + " = " + value, std::move(result.RxStep)};
    return ExitOk;
}

// Every setting's eye, on one level scale unless --own-eye-scale (the
// settings far outside the others on their own, CommonScale), and its
// bathtub; all bathtubs again in one plot.
void AddSweepPlots(const HostOptions& options, const Workbench& bench, const std::string& key,
                   const std::vector<SweepPoint>& points, std::vector<std::pair<std::string, std::string>>& files)
{
    std::vector<CommonScale::Extent> extents;
    for (const SweepPoint& point : points)
        extents.push_back({point.Density.Low(), point.Density.High(), point.Density.Traces() > 0});
    const std::vector<bool> outlying = CommonScale::Outlying(extents);
    double low = 0.0;
    double high = 0.0;
    const bool common = !options.OwnEyeScale && CommonScale::Range(extents, outlying, low, high);
    EyePlot::Frame frame;
    frame.Subtitle = bench.Conditions(options);
    std::vector<BathtubPlot::Curve> bathtubs;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const SweepPoint& point = points[i];
        const std::string setting = bench.Ami.RootName + ", " + key + " = " + point.Row.Value;
        const bool shared = common && !outlying[i];
        frame.Title = "Eye at the receiver: " + setting + (common && !shared ? " (own scale: far outside the others)"
                                                                             : "");
        frame.Low = shared ? low : 0.0;
        frame.High = shared ? high : 0.0;
        files.emplace_back(SweepReport::EyeFileName(key, point.Row.Value),
                           EyePlot::Svg(point.Density, point.Row.Eye, point.Row.Ber, frame));
        files.emplace_back(SweepReport::BathtubFileName(key, point.Row.Value),
                           BathtubPlot::Svg({{"", point.Row.Ber}}, "Bathtub at the receiver: " + setting,
                                            frame.Subtitle));
        bathtubs.push_back({key + " = " + point.Row.Value, point.Row.Ber});
    }
    files.emplace_back("bathtubs.svg", BathtubPlot::Svg(bathtubs, "Bathtubs at the receiver: " + bench.Ami.RootName +
                                                                      ", every " + key,
                                                        frame.Subtitle));
}

} // namespace

int HostCommands::Run(const HostOptions& options)
{
    std::string error;
    Workbench bench;
    if (const ExitStatus status = bench.Prepare(options, error); status != ExitOk)
        return Fail(status, error);
    const SimulationConfig config = bench.Config(options);
    SimulationResult result;
    {
        SweepProgress progress(1, Simulation::TotalSamples(config));
        if (!Simulation::Run(bench.Model, config, bench.Parameters, result, progress.For(0, "simulating"), error))
            return Fail(ExitFailure, error);
    }
    const std::string title = Setting(bench.Ami.RootName, bench.Parameters);
    EyePlot::Frame frame;
    frame.Title = "Eye at the receiver: " + title;
    frame.Subtitle = bench.Conditions(options);
    const std::vector<std::pair<std::string, std::string>> files = {
        {"wave.csv", RunReport::WaveCsv(config, result)},
        {"step.csv", RunReport::StepCsv(config, result)},
        {"eye.svg", EyePlot::Svg(EyeDensity::Measure(result.Received, result.Eye, options.SamplesPerBit), result.Eye,
                                 result.Ber, frame)},
        {"step.svg", RunReport::StepSvg(config, result, "Unit step and pulse responses: " + title, frame.Subtitle)},
        {"bathtub.svg", BathtubPlot::Svg({{"", result.Ber}}, "Bathtub at the receiver: " + title, frame.Subtitle)}};
    if (!WriteAll(options.OutDir, files, error))
        return Fail(ExitFailure, error);
    PrintRun(options, bench, result);
    return ExitOk;
}

int HostCommands::Sweep(const HostOptions& options)
{
    std::string error;
    Workbench bench;
    if (const ExitStatus status = bench.Prepare(options, error); status != ExitOk)
        return Fail(status, error);
    std::string key;
    std::vector<std::string> values;
    if (!SweepValues::Parse(options.SweepSpec, bench.Ami, key, values, error))
        return Fail(ExitUsage, error);
    std::vector<SweepPoint> points(values.size());
    {
        SweepProgress progress(values.size(), Simulation::TotalSamples(bench.Config(options)));
        for (std::size_t i = 0; i < values.size(); ++i) {
            const std::string label = key + "=" + values[i] + " (" + std::to_string(i + 1) + "/" +
                                      std::to_string(values.size()) + ")";
            if (const int status = SweepOne(options, bench, key, values[i], progress.For(i, label), points[i]))
                return status;
        }
    }
    std::vector<SweepReport::Row> rows;
    std::vector<ResponsePlot::Curve> steps;
    for (SweepPoint& point : points) {
        rows.push_back(point.Row);
        steps.push_back(std::move(point.Step));
    }
    const std::size_t best = SweepReport::Best(rows);
    std::size_t first = 0;
    std::size_t last = 0;
    ResponsePlot::Window(steps, options.SamplesPerBit, first, last);
    std::vector<std::pair<std::string, std::string>> files = {
        {"steps.svg", ResponsePlot::Svg(steps, options.BitTime / options.SamplesPerBit, first, last,
                                        "Unit step responses at the eye: " + bench.Ami.RootName + ", every " + key,
                                        "output for a unit input step", bench.Conditions(options))},
        {"sweep.csv", SweepReport::Csv(rows, best)}};
    AddSweepPlots(options, bench, key, points, files);
    if (!WriteAll(options.OutDir, files, error))
        return Fail(ExitFailure, error);
    bench.PrintSetting(options);
    std::printf("parameters  %s with %s swept\n\n%s", bench.Parameters.c_str(), key.c_str(),
                SweepReport::Table(key, rows, best).c_str());
    std::printf("plots in %s: steps.svg (step responses), %s (one eye per setting, %s), %s and bathtubs.svg "
                "(bathtubs); table in sweep.csv\n",
                options.OutDir.c_str(), SweepReport::EyeFilePattern(key).c_str(),
                options.OwnEyeScale ? "each on its own scale" : "all on one scale",
                SweepReport::BathtubFilePattern(key).c_str());
    return ExitOk;
}

int HostCommands::Check(const HostOptions& options)
{
    std::string error;
    Workbench bench;
    if (const ExitStatus status = bench.ReadAmi(options, error); status != ExitOk)
        return Fail(status, error);
    if (!bench.Model.Load(options.ModelPath, error))
        return Fail(ExitFailure, error);
    const ConformanceConfig config = Workbench::Checks(options);
    std::printf("checking %s with %s: %s\n", options.ModelPath.c_str(), options.AmiPath.c_str(),
                bench.Parameters.c_str());
    std::size_t failed = 0;
    for (const ConformanceResult& r : Conformance::Run(bench.Model, bench.Ami, bench.Parameters, config)) {
        std::printf("%-4s  %-21s  %s\n", r.Skipped ? "SKIP" : r.Pass ? "PASS" : "FAIL", r.Name.c_str(),
                    r.Reason.c_str());
        failed += r.Pass ? 0 : 1;
    }
    std::printf("%s\n", failed == 0 ? "all checks passed" : (std::to_string(failed) + " check(s) failed").c_str());
    return failed == 0 ? ExitOk : ExitFailure;
}
