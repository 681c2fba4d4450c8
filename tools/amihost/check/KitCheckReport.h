#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "ibis/Finding.h"

// One check of `amihost check` on a kit: its name, a line saying what it
// found, and its findings.
struct KitCheckItem {
    std::string Heading;  // a line printed before the item (the model it starts on), or empty
    std::string Name;     // "executable-files", "block-independence", ...
    std::string Summary;  // one line: what was checked and found, or why it was skipped
    bool Skipped = false; // not run (Summary says why)
    std::vector<Finding> Findings;

    // "FAIL" with an Error or a ProgramBug, "WARN" with a Warning or a
    // Caution, "SKIP" when skipped, else "PASS".
    const char* Status() const;

    void Add(Finding::Level level, const std::string& where, const std::string& what)
    {
        Findings.push_back({level, where, what});
    }
};

// Everything `amihost check` found on a kit, in the order it is printed.
struct KitCheckReport {
    std::vector<KitCheckItem> Items;
    // A --set that does not fit a checked model's .ami file: the command
    // line's fault. When set, nothing else is reported.
    std::string UsageError;

    // Findings per level, indexed by Finding::Level.
    std::array<std::size_t, Finding::Levels> Counts() const;

    // An Error or a ProgramBug anywhere.
    bool Failed() const;

    // Adds an item called `name`, filled by `check`, and returns it (valid
    // until the next item is added). An exception from `check` (other than
    // running out of memory) is a fault of the checker: it becomes a
    // ProgramBug finding of the item.
    KitCheckItem& Run(const std::string& name, const std::function<void(KitCheckItem&)>& check);

    // Adds a skipped item.
    void Skip(const std::string& name, const std::string& why);
};
