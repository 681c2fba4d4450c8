#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tools/amihost/host/Simulation.h"
#include "tools/amihost/host/Study.h"
#include "tools/amihost/report/CommandReport.h"
#include "tools/amihost/report/SweepReport.h"

// summary.json of `amihost run` and sweep.json of `amihost sweep`: every
// figure that the command prints, as JSON numbers, with the inputs, the
// warnings, the files and the tool's version, for scripts and records.
//
// One spelling throughout: keys in snake_case, a figure's unit as the key's
// last part, as SI writes it ("bit_time_s", "height_V", "width_UI",
// "deemphasis_dB", "sj_freq_Hz"); a key without a unit is a ratio or a
// count. Levels are in the stimulus's units (V for the NRZ stimulus). A
// figure that is undefined (NaN: no de-emphasis, an eye not measured) is
// null; an absent option is null. Text that is not UTF-8 (a path, a
// model's message) is written with U+FFFD in place of the bad bytes.
class SummaryJson {
public:
    // summary.json of one run; `report` is the run's report as composed so
    // far: its files (then summary.json and index.html, which follow) and
    // its warnings.
    static std::string Run(const Study& study, const SimulationResult& result, const CommandReport& report);

    // sweep.json: the swept `key`, one entry per row (the table's figures and
    // the bathtub), the best row (rows.size(): none) and why; `report` as above.
    static std::string Sweep(const Study& study, const std::string& key, const std::vector<SweepReport::Row>& rows,
                             std::size_t best, const CommandReport& report);

    // The tool's version, as --version prints it.
    static const char* Version();
};
