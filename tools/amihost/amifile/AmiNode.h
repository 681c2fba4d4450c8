#pragma once

#include <string>
#include <vector>

#include "params/AmiTree.h"

// One group of an .ami parameter tree as AmiGrammar reads it: a branch
// (a group of groups) or a leaf (a group of values), with the line of its
// "(". The tree is the one the model's own parameter parser builds from the
// same text (ParseAmiTree): the same groups in text order, the same names,
// values and classes, with the groups that parser drops (values followed by
// sub-groups, such as tables) left out. Plain values, owned by the parent.
struct AmiNode {
    // One value of a leaf.
    struct Value {
        std::string Text;                        // without quotes and trailing whitespace
        AmiValueType Type = AmiValueText;        // ClassifyAmiValue of Text
        AmiValueKeyword Keyword = AmiKeywordNone; // a reserved word; only when Type is AmiValueText
    };

    AmiNodeKind Kind = AmiNodeBranch;
    std::string Name;                      // never empty
    int Line = 0;                          // 1-based line of the group's "(" (lines end at "\n")
    AmiNameKeyword NameKeyword = AmiNameNone; // a leaf's reserved name; AmiNameNone for a branch
    std::vector<Value> Values;             // a leaf's, text order (at least one)
    std::vector<AmiNode> Children;         // a branch's, text order (none when all were dropped)

    bool IsLeaf() const { return Kind == AmiNodeLeaf; }
    bool IsBranch() const { return Kind == AmiNodeBranch; }
};
