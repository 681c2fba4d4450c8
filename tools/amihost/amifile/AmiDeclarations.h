#pragma once

#include <string>
#include <vector>

#include "tools/amihost/amifile/AmiNode.h"

// Every parameter an .ami file declares, whatever its usage, with the line
// of its group: the names a simulator shows its user and sends to the model.
// Below Reserved_Parameters every entry is a reserved parameter; elsewhere a
// parameter is a group that AmiDefinitionReader takes for a definition, and
// the groups around it make up its path. Reserved_Parameters and
// Model_Specific themselves are left out of the paths, as they are of the
// parameter string, so that one path names one value in it.
class AmiDeclarations {
public:
    struct Entry {
        std::string Path;      // dotted: "de", "tx_taps.-1", "GetWave_Exists"
        std::string Name;      // the last part of Path
        int Line = 0;          // 1-based line of the group's "("
        bool Reserved = false; // declared below Reserved_Parameters
    };

    // The declarations below `root` (AmiGrammar's tree), in file order.
    static std::vector<Entry> Collect(const AmiNode& root);
};
