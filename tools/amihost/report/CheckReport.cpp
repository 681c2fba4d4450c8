#include "tools/amihost/report/CheckReport.h"

#include <array>
#include <cstdio>
#include <map>

#include "ibis/IbisReport.h"

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
        // Past the first few findings of one rule, the rest of that rule's
        // in this item are counted on one line (so that one rule's noise
        // buries no other rule's findings); the totals below count them all.
        std::map<std::string, std::size_t> perRule, hidden;
        for (const Finding& finding : item.Findings) {
            ++number;
            if (!finding.Rule.empty() && ++perRule[finding.Rule] > IbisReport::ShownPerRule) {
                ++hidden[finding.Rule];
                continue;
            }
            std::snprintf(line, sizeof line, "      %3zu  %-11s  ", number, Finding::Name(finding.Severity));
            text += line + finding.Text() + "\n";
        }
        for (const auto& [rule, count] : hidden)
            text += "           and " + std::to_string(count) + " more of rule " + rule + " (" +
                    std::to_string(perRule[rule]) + " in all), not listed\n";
    }
    const std::array<std::size_t, Finding::Levels> counts = report.Counts();
    text += "\nfindings:";
    for (int level = 0; level < Finding::Levels; ++level)
        text += (level ? ", " : " ") + std::to_string(counts[level]) + " " +
                Finding::Name(static_cast<Finding::Level>(level));
    text += report.Failed() ? "\nFailed\n" : "\nPassed\n";
    return text;
}
