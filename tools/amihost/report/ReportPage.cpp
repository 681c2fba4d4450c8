#include "tools/amihost/report/ReportPage.h"

#include <charconv>
#include <cmath>

#include "tools/amihost/plot/HtmlPage.h"
#include "tools/amihost/report/RunReport.h"
#include "tools/amihost/report/StudyText.h"
#include "tools/amihost/report/SummaryJson.h"

namespace {

using Cell = HtmlPage::Cell;
constexpr auto Format = &RunReport::Format;

// The report's opening lines ("channel     lossy line ...") as (what, value),
// and the parameter string.
std::vector<std::pair<std::string, std::string>> Inputs(const Study& study)
{
    std::vector<std::pair<std::string, std::string>> facts;
    const std::string text = StudyText::Setting(study);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        const std::size_t gap = line.find(' ');
        const std::size_t value = line.find_first_not_of(' ', gap);
        if (gap != std::string::npos && value != std::string::npos)
            facts.emplace_back(line.substr(0, gap), line.substr(value));
        start = end + 1;
    }
    facts.emplace_back("parameters", study.Parameters);
    return facts;
}

Cell Figure(bool shown, const char* format, double value, const char* otherwise)
{
    return shown && std::isfinite(value) ? Cell{Format(format, value), value} : Cell{otherwise, std::nan("")};
}

// A setting's value sorts as a number when it is one.
Cell Setting(const std::string& label, const std::string& value)
{
    double number = 0.0;
    const char* end = value.data() + value.size();
    const std::from_chars_result r = std::from_chars(value.data(), end, number);
    return {label, r.ec == std::errc() && r.ptr == end ? number : std::nan("")};
}

std::vector<std::string> Head(const std::string& target)
{
    return {"setting", "de-emphasis (dB)", "eye height (V)", "eye / swing", "eye width (UI)",
            "height at " + target + " (V)", "width at " + target + " (UI)", "steady level", "note"};
}

// An eye's height, or why there is none; a closed eye sorts below every open one.
Cell Height(bool measured, double height)
{
    if (!measured)
        return {"n/a", -1e300};
    return height > 0.0 ? Cell{Format("%.4f", height), height} : Cell{"closed", height};
}

// The printed table's figures, as numbers that sort.
std::vector<Cell> Cells(const Cell& setting, const SweepReport::Row& row, bool best)
{
    const EyeResult& e = row.Eye;
    const BerResult& b = row.Ber;
    const bool open = e.Valid && e.Height > 0.0;
    return {setting,
            Figure(true, "%.2f", row.DeemphasisDb, "n/a"),
            Height(e.Valid, e.Height),
            Figure(open, "%.3f", row.RelativeEye, "-"),
            Figure(e.Valid, "%.3f", e.Width, "n/a"),
            Height(b.Valid, b.Height),
            Figure(b.Valid, "%.3f", b.Width, "n/a"),
            Figure(true, "%.4g", row.SteadyLevel, "n/a"),
            {best ? "best" : row.Warning.empty() ? "" : "warning: " + row.Warning, std::nan("")}};
}

// The plot of file `name` among the report's files; empty when there is none.
HtmlPage::Figure Plot(const CommandReport& report, const std::string& name, const std::string& caption)
{
    for (const CommandReport::File& file : report.Files)
        if (file.first == name)
            return {caption + " (" + name + ")", file.second};
    return {};
}

void AddFigures(HtmlPage& page, std::vector<HtmlPage::Figure> figures, bool wide)
{
    std::vector<HtmlPage::Figure> present;
    for (HtmlPage::Figure& figure : figures)
        if (!figure.Svg.empty())
            present.push_back(std::move(figure));
    if (!present.empty())
        page.Figures(present, wide);
}

void Finish(HtmlPage& page, const CommandReport& report)
{
    std::vector<std::string> names;
    for (const CommandReport::File& file : report.Files)
        names.push_back(file.first);
    names.push_back("index.html");
    page.Heading("Files");
    page.Files(names);
    page.Paragraph(std::string("written by amihost ") + SummaryJson::Version());
}

} // namespace

std::string ReportPage::Run(const Study& study, const SimulationResult& result, const CommandReport& report)
{
    const std::string title = StudyText::Title(study.Ami.RootName, study.Parameters);
    HtmlPage page("amihost run: " + title, StudyText::Conditions(study));
    page.Warnings(report.Warnings);
    page.Heading("Figures");
    const SweepReport::Row row{title, result.DeemphasisDb, result.Eye, result.RelativeEye, result.SteadyLevel,
                               std::string(), result.Ber};
    page.Table(Head(Format("%g", result.Ber.TargetBer)), {Cells({title, std::nan("")}, row, false)}, 1, {});
    if (result.Clocked())
        page.Paragraph("The eye is read at the receiver's " + std::to_string(result.ClockCount) +
                       " clock times; at the best fixed latency: " +
                       RunReport::EyeLine(result.FixedEye, study.Request().SamplesPerBit) + ".");
    page.Heading("Inputs");
    page.Facts(Inputs(study));
    page.Heading("Plots");
    AddFigures(page, {Plot(report, "eye.svg", "Eye at the receiver"), Plot(report, "bathtub.svg", "Bathtub"),
                      Plot(report, "step.svg", "Step and pulse responses")},
               false);
    Finish(page, report);
    return page.Finish();
}

std::string ReportPage::Sweep(const Study& study, const std::string& key, const std::vector<SweepReport::Row>& rows,
                              std::size_t best, const CommandReport& report)
{
    HtmlPage page("amihost sweep: " + study.Ami.RootName + ", every " + key, StudyText::Conditions(study));
    if (best < rows.size())
        page.Paragraph("Best for this channel: " + key + "=" + rows[best].Value + ": the eye at BER " +
                       Format("%g", rows[best].Ber.TargetBer) + " is " +
                       Format("%.4f", rows[best].Ber.Valid ? rows[best].Ber.Height : rows[best].Eye.Height) +
                       " V high and " +
                       Format("%.3f", rows[best].Ber.Valid ? rows[best].Ber.Width : rows[best].Eye.Width) +
                       " UI wide. The rule: " + SweepReport::BestRule() + ".");
    else
        page.Paragraph("No setting without a warning opens the eye on this channel.");
    page.Warnings(report.Warnings);
    page.Heading("Settings (click a heading to sort)");
    std::vector<std::vector<Cell>> cells;
    std::vector<bool> warned;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        cells.push_back(Cells(Setting(key + "=" + rows[i].Value, rows[i].Value), rows[i], i == best));
        warned.push_back(!rows[i].Warning.empty());
    }
    page.Table(Head(Format("%g", rows.empty() ? study.Request().TargetBer : rows[0].Ber.TargetBer)), cells, best,
               warned);
    page.Heading("Inputs");
    page.Facts(Inputs(study));
    page.Heading("Step responses and bathtubs");
    AddFigures(page, {Plot(report, "steps.svg", "Step responses at the eye, every " + key),
                      Plot(report, "bathtubs.svg", "Bathtubs, every " + key)},
               true);
    std::vector<HtmlPage::Figure> eyes;
    std::vector<HtmlPage::Figure> bathtubs;
    for (const SweepReport::Row& row : rows) {
        eyes.push_back(Plot(report, SweepReport::EyeFileName(key, row.Value), "Eye, " + key + "=" + row.Value));
        bathtubs.push_back(
            Plot(report, SweepReport::BathtubFileName(key, row.Value), "Bathtub, " + key + "=" + row.Value));
    }
    page.Heading("Eyes");
    AddFigures(page, std::move(eyes), false);
    page.Heading("Bathtubs");
    AddFigures(page, std::move(bathtubs), false);
    Finish(page, report);
    return page.Finish();
}
