#pragma once

#include <sstream>
#include <string>

#include "params/AmiTree.h"

// The tree slot by slot, one line each, for whole-tree comparisons:
//   <slot> branch <level> '<name>' children <slot of each child>...
//   <slot> leaf <level> '<name>' kw<name keyword> values '<text>'/<type>/<keyword>...
//   <slot> empty <kind> <level>
// A child copy whose kind or level differs from its slot's is marked with "!",
// one whose record is in no slot is shown as "?".
inline std::string TreeText(const AmiTree* tree)
{
    std::ostringstream out;
    for (int i = 0; i < tree->SlotCount; ++i) {
        const AmiTreeEntry& slot = tree->Entries[i];
        out << i << ' ';
        if (slot.Record == nullptr) {
            out << "empty " << slot.Kind << ' ' << slot.Level << '\n';
            continue;
        }
        if (slot.Kind == AmiNodeBranch) {
            const auto* branch = static_cast<const AmiBranch*>(slot.Record);
            out << "branch " << slot.Level << " '" << branch->Name << "' children";
            for (int c = 0; c < branch->ChildCount; ++c) {
                const AmiTreeEntry& child = branch->Children[c];
                int at = -1;
                for (int j = 0; j < tree->SlotCount; ++j)
                    if (tree->Entries[j].Record == child.Record)
                        at = j;
                if (at < 0) {
                    out << " ?";
                    continue;
                }
                out << ' ' << at;
                if (child.Kind != tree->Entries[at].Kind || child.Level != tree->Entries[at].Level)
                    out << '!';
            }
        } else {
            const auto* leaf = static_cast<const AmiLeaf*>(slot.Record);
            out << "leaf " << slot.Level << " '" << leaf->Name << "' kw" << leaf->NameKeyword << " values";
            for (int v = 0; v < leaf->ValueCount; ++v)
                out << " '" << leaf->Values[v].Text << "'/" << leaf->Values[v].Type << '/'
                    << leaf->Values[v].Keyword;
        }
        out << '\n';
    }
    return out.str();
}

// Parses `text`; on success returns TreeText of the tree, else "code <n>".
inline std::string ParsedText(const char* text)
{
    AmiTree* tree = nullptr;
    const AmiParseResult result = ParseAmiTree(text, &tree);
    if (result != AmiParseOk)
        return "code " + std::to_string(result);
    std::string dump = TreeText(tree);
    ReleaseAmiTree(&tree);
    return dump;
}
