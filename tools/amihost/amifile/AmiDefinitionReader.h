#pragma once

#include <map>
#include <string>
#include <vector>

#include "params/AmiTree.h"
#include "tools/amihost/amifile/AmiParameterDefinition.h"

// Reads parameter definitions out of a parsed .ami tree.
//
// A definition is a group that holds a (Usage ...) or (Type ...) leaf; any
// other group is a group of definitions, whose name becomes part of the
// parameters' paths. Definitions of Out and Info parameters are not kept
// (simulators do not send them), but still need a Usage. A sent parameter
// needs one Type and one format of AmiParameterDefinition's forms, whose
// values are all of its type and whose default fits; tables and the jitter
// formats are refused for it. Every fault is one line "FILE:LINE: what",
// the line of the record from the parser's own line table.
class AmiDefinitionReader {
public:
    // `lines`: the line of every record of the tree (both the caller's; they
    // outlive the reader).
    AmiDefinitionReader(const std::string& fileName, const std::map<const void*, int>& lines)
        : fileName_(fileName), lines_(lines)
    {
    }

    // Collects the definitions below `branch` (a group of definitions) into `out`.
    bool Collect(const AmiBranch& branch, std::vector<AmiParameterDefinition>& out, std::string& error);

    // Collects `child`: a definition, or a group of them.
    bool CollectChild(const AmiBranch& child, std::vector<AmiParameterDefinition>& out, std::string& error);

    // A group that holds a (Usage ...) or (Type ...) leaf: a definition.
    static bool IsDefinition(const AmiBranch& branch);

    // The record of an entry of the kind asked for, else null.
    static const AmiLeaf* LeafOf(const AmiTreeEntry& entry);
    static const AmiBranch* BranchOf(const AmiTreeEntry& entry);

private:
    // The leaves of one definition that say what it is.
    struct Leaves {
        const AmiLeaf* Usage = nullptr;
        const AmiLeaf* Type = nullptr;
        const AmiLeaf* Format = nullptr;  // (Format word ...) or (word ...)
        const AmiLeaf* Default = nullptr;
    };

    bool Read(const AmiBranch& branch, AmiParameterDefinition& d, std::string& error);
    bool Gather(const AmiBranch& branch, const std::string& name, Leaves& leaves, std::string& error);
    // A leaf of one reserved word: (Usage In), (Type Float).
    struct Word {
        const char* Name;                   // "Usage"
        const char* Choices;                // "In|Out|InOut|Info", for messages
        bool (*Accepts)(AmiValueKeyword);   // the words of its group
    };

    bool ReadWord(const AmiBranch& branch, const AmiLeaf* leaf, const Word& word, const AmiParameterDefinition& d,
                  AmiValueKeyword& value, std::string& error);
    bool ReadFormat(const AmiBranch& branch, const Leaves& leaves, AmiParameterDefinition& d, std::string& error);
    bool CheckValues(const AmiLeaf& format, const AmiParameterDefinition& d, std::string& error);
    bool ReadDefault(const Leaves& leaves, AmiParameterDefinition& d, std::string& error);

    int LineOf(const void* record) const;
    // "FILE:LINE: parameter PATH" for the record's line.
    std::string Where(const void* record, const AmiParameterDefinition& d) const;

    const std::string& fileName_;
    const std::map<const void*, int>& lines_;
    std::vector<std::string> path_; // of the group being read, Model_Specific left out
};
