#pragma once

#include <string>
#include <vector>

#include "tools/amihost/cli/HostOptions.h"

namespace CLI {
class App;
}

// Every option of amihost, declared once: its value, range, default and
// help. Parsing (CLI11), --help, the messages for bad values and the README's
// option table all come from this one table.
//
// Numbers must be whole tokens within their range; a bad value is refused
// with its reason ("\"12x\" is not a whole number", "0 is outside 1 ..
// 10000000"), which the parser prefixes with the option's name. Options
// that take their meaning from the .ami file (--set, --param) are checked
// for their form here and against the file's definitions later.
class OptionTable {
public:
    // One option as the table states it.
    struct Row {
        std::string Flag;    // "--bit-time"
        std::string Value;   // "S"; empty for a switch
        std::string Help;    // what it does
        std::string Range;   // "1e-13 .. 1e-06", "prbs7, prbs15, ..." or empty
        std::string Default; // as shown; empty when there is none
    };

    // Declares every option on `app`, writing into `options`; --set and
    // --param collect their raw texts in `settings` and `sweeps`. Returns
    // the rows in the order of declaration.
    static std::vector<Row> Declare(CLI::App& app, HostOptions& options, std::vector<std::string>& settings,
                                    std::vector<std::string>& sweeps);

    // The README's option table (Markdown), one row per option.
    static std::string Markdown();
};
