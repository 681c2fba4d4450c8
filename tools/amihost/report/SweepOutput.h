#pragma once

#include <string>
#include <vector>

#include "tools/amihost/host/Simulation.h"
#include "tools/amihost/host/Study.h"
#include "tools/amihost/report/CommandReport.h"
#include "tools/amihost/eye/EyeDensity.h"
#include "tools/amihost/plot/ResponsePlot.h"
#include "tools/amihost/report/SweepReport.h"

// What `amihost sweep` reports: steps.svg, sweep.csv, one eye and one
// bathtub per setting (on one level scale unless --own-eye-scale; settings
// far outside the others on their own, CommonScale), bathtubs.svg, then
// sweep.json (SummaryJson) and index.html (ReportPage); the
// printed report (the study's setting, the table, the files); one warning
// per setting whose steady level misbehaves (SettingLevels).
class SweepOutput {
public:
    // What the report needs of one setting, kept while the sweep runs so
    // that its waves need not be.
    struct Point {
        SweepReport::Row Row;
        EyeDensity Density;
        ResponsePlot::Curve Step;
        bool Settled = true;          // SimulationResult::Settled
        std::string FewBits;          // StudyText::FewBitsWarning; empty with enough bits
    };

    // Setting key=value's point, from its result (its step response is moved out).
    static Point Keep(const std::string& key, const std::string& value, SimulationResult& result);

    static CommandReport Compose(const Study& study, const std::string& key, std::vector<Point>& points);
};
