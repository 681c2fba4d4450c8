#include "ibis/IbisIvCsv.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <map>
#include <optional>
#include <vector>

namespace {

const std::optional<double>& At(const IbisCorners<double>& current, IbisIvCsv::Corner corner)
{
    return corner == IbisIvCsv::Typ ? current.Typ : corner == IbisIvCsv::Min ? current.Min : current.Max;
}

bool IsNameCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
           c == '_';
}

} // namespace

const char* IbisIvCsv::Name(Corner corner)
{
    static const char* const names[] = {"typ", "min", "max"};
    return names[corner];
}

std::string IbisIvCsv::Number(double value)
{
    if (value == 0.0)
        return "0"; // -0 reads as 0 in every tool; "-0" only puzzles
    char text[32];
    const std::to_chars_result result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string IbisIvCsv::Csv(const IbisModel& model, Corner corner)
{
    const IbisIvTable* const tables[] = {&model.Pulldown, &model.Pullup, &model.GndClamp, &model.PowerClamp};
    constexpr std::size_t Tables = sizeof tables / sizeof tables[0];
    // Voltage -> per table, its currents at that voltage in file order.
    std::map<double, std::array<std::vector<std::optional<double>>, Tables>> points;
    for (std::size_t t = 0; t < Tables; ++t)
        for (const IbisIvRow& row : tables[t]->Rows)
            points[row.Voltage == 0.0 ? 0.0 : row.Voltage][t].push_back(At(row.Current, corner));
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

std::string IbisIvCsv::FileName(const std::string& model, Corner corner)
{
    std::string name = model;
    for (char& c : name)
        if (!IsNameCharacter(c))
            c = '_';
    return name + "_" + Name(corner) + ".csv";
}
