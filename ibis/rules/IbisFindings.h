#pragma once

#include <string>
#include <vector>

#include "ibis/Finding.h"

// The findings of one file as the rules add them, each at a line of the file
// (0: the file as a whole) and under the name of the rule that found it.
// Nothing is capped here: a report may summarise the repeats of one rule,
// never drop them.
class IbisFindings {
public:
    explicit IbisFindings(const std::string& path) : path_(path) {}

    void Add(Finding::Level level, const char* rule, int line, const std::string& what)
    {
        list_.push_back({level, line > 0 ? path_ + ":" + std::to_string(line) : path_, what, rule});
    }
    void Error(const char* rule, int line, const std::string& what) { Add(Finding::Error, rule, line, what); }
    void Warning(const char* rule, int line, const std::string& what) { Add(Finding::Warning, rule, line, what); }

    std::vector<Finding> Take() { return std::move(list_); }

private:
    const std::string& path_; // owned by the caller, outlives this
    std::vector<Finding> list_;
};
