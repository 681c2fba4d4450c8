#include "tools/amihost/cli/HostCommands.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

#include "tools/amihost/amifile/SweepValues.h"
#include "tools/amihost/cli/ParallelRuns.h"
#include "tools/amihost/cli/ProgressBar.h"
#include "tools/amihost/cli/Workbench.h"
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

// Progress of several simulations of equal size on one bar; they may run in
// threads of their own, each reporting what it has done so far.
class SweepProgress {
public:
    SweepProgress(std::size_t count, std::size_t each) : bar_(count * each, ProgressBar::Terminal()), done_(count, 0)
    {
    }
    std::function<void(std::size_t)> For(std::size_t index, const std::string& label)
    {
        return [this, index, label](std::size_t done) {
            const std::lock_guard<std::mutex> guard(lock_);
            total_ += done - done_[index];
            done_[index] = done;
            bar_.Update(total_, label);
        };
    }

private:
    std::mutex lock_;
    ProgressBar bar_;
    std::vector<std::size_t> done_; // samples done per simulation
    std::size_t total_ = 0;         // their sum
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
    if (!options.RxModel.empty())
        std::printf("receiver    %s; its AMI_Init returned 1, %s\n", bench.Rx.Parameters.c_str(),
                    result.RxMessage.empty() ? "no message" : ("message: " + result.RxMessage).c_str());
    if (!options.Receiver)
        std::printf("de-emphasis %s dB (first bit after a transition against the steady level)\n",
                    RunReport::Decibels(result.DeemphasisDb).c_str());
    if (!result.SamplingTimes.empty()) {
        std::printf("eye         at the receiver's %zu clock times (sampled half a UI after each): %s\n",
                    result.ClockTimes.size(), RunReport::EyeLine(result.Eye, options.SamplesPerBit, true).c_str());
        std::printf("            at the best fixed latency: %s\n",
                    RunReport::EyeLine(result.FixedEye, options.SamplesPerBit).c_str());
    } else {
        std::printf("eye         %s\n", RunReport::EyeLine(result.Eye, options.SamplesPerBit).c_str());
    }
    if (result.Eye.Valid && result.Eye.Height > 0.0)
        std::printf("            %.3f of the steady swing at the eye\n", result.RelativeEye);
    const std::size_t rows = std::min(result.Received.size(), RunReport::MaxWaveRows);
    std::printf("wrote       %swave.csv%s, %sstep.csv, %seye.svg, %sstep.svg\n", dir.c_str(),
                rows < result.Received.size() ? (" (first " + std::to_string(rows) + " samples)").c_str() : "",
                dir.c_str(), dir.c_str(), dir.c_str());
}

// One setting of the sweep: its row, eye plot and step response.
struct SweepPoint {
    SweepReport::Row Row;
    std::string EyeSvg;
    ResponsePlot::Curve Step;
};

// One setting, on a thread of its own in a parallel sweep: reads the shared
// bench only, writes only `point` and `error`.
ExitStatus SweepOne(const HostOptions& options, const Workbench& bench, const std::string& key,
                    const std::string& value, const std::function<void(std::size_t)>& progress, SweepPoint& point,
                    std::string& error)
{
    std::vector<ParameterString::Setting> settings = options.Settings;
    settings.push_back({key, value});
    std::string parameters;
    if (!ParameterString::Build(bench.Ami, settings, parameters, error))
        return ExitUsage;
    SimulationResult result;
    if (!Simulation::Run(bench.Model, bench.Config(options), parameters, result, progress, error)) {
        error = key + "=" + value + ": " + error;
        return ExitFailure;
    }
    point.Row = {value, result.DeemphasisDb, result.Eye, result.RelativeEye};
    point.EyeSvg = EyePlot::Svg(result.Received, result.Eye, options.SamplesPerBit,
                                "Eye at the receiver, " + bench.Ami.RootName + " " + parameters, "V");
    point.Step = {key + " = " + value, std::move(result.RxStep)};
    return ExitOk;
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
    const std::string title = bench.Ami.RootName + " " + bench.Parameters;
    const std::vector<std::pair<std::string, std::string>> files = {
        {"wave.csv", RunReport::WaveCsv(config, result)},
        {"step.csv", RunReport::StepCsv(config, result)},
        {"eye.svg", EyePlot::Svg(result.Received, result.Eye, options.SamplesPerBit, "Eye at the receiver, " + title,
                                 "V")},
        {"step.svg", RunReport::StepSvg(config, result, "Unit step and pulse responses, " + title)}};
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
        // Each setting in an instance of its own; the first failing setting
        // in sweep order is the one reported, as a serial sweep would.
        std::vector<ExitStatus> status(values.size(), ExitOk);
        std::vector<std::string> errors(values.size());
        SweepProgress progress(values.size(), Simulation::TotalSamples(bench.Config(options)));
        RunInParallel(values.size(), options.Jobs > 0 ? options.Jobs : EveryCore(), [&](std::size_t i) {
            const std::string label = key + "=" + values[i] + " (" + std::to_string(i + 1) + "/" +
                                      std::to_string(values.size()) + ")";
            status[i] = SweepOne(options, bench, key, values[i], progress.For(i, label), points[i], errors[i]);
        });
        for (std::size_t i = 0; i < values.size(); ++i)
            if (status[i] != ExitOk)
                return Fail(status[i], errors[i]);
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
                                        "Unit step responses at the eye, " + bench.Ami.RootName + ", " +
                                            bench.Link.Description(),
                                        "output for a unit input step")},
        {"sweep.csv", SweepReport::Csv(rows, best)}};
    for (const SweepPoint& point : points)
        files.emplace_back(SweepReport::EyeFileName(key, point.Row.Value), point.EyeSvg);
    if (!WriteAll(options.OutDir, files, error))
        return Fail(ExitFailure, error);
    bench.PrintSetting(options);
    std::printf("parameters  %s with %s swept\n\n%s", bench.Parameters.c_str(), key.c_str(),
                SweepReport::Table(key, rows, best).c_str());
    std::printf("plots in %s: steps.svg (step responses), %s (one eye per setting); table in sweep.csv\n",
                options.OutDir.c_str(), SweepReport::EyeFilePattern(key).c_str());
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
