#include "tools/amihost/report/RunOutput.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/amihost/host/SettingLevels.h"
#include "tools/amihost/plot/BathtubPlot.h"
#include "tools/amihost/plot/EyePlot.h"
#include "tools/amihost/report/RunReport.h"
#include "tools/amihost/report/ReportPage.h"
#include "tools/amihost/report/StudyText.h"
#include "tools/amihost/report/SummaryJson.h"

namespace {

// One number in printf's `format`, at any length.
std::string Printed(const char* format, double value)
{
    const int size = std::snprintf(nullptr, 0, format, value);
    std::string text(static_cast<std::size_t>(size > 0 ? size : 0) + 1, '\0');
    std::snprintf(&text[0], text.size(), format, value);
    text.pop_back();
    return text;
}

std::string Said(const std::string& message)
{
    return message.empty() ? "no message" : "message: " + message;
}

// The lines after the setting: parameters, AMI_Init, de-emphasis, eye, BER,
// steady level, the warnings and the files written.
std::string Results(const Study& study, const SimulationResult& result, const std::vector<std::string>& warnings)
{
    const HostRequest& r = study.Request();
    const std::string dir = r.OutDir + "/";
    std::string text = "parameters  " + study.Parameters + "\n";
    text += "AMI_Init    returned 1, " + Said(result.Message) + "\n";
    if (!result.ParametersOut.empty())
        text += "params out  " + result.ParametersOut + "\n";
    if (r.HasReceiverAfter())
        text += "receiver    " + study.Rx.Parameters + "; its AMI_Init returned 1, " + Said(result.RxMessage) + "\n";
    if (!r.ModelIsReceiver)
        text += "de-emphasis " + RunReport::Decibels(result.DeemphasisDb) +
                " dB (first bit after a transition against the steady level)\n";
    if (result.Clocked()) {
        text += "eye         at the receiver's " + std::to_string(result.ClockCount) +
                " clock times (sampled half a UI after each): " +
                RunReport::EyeLine(result.Eye, r.SamplesPerBit, true) + "\n";
        text += "            at the best fixed latency: " + RunReport::EyeLine(result.FixedEye, r.SamplesPerBit) + "\n";
    } else {
        text += "eye         " + RunReport::EyeLine(result.Eye, r.SamplesPerBit) + "\n";
    }
    if (result.Eye.Valid && result.Eye.Height > 0.0)
        text += "            " + Printed("%.3f", result.RelativeEye) + " of the steady swing at the eye\n";
    text += "BER         " + RunReport::BerLine(result.Ber, study.Config().Random) + "\n";
    text += "steady      " + Printed("%.4g", result.SteadyLevel) + ": the model's output for a unit step, after " +
            std::to_string(study.WindowBits()) + " bits\n";
    for (const std::string& warning : warnings)
        text += "warning     " + warning + "\n";
    const std::size_t rows = result.Received.size();
    const std::size_t total = study.Drive.TotalSamples();
    const std::string wave = rows == 0 ? std::string()
                                       : dir + "wave.csv" +
                                             (rows < total ? " (first " + std::to_string(rows) + " samples)"
                                                           : std::string()) +
                                             ", ";
    text += "wrote       " + wave + dir + "step.csv, " + dir + "eye.svg, " + dir + "step.svg, " + dir +
            "bathtub.svg, " + dir + "bathtub.csv, " + dir + "summary.json, " + dir + "index.html\n";
    return text;
}

} // namespace

CommandReport RunOutput::Compose(const Study& study, const SimulationResult& result)
{
    const SimulationConfig config = study.Config();
    const std::string title = StudyText::Title(study.Ami.RootName, study.Parameters);
    EyePlot::Frame frame;
    frame.Title = "Eye at the receiver: " + title;
    frame.Subtitle = StudyText::Conditions(study);
    CommandReport report;
    if (!result.Received.empty())
        report.Files.emplace_back("wave.csv", RunReport::WaveCsv(config, result));
    const std::vector<std::pair<std::string, std::string>> files = {
        {"step.csv", RunReport::StepCsv(config, result)},
        {"eye.svg", EyePlot::Svg(result.Density, result.Eye, result.Ber, frame)},
        {"step.svg", RunReport::StepSvg(config, result, "Unit step and pulse responses: " + title, frame.Subtitle)},
        {"bathtub.svg", BathtubPlot::Svg({{"", result.Ber}}, "Bathtub at the receiver: " + title, frame.Subtitle)},
        {"bathtub.csv", RunReport::BathtubCsv(result.Ber)}};
    report.Files.insert(report.Files.end(), files.begin(), files.end());
    report.Warnings = study.Warnings;
    for (std::string& warning : StudyText::ChannelWarnings(study))
        report.Warnings.push_back(std::move(warning));
    for (std::string warning : {StudyText::WindowWarning(study.Parameters, study.WindowBits(), result.Settled),
                                StudyText::FewBitsWarning(study.Parameters, result)})
        if (!warning.empty())
            report.Warnings.push_back(std::move(warning));
    const std::string level = StudyText::LevelWarning(study.Parameters, result.SteadyLevel,
                                                      SettingLevels::Own(result.SteadyLevel));
    if (!level.empty())
        report.Warnings.push_back(level);
    report.Text = StudyText::Setting(study) + Results(study, result, report.Warnings);
    report.Files.emplace_back("summary.json", SummaryJson::Run(study, result, report));
    report.Files.emplace_back("index.html", ReportPage::Run(study, result, report));
    return report;
}
