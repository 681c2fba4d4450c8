#pragma once

#include <string>
#include <vector>

#include "tools/amihost/amifile/AmiNode.h"
#include "tools/amihost/amifile/AmiParameterDefinition.h"

// Reads parameter definitions out of an .ami tree (AmiGrammar's).
//
// A definition is a group that holds a (Usage ...) or (Type ...) leaf; any
// other group is a group of definitions, whose name becomes part of the
// parameters' paths. Definitions of Out and Info parameters are not kept
// (simulators do not send them), but still need a Usage. A sent parameter
// needs one Type and one format of AmiParameterDefinition's forms, whose
// values are all of its type and whose default fits; tables and the jitter
// formats are refused for it. Every fault is one line "FILE:LINE: what",
// the line of the group at fault.
class AmiDefinitionReader {
public:
    // `fileName`: for messages (the caller's; it outlives the reader).
    explicit AmiDefinitionReader(const std::string& fileName) : fileName_(fileName) {}

    // Collects the definitions below `branch` (a group of definitions) into `out`.
    bool Collect(const AmiNode& branch, std::vector<AmiParameterDefinition>& out, std::string& error);

    // Collects `child`: a definition, or a group of them.
    bool CollectChild(const AmiNode& child, std::vector<AmiParameterDefinition>& out, std::string& error);

    // A group that holds a (Usage ...) or (Type ...) leaf: a definition.
    static bool IsDefinition(const AmiNode& branch);

    // `node` when it is of the kind asked for, else null.
    static const AmiNode* LeafOf(const AmiNode& node) { return node.IsLeaf() ? &node : nullptr; }
    static const AmiNode* BranchOf(const AmiNode& node) { return node.IsBranch() ? &node : nullptr; }

private:
    // The leaves of one definition that say what it is.
    struct Leaves {
        const AmiNode* Usage = nullptr;
        const AmiNode* Type = nullptr;
        const AmiNode* Format = nullptr;  // (Format word ...) or (word ...)
        const AmiNode* Default = nullptr;
    };

    bool Read(const AmiNode& branch, AmiParameterDefinition& d, std::string& error);
    bool Gather(const AmiNode& branch, const std::string& name, Leaves& leaves, std::string& error);
    // A leaf of one reserved word: (Usage In), (Type Float).
    struct Word {
        const char* Name;                   // "Usage"
        const char* Choices;                // "In|Out|InOut|Info", for messages
        bool (*Accepts)(AmiValueKeyword);   // the words of its group
    };

    bool ReadWord(const AmiNode& branch, const AmiNode* leaf, const Word& word, const AmiParameterDefinition& d,
                  AmiValueKeyword& value, std::string& error);
    bool ReadFormat(const AmiNode& branch, const Leaves& leaves, AmiParameterDefinition& d, std::string& error);
    bool CheckValues(const AmiNode& format, const AmiParameterDefinition& d, std::string& error);
    bool ReadDefault(const Leaves& leaves, AmiParameterDefinition& d, std::string& error);

    // "FILE:LINE: parameter PATH" for the line of `node`.
    std::string Where(const AmiNode& node, const AmiParameterDefinition& d) const;

    std::string fileName_; // a copy: a caller may name the file with a temporary
    std::vector<std::string> path_; // of the group being read, Model_Specific left out
};
