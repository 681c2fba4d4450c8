#include "tools/amihost/report/SweepOutput.h"

#include <utility>

#include "tools/amihost/host/SettingLevels.h"
#include "tools/amihost/plot/BathtubPlot.h"
#include "tools/amihost/plot/CommonScale.h"
#include "tools/amihost/plot/EyePlot.h"
#include "tools/amihost/report/ReportPage.h"
#include "tools/amihost/report/StudyText.h"
#include "tools/amihost/report/SummaryJson.h"

namespace {

using Point = SweepOutput::Point;

// Every setting's eye, on one level scale unless --own-eye-scale (the
// settings far outside the others on their own, CommonScale), and its
// bathtub; all bathtubs again in one plot.
void AddPlots(const Study& study, const std::string& key, const std::vector<Point>& points,
              std::vector<CommandReport::File>& files)
{
    std::vector<CommonScale::Extent> extents;
    for (const Point& point : points)
        extents.push_back({point.Density.Low(), point.Density.High(), point.Density.Traces() > 0});
    const std::vector<bool> outlying = CommonScale::Outlying(extents);
    double low = 0.0;
    double high = 0.0;
    const bool common = !study.Request().OwnEyeScale && CommonScale::Range(extents, outlying, low, high);
    EyePlot::Frame frame;
    frame.Subtitle = StudyText::Conditions(study);
    std::vector<BathtubPlot::Curve> bathtubs;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Point& point = points[i];
        const std::string setting = study.Ami.RootName + ", " + key + " = " + point.Row.Value;
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
    files.emplace_back("bathtubs.svg", BathtubPlot::Svg(bathtubs, "Bathtubs at the receiver: " + study.Ami.RootName +
                                                                      ", every " + key,
                                                        frame.Subtitle));
}

} // namespace

Point SweepOutput::Keep(const std::string& key, const std::string& value, SimulationResult& result)
{
    Point point;
    point.Row = {value, result.DeemphasisDb, result.Eye, result.RelativeEye, result.SteadyLevel, std::string(),
                 result.Ber};
    point.Density = std::move(result.Density);
    point.Step = {key + " = " + value, std::move(result.RxStep)};
    point.Settled = result.Settled;
    point.FewBits = StudyText::FewBitsWarning(key + "=" + value, result);
    return point;
}

CommandReport SweepOutput::Compose(const Study& study, const std::string& key, std::vector<Point>& points)
{
    const HostRequest& r = study.Request();
    std::vector<SweepReport::Row> rows;
    std::vector<ResponsePlot::Curve> steps;
    std::vector<double> levels;
    for (Point& point : points) {
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
    ResponsePlot::Window(steps, r.SamplesPerBit, first, last);
    CommandReport report;
    report.Files = {{"steps.svg", ResponsePlot::Svg(steps, r.BitTime / r.SamplesPerBit, first, last,
                                                    "Unit step responses at the eye: " + study.Ami.RootName +
                                                        ", every " + key,
                                                    "output for a unit input step", StudyText::Conditions(study))},
                    {"sweep.csv", SweepReport::Csv(rows, best)}};
    AddPlots(study, key, points, report.Files);
    std::vector<std::string> warnings = study.Warnings;
    for (std::string& warning : StudyText::ChannelWarnings(study))
        warnings.push_back(std::move(warning));
    report.Text = StudyText::Setting(study);
    for (const std::string& warning : warnings)
        report.Text += "warning     " + warning + "\n";
    report.Text += "parameters  " + study.Parameters + " with " + key + " swept\n\n" +
                   SweepReport::Table(key, rows, best) + "plots in " + r.OutDir + ": steps.svg (step responses), " +
                   SweepReport::EyeFilePattern(key) + " (one eye per setting, " +
                   (r.OwnEyeScale ? "each on its own scale" : "all on one scale") + "), " +
                   SweepReport::BathtubFilePattern(key) + " and bathtubs.svg (bathtubs); table in sweep.csv, "
                   "figures in sweep.json, all on index.html\n";
    report.Warnings = warnings;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const SweepReport::Row& row = rows[i];
        const std::string setting = key + "=" + row.Value;
        for (std::string warning : {StudyText::LevelWarning(setting, row.SteadyLevel, row.Warning),
                                    StudyText::WindowWarning(setting, study.WindowBits(), points[i].Settled),
                                    points[i].FewBits})
            if (!warning.empty())
                report.Warnings.push_back(std::move(warning));
    }
    report.Files.emplace_back("sweep.json", SummaryJson::Sweep(study, key, rows, best, report));
    report.Files.emplace_back("index.html", ReportPage::Sweep(study, key, rows, best, report));
    return report;
}
