#include "tools/amihost/report/IvReport.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <map>
#include <optional>

namespace {

const std::optional<double>& At(const IbisCorners<double>& current, IvReport::Corner corner)
{
    return corner == IvReport::Typ ? current.Typ : corner == IvReport::Min ? current.Min : current.Max;
}

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

} // namespace

const char* IvReport::Name(Corner corner)
{
    static const char* const names[] = {"typ", "min", "max"};
    return names[corner];
}

std::string IvReport::Csv(const IbisModel& model, Corner corner)
{
    const IbisIvTable* const tables[] = {&model.Pulldown, &model.Pullup, &model.GndClamp, &model.PowerClamp};
    constexpr std::size_t Tables = sizeof tables / sizeof tables[0];
    // Voltage -> per table, its currents at that voltage in file order.
    std::map<double, std::array<std::vector<std::optional<double>>, Tables>> points;
    for (std::size_t t = 0; t < Tables; ++t)
        for (const IbisIvRow& row : tables[t]->Rows)
            points[row.Voltage][t].push_back(At(row.Current, corner));
    std::string csv = "# I-V tables of [Model] " + model.Name + ", " + Name(corner) +
                      " corner: currents into the pin (A) against the voltage (V)\n"
                      "# [Pullup] and [POWER Clamp] voltages are the rail minus the pin voltage, as IBIS writes "
                      "them; an empty cell: no point there, or NA\n"
                      "voltage_V,pulldown_A,pullup_A,gnd_clamp_A,power_clamp_A\n";
    for (const auto& [voltage, currents] : points) {
        std::size_t repeats = 0;
        for (const auto& list : currents)
            repeats = std::max(repeats, list.size());
        for (std::size_t r = 0; r < repeats; ++r) {
            csv += Number(voltage);
            for (const auto& list : currents)
                csv += "," + (r < list.size() && list[r] ? Number(*list[r]) : std::string());
            csv += "\n";
        }
    }
    return csv;
}

std::string IvReport::FileName(const std::string& model, Corner corner)
{
    std::string name = model;
    for (char& c : name)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_'))
            c = '_';
    return name + "_" + Name(corner) + ".csv";
}
