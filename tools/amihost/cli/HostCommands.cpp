#include "tools/amihost/cli/HostCommands.h"

#include <algorithm>
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
#include "tools/amihost/host/KitCheck.h"
#include "tools/amihost/host/SettingLevels.h"
#include "ibis/IbisFile.h"
#include "tools/amihost/report/BathtubPlot.h"
#include "tools/amihost/report/CheckReport.h"
#include "tools/amihost/report/CommonScale.h"
#include "tools/amihost/report/EyePlot.h"
#include "tools/amihost/report/IvReport.h"
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

void PrintRun(const HostOptions& options, const Workbench& bench, const SimulationResult& result,
              const std::string& warning)
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
    std::printf("BER         %s\n", RunReport::BerLine(result.Ber).c_str());
    std::printf("steady      %.4g: the model's output for a unit step, after %zu bits\n", result.SteadyLevel,
                options.ResponseBits);
    if (!warning.empty())
        std::printf("warning     %s\n", warning.c_str());
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
    point.Row = {value, result.DeemphasisDb, result.Eye, result.RelativeEye, result.SteadyLevel,
                 std::string(), result.Ber};
    point.Density = EyeDensity::Measure(result.Received, result.Eye, options.SamplesPerBit);
    point.Step = {key + " = " + value, std::move(result.RxStep)};
    return ExitOk;
}

// The [Model] called `name`, else the file's only [Model], else its only
// AMI model; null with the reason otherwise.
const IbisModel* IvModel(const IbisFile& file, const std::string& name, std::string& error)
{
    if (!name.empty()) {
        if (const IbisModel* model = file.FindModel(name))
            return model;
        error = "--model: " + file.Path + ": no [Model] " + name;
        return nullptr;
    }
    if (file.Models.size() == 1)
        return &file.Models[0];
    const IbisModel* ami = file.SelectAmiModel("", error);
    if (!ami)
        error = file.Path + (file.Models.empty() ? ": no [Model]"
                                                 : ": " + std::to_string(file.Models.size()) +
                                                       " models and no single one with an [Algorithmic Model]: name "
                                                       "the one with --model");
    return ami;
}

// "de=8: steady level -45.59 for a unit step at the input, inverted against
// the input step: this setting misbehaves at this timing"; empty when the
// setting's level is sound.
std::string LevelWarning(const std::string& setting, double level, const std::string& reason)
{
    if (reason.empty())
        return reason;
    char text[48];
    std::snprintf(text, sizeof text, "%.4g", level);
    return setting + ": steady level " + text + " for a unit step at the input, " + reason +
           ": this setting misbehaves at this timing";
}

// Run and sweep start alike: FILE.ibs (if given) leads to the library and
// the .ami file, then everything is read.
ExitStatus Open(HostOptions& options, Workbench& bench, std::string& error)
{
    const ExitStatus status = bench.OpenKit(options, error);
    return status != ExitOk ? status : bench.Prepare(options, error);
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

int HostCommands::Run(const HostOptions& given)
{
    std::string error;
    HostOptions options = given;
    Workbench bench;
    if (const ExitStatus status = Open(options, bench, error); status != ExitOk)
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
    const std::string warning =
        LevelWarning(bench.Parameters, result.SteadyLevel, SettingLevels::Own(result.SteadyLevel));
    PrintRun(options, bench, result, warning);
    if (!warning.empty())
        Warn(warning);
    return ExitOk;
}

int HostCommands::Sweep(const HostOptions& given)
{
    std::string error;
    HostOptions options = given;
    Workbench bench;
    if (const ExitStatus status = Open(options, bench, error); status != ExitOk)
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
    std::vector<double> levels;
    for (SweepPoint& point : points) {
        rows.push_back(point.Row);
        steps.push_back(std::move(point.Step));
        levels.push_back(point.Row.SteadyLevel);
    }
    const std::vector<std::string> reasons = SettingLevels::Sweep(levels);
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].Warning = reasons[i];
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
    for (const SweepReport::Row& row : rows)
        if (!row.Warning.empty())
            Warn(LevelWarning(key + "=" + row.Value, row.SteadyLevel, row.Warning));
    return ExitOk;
}

int HostCommands::Check(const HostOptions& options)
{
    const ModelCheckConfig config{Workbench::Checks(options), options.Settings};
    const KitCheckReport report =
        options.IbisPath.empty()
            ? KitCheck::FromLibrary(options.ModelPath, options.AmiPath, config)
            : KitCheck::FromIbis(options.IbisPath, options.ModelName, IbisPlatform::Host(), config);
    if (!report.UsageError.empty())
        return Fail(ExitUsage, report.UsageError);
    if (options.IbisPath.empty())
        std::printf("checking %s with %s\n", options.ModelPath.c_str(), options.AmiPath.c_str());
    else
        std::printf("checking the kit of %s on %s\n", options.IbisPath.c_str(),
                    IbisPlatform::Host().Describe().c_str());
    std::fputs(CheckReport::Text(report).c_str(), stdout);
    return report.Failed() ? ExitFailure : ExitOk;
}

int HostCommands::Iv(const HostOptions& options)
{
    std::string error;
    IbisFile file;
    if (!IbisFile::ReadFile(options.IbisPath, file, error))
        return Fail(ExitFailure, error);
    const IbisModel* model = IvModel(file, options.ModelName, error);
    if (!model)
        return Fail(options.ModelName.empty() ? ExitFailure : ExitUsage, error);
    std::vector<std::pair<std::string, std::string>> files;
    for (const IvReport::Corner corner : {IvReport::Typ, IvReport::Min, IvReport::Max})
        files.emplace_back(IvReport::FileName(model->Name, corner), IvReport::Csv(*model, corner));
    if (!WriteAll(options.OutDir, files, error))
        return Fail(ExitFailure, error);
    std::printf("[Model] %s of %s (line %d): [Pulldown] %zu, [Pullup] %zu, [GND Clamp] %zu, [POWER Clamp] %zu rows\n",
                model->Name.c_str(), options.IbisPath.c_str(), model->Line, model->Pulldown.Rows.size(),
                model->Pullup.Rows.size(), model->GndClamp.Rows.size(), model->PowerClamp.Rows.size());
    std::printf("wrote       %s/%s, %s, %s\n", options.OutDir.c_str(), files[0].first.c_str(), files[1].first.c_str(),
                files[2].first.c_str());
    return ExitOk;
}
