#include "tools/amihost/report/CheckReport.h"

#include <array>
#include <cstdio>

std::string CheckReport::Text(const KitCheckReport& report)
{
    std::string text;
    std::size_t number = 0;
    char line[128];
    for (const KitCheckItem& item : report.Items) {
        if (!item.Heading.empty())
            text += item.Heading + "\n";
        if (item.Summary.empty())
            std::snprintf(line, sizeof line, "%-4s  %s", item.Status(), item.Name.c_str());
        else
            std::snprintf(line, sizeof line, "%-4s  %-21s  ", item.Status(), item.Name.c_str());
        text += line + item.Summary + "\n";
        for (const Finding& finding : item.Findings) {
            std::snprintf(line, sizeof line, "      %3zu  %-11s  ", ++number, Finding::Name(finding.Severity));
            text += line + finding.Text() + "\n";
        }
    }
    const std::array<std::size_t, Finding::Levels> counts = report.Counts();
    text += "\nfindings:";
    for (int level = 0; level < Finding::Levels; ++level)
        text += (level ? ", " : " ") + std::to_string(counts[level]) + " " +
                Finding::Name(static_cast<Finding::Level>(level));
    text += report.Failed() ? "\nFailed\n" : "\nPassed\n";
    return text;
}
