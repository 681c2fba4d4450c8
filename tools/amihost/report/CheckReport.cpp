#include "tools/amihost/report/CheckReport.h"

#include <array>
#include <cstdio>

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
        // Numbered across the items; past the first few findings of one
        // rule, the rest of that rule's in this item are counted on one line
        // (so that one rule's noise buries no other rule's findings); the
        // totals below count them all.
        text += IbisReport::Listing(item.Findings, number, 9);
    }
    const std::array<std::size_t, Finding::Levels> counts = report.Counts();
    text += "\nfindings:";
    for (int level = 0; level < Finding::Levels; ++level)
        text += (level ? ", " : " ") + std::to_string(counts[level]) + " " +
                Finding::Name(static_cast<Finding::Level>(level));
    text += report.Failed() ? "\nFailed\n" : "\nPassed\n";
    return text;
}
