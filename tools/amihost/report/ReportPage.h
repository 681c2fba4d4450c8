#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tools/amihost/host/Simulation.h"
#include "tools/amihost/host/Study.h"
#include "tools/amihost/report/CommandReport.h"
#include "tools/amihost/report/SweepReport.h"

// index.html of `amihost run` and `amihost sweep` (HtmlPage): the title and
// the conditions, the best setting and why (sweep), the warnings, the
// inputs, the table of figures (one row per setting; run's one row), the
// plots inline and links to every file. The plots are taken from `report`,
// the command's report as composed so far (its files by name, its warnings);
// index.html is the last file the command adds.
class ReportPage {
public:
    static std::string Run(const Study& study, const SimulationResult& result, const CommandReport& report);

    static std::string Sweep(const Study& study, const std::string& key, const std::vector<SweepReport::Row>& rows,
                             std::size_t best, const CommandReport& report);
};
