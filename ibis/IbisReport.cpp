#include "ibis/IbisReport.h"

#include <array>
#include <cstdio>
#include <map>

std::string IbisReport::Listing(const std::vector<Finding>& findings, std::size_t& number, int width,
                                std::size_t shownPerRule)
{
    std::string text;
    std::map<std::string, std::size_t> perRule; // findings of each rule so far
    std::map<std::string, std::size_t> hidden;  // of those, not listed
    char head[96];
    for (const Finding& f : findings) {
        ++number;
        if (!f.Rule.empty() && ++perRule[f.Rule] > shownPerRule) {
            ++hidden[f.Rule];
            continue;
        }
        std::snprintf(head, sizeof head, "%*zu  %-11s  ", width, number, Finding::Name(f.Severity));
        text += head + f.Text() + "\n";
    }
    for (const auto& [rule, count] : hidden)
        text += std::string(static_cast<std::size_t>(width) + 2, ' ') + "and " + std::to_string(count) +
                " more of rule " + rule + " (" + std::to_string(perRule[rule]) + " in all), not listed\n";
    return text;
}

std::string IbisReport::Text(const std::vector<Finding>& findings, std::size_t shownPerRule)
{
    std::size_t number = 0;
    return Listing(findings, number, 5, shownPerRule) + Counts(findings) + "\n" +
           (Failed(findings) ? "Failed" : "Passed") + "\n";
}

std::string IbisReport::Counts(const std::vector<Finding>& findings)
{
    std::array<std::size_t, Finding::Levels> counts{};
    for (const Finding& f : findings)
        ++counts[static_cast<std::size_t>(f.Severity)];
    std::string text = "findings:";
    for (int level = 0; level < Finding::Levels; ++level)
        text += (level ? ", " : " ") + std::to_string(counts[static_cast<std::size_t>(level)]) + " " +
                Finding::Name(static_cast<Finding::Level>(level));
    return text;
}

bool IbisReport::Failed(const std::vector<Finding>& findings)
{
    for (const Finding& f : findings)
        if (f.Fails())
            return true;
    return false;
}
