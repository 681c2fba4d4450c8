#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tools/amihost/host/HostRequest.h"

namespace CLI {
class App;
}

// Every option of amihost, declared once: its value, range, default and
// help. Parsing (CLI11), --help, the messages for bad values and the option
// table of docs/amihost.md all come from this one table; each range's text
// is made from the bounds its validator checks, each list of words from
// Spellings.
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

    // What the parser holds as given until the request is complete: the
    // texts that need the other options or the .ami file, the words that
    // become enumerators, and the values whose absence means something.
    struct Given {
        std::vector<std::string> Settings;   // --set NAME=VALUE (form checked)
        std::vector<std::string> Sweeps;     // --param
        std::vector<std::string> RxSettings; // --rx-set
        std::string Stimulus;                // --stimulus, one of its spellings
        std::string PairOrder;               // --s4p-order, likewise
        double LossDb = 0.0;
        double TxR = 0.0;
        double RxR = 0.0;
        std::size_t SkipBits = 0;
        unsigned Jobs = 0;
    };

    // Declares every option on `app`, writing into `request` where a value
    // is final as given and into `given` otherwise. Returns the rows in the
    // order of declaration.
    static std::vector<Row> Declare(CLI::App& app, HostRequest& request, Given& given);

    // "1e-13 .. 1e-06": the range text of a real validator's bounds.
    static std::string RealRange(double low, double high);

    // "prbs7, prbs15 or step": the range text of a list of words.
    static std::string WordRange(const std::vector<std::string>& words);

    // The option table of docs/amihost.md (Markdown), one row per option.
    static std::string Markdown();
};
