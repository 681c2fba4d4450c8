#pragma once

#include <string>
#include <vector>

#include "ibis/Finding.h"
#include "ibis/IbisFile.h"

// A check of one IBIS file (.ibs, .pkg or .ebd) as a user asks for it: the
// file read (a file that does not read is one Error at its line), the rules
// of its [IBIS Ver] (IbisRules), and for a component file the files its
// [Algorithmic Model]s name. A file without an [Algorithmic Model] gets a
// Note saying so and passes when its IBIS rules pass; deeper checks of the
// .ami files and the libraries are amihost's.
class IbisCheck {
public:
    struct Result {
        IbisFile File;      // empty when the file does not read
        bool Read = false;  // the file read
        std::vector<Finding> Findings;
    };

    static Result File(const std::string& path);

    // The files every Executable line of `file` names (library and .ami),
    // each an Error where it is missing; a Note when no model has an
    // [Algorithmic Model]. Only for component files (.ibs).
    static std::vector<Finding> AmiFiles(const IbisFile& file);
};
