#pragma once

#include <string>

// The keywords of IBIS (.ibs, .pkg and .ebd files) and the version of IBIS
// that introduced each, as MAJOR * 100 + MINOR (2.1 is 201). Names are in
// the form IbisSyntax::KeywordName gives ("gnd clamp"). A keyword is known
// to a file whose [IBIS Ver] is at least its Since.
//
// Where the version of introduction is uncertain between two releases, the
// table holds the earlier one, so that no valid file is refused for a
// keyword its version has; the cost is a missed finding on a file that
// claims a version one release too old.
class IbisKeywords {
public:
    struct Info {
        const char* Name;
        int Since;
    };

    // The keyword called `name`, or null when no version of IBIS has it.
    static const Info* Find(const std::string& name);

    // "5.0" for 500.
    static std::string VersionText(int version);
};
