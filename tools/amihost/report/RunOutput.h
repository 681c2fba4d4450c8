#pragma once

#include "tools/amihost/host/Simulation.h"
#include "tools/amihost/host/Study.h"
#include "tools/amihost/report/CommandReport.h"

// What `amihost run` reports of one simulated setting: wave.csv, step.csv,
// eye.svg, step.svg, bathtub.svg, bathtub.csv, summary.json (SummaryJson)
// and index.html (ReportPage), in this order; the printed report (the study's
// setting, the parameters, what AMI_Init said, de-emphasis, eye, BER, the
// steady level and the files); the steady level's warning (SettingLevels).
class RunOutput {
public:
    static CommandReport Compose(const Study& study, const SimulationResult& result);
};
