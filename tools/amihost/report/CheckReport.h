#pragma once

#include <string>

#include "tools/amihost/check/KitCheckReport.h"

// What `amihost check` prints of a KitCheckReport:
//
//   PASS  ibis-rules             the rules simulators' IBIS readers enforce ...
//   [Model] Halvex_tx
//   FAIL  executable-files       1 of 4 files missing
//           1  ERROR        kit/m.ibs:102: Windows_VisualStudio_64 library m.dll is missing (...)
//   ...
//   findings: 1 ERROR, 0 WARNING, 0 CAUTION, 0 NOTE, 0 PROGRAM BUG
//   Failed
//
// One line per item (its status, name and summary), each item's findings
// below it, numbered from 1 through the whole report (past the first
// IbisReport::ShownPerRule findings of one rule in an item, the rest are
// counted on one line instead of listed), an item's heading
// (the model it begins) on a line of its own before it; then the count of
// findings per level and "Passed", or "Failed" when there is an ERROR or a
// PROGRAM BUG.
class CheckReport {
public:
    static std::string Text(const KitCheckReport& report);
};
