#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "ibis/Finding.h"

// The report of a check as text: the findings numbered from 1, each
// "  N  LEVEL  FILE:LINE: what"; after the first ShownPerRule findings of
// one rule, its further findings are counted on one line instead of listed
// (so that one rule's noise hides no other rule's first findings); then
// the counts per level and "Passed", or "Failed" when any finding is an
// Error or a Program Bug. The counts include every finding, listed or not.
class IbisReport {
public:
    static constexpr std::size_t ShownPerRule = 10;

    static std::string Text(const std::vector<Finding>& findings, std::size_t shownPerRule = ShownPerRule);

    // The listing alone: each finding "N  LEVEL  text" with N right-aligned
    // in `width` columns, numbered on from `number` (advanced past every
    // finding, listed or counted), then one line per rule with findings
    // past its first `shownPerRule`. Shared by every report of findings.
    static std::string Listing(const std::vector<Finding>& findings, std::size_t& number, int width,
                               std::size_t shownPerRule = ShownPerRule);

    // "findings: 0 ERROR, 1 WARNING, 0 CAUTION, 2 NOTE, 0 PROGRAM BUG".
    static std::string Counts(const std::vector<Finding>& findings);

    static bool Failed(const std::vector<Finding>& findings);
};
