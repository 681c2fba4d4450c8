#pragma once

#include <string>

#include "params/AmiTree.h"
#include "tools/amihost/amifile/AmiNode.h"

// Where AmiGrammar's tree and the model's own parser's tree (ParseAmiTree)
// of one text part: "" when they agree group for group (kind, level, name,
// the name's reserved word, and every value's text, class and reserved
// word), else the path of the first group that differs and how. Shared by
// the differential test and the .ami fuzz target.
namespace AmiTreeMatchDetail {

inline std::string Differs(const std::string& path, const std::string& what) { return path + ": " + what; }

inline std::string Compare(const AmiNode& node, const AmiTreeEntry& entry, int level, const std::string& path)
{
    if (entry.Record == nullptr)
        return Differs(path, "the parser has no record");
    if (entry.Kind != node.Kind)
        return Differs(path, "a branch in one tree, a leaf in the other");
    if (entry.Level != level)
        return Differs(path, "the parser puts it at level " + std::to_string(entry.Level));
    if (node.IsLeaf()) {
        const auto* leaf = static_cast<const AmiLeaf*>(entry.Record);
        if (node.Name != leaf->Name || node.NameKeyword != leaf->NameKeyword)
            return Differs(path, "the parser names it \"" + std::string(leaf->Name) + "\"");
        if (static_cast<int>(node.Values.size()) != leaf->ValueCount)
            return Differs(path, "the parser has " + std::to_string(leaf->ValueCount) + " values");
        for (int i = 0; i < leaf->ValueCount; ++i) {
            const AmiValue& value = leaf->Values[i];
            const AmiNode::Value& mine = node.Values[static_cast<std::size_t>(i)];
            if (mine.Text != value.Text || mine.Type != value.Type || mine.Keyword != value.Keyword)
                return Differs(path, "value " + std::to_string(i) + " is \"" + mine.Text + "\", the parser's \"" +
                                         value.Text + "\"");
        }
        return "";
    }
    const auto* branch = static_cast<const AmiBranch*>(entry.Record);
    if (node.Name != branch->Name)
        return Differs(path, "the parser names it \"" + std::string(branch->Name) + "\"");
    if (static_cast<int>(node.Children.size()) != branch->ChildCount)
        return Differs(path, "the parser has " + std::to_string(branch->ChildCount) + " children");
    for (int i = 0; i < branch->ChildCount; ++i) {
        const AmiNode& child = node.Children[static_cast<std::size_t>(i)];
        const std::string difference = Compare(child, branch->Children[i], level + 1, path + "." + child.Name);
        if (!difference.empty())
            return difference;
    }
    return "";
}

} // namespace AmiTreeMatchDetail

inline std::string AmiTreeDifference(const AmiNode& root, const AmiTree& tree)
{
    if (tree.SlotCount < 1)
        return "the parser made no group";
    return AmiTreeMatchDetail::Compare(root, tree.Entries[0], 1, root.Name);
}
