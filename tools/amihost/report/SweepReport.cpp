#include "tools/amihost/report/SweepReport.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "tools/amihost/report/RunReport.h"

namespace {

constexpr auto Format = &RunReport::Format;

std::string Safe(const std::string& text)
{
    std::string safe = text;
    for (char& c : safe)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_'))
            c = '_';
    return safe;
}

// Whether value `a` is the lower setting: numerically where both are
// numbers, else never (sweep order stands).
bool Lower(const std::string& a, const std::string& b)
{
    char* endA = nullptr;
    char* endB = nullptr;
    const double x = std::strtod(a.c_str(), &endA);
    const double y = std::strtod(b.c_str(), &endB);
    const bool numbers = !a.empty() && !b.empty() && *endA == '\0' && *endB == '\0';
    return numbers && x < y;
}

} // namespace

std::size_t SweepReport::Best(const std::vector<Row>& rows)
{
    std::vector<double> score(rows.size(), 0.0);
    double top = 0.0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& r = rows[i];
        const bool useBer = r.Ber.Valid;
        const double height = useBer ? r.Ber.Height : r.Eye.Height;
        const double width = useBer ? r.Ber.Width : r.Eye.Width;
        if (!r.Eye.Valid || !r.Warning.empty() || !(height > 0.0) || !(width > 0.0))
            continue;
        score[i] = height * width;
        top = std::max(top, score[i]);
    }
    if (!(top > 0.0))
        return rows.size();
    std::size_t best = rows.size();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!(score[i] >= top * (1.0 - NearTie)))
            continue;
        if (best == rows.size() || Lower(rows[i].Value, rows[best].Value))
            best = i;
    }
    return best;
}

const char* SweepReport::BestRule()
{
    return "the largest eye at the target BER, height (V) times width (UI); within 2 % of that, the lowest value "
           "(the least boost); never a setting with a warning";
}

std::string SweepReport::Csv(const std::vector<Row>& rows, std::size_t best)
{
    std::string table = "setting,deemphasis_db,eye_height,eye_height_over_swing,eye_width_ui,best,"
                        "target_ber,eye_height_at_ber,eye_width_at_ber_ui,steady_level,level_warning\n";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const BerResult& ber = rows[i].Ber;
        char line[340];
        std::snprintf(line, sizeof line, "%s,%.6g,%.6g,%.6g,%.6g,%d,%.3g,%.6g,%.6g,%.6g,%d\n", rows[i].Value.c_str(),
                      rows[i].DeemphasisDb, rows[i].Eye.Valid ? rows[i].Eye.Height : std::nan(""), rows[i].RelativeEye,
                      rows[i].Eye.Width, i == best ? 1 : 0, ber.TargetBer, ber.Valid ? ber.Height : std::nan(""),
                      ber.Valid ? ber.Width : std::nan(""), rows[i].SteadyLevel, rows[i].Warning.empty() ? 0 : 1);
        table += line;
    }
    return table;
}

std::string SweepReport::Table(const std::string& key, const std::vector<Row>& rows, std::size_t best)
{
    const int width = static_cast<int>(std::max<std::size_t>(key.size(), 7));
    const std::string target = Format("%g", rows.empty() ? 1e-12 : rows[0].Ber.TargetBer);
    char line[400];
    std::snprintf(line, sizeof line,
                  "%*s  de-emphasis (dB)  eye height (V)  eye / swing  eye width (UI)  %15s  %15s  steady level\n",
                  width + 2, key.c_str(), ("height at " + target).c_str(), ("width at " + target).c_str());
    std::string table = line;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const EyeResult& e = rows[i].Eye;
        const BerResult& b = rows[i].Ber;
        const bool open = e.Valid && e.Height > 0.0;
        std::snprintf(line, sizeof line, "%*s %c  %16s  %14s  %11s  %14s  %15s  %15s  %12s%s\n", width,
                      rows[i].Value.c_str(), i == best ? '*' : ' ', RunReport::Decibels(rows[i].DeemphasisDb).c_str(),
                      !e.Valid ? "n/a" : open ? Format("%.4f", e.Height).c_str() : "closed",
                      open ? Format("%.3f", rows[i].RelativeEye).c_str() : "-",
                      !e.Valid ? "n/a" : Format("%.3f", e.Width).c_str(),
                      !b.Valid ? "n/a" : b.Height > 0.0 ? Format("%.4f", b.Height).c_str() : "closed",
                      !b.Valid ? "n/a" : Format("%.3f", b.Width).c_str(), Format("%.4g", rows[i].SteadyLevel).c_str(),
                      rows[i].Warning.empty() ? "" : " !");
        table += line;
    }
    if (best < rows.size())
        table += "\n* best for this channel: " + key + "=" + rows[best].Value +
                 " (" + BestRule() + ")\n";
    else if (std::any_of(rows.begin(), rows.end(), [](const Row& r) { return r.Eye.Valid && r.Eye.Height > 0.0; }))
        table += "\nno setting without a warning (!) opens the eye on this channel\n";
    else
        table += "\nno setting opens the eye on this channel\n";
    for (const Row& row : rows)
        if (!row.Warning.empty())
            table += "! " + key + "=" + row.Value + ": steady level " + Format("%.4g", row.SteadyLevel) +
                     " for a unit step, " + row.Warning + ": this setting misbehaves at this timing\n";
    return table;
}

std::string SweepReport::EyeFileName(const std::string& key, const std::string& value)
{
    return "eye_" + Safe(key) + "_" + Safe(value) + ".svg";
}

std::string SweepReport::EyeFilePattern(const std::string& key) { return "eye_" + Safe(key) + "_<value>.svg"; }

std::string SweepReport::BathtubFileName(const std::string& key, const std::string& value)
{
    return "bathtub_" + Safe(key) + "_" + Safe(value) + ".svg";
}

std::string SweepReport::BathtubFilePattern(const std::string& key) { return "bathtub_" + Safe(key) + "_<value>.svg"; }
