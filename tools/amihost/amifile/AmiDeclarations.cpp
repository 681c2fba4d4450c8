#include "tools/amihost/amifile/AmiDeclarations.h"

#include <cstring>

#include "tools/amihost/amifile/AmiDefinitionReader.h"

namespace {

using Reader = AmiDefinitionReader;
using Entry = AmiDeclarations::Entry;

class Collector {
public:
    Collector(const std::map<const void*, int>& lines, std::vector<Entry>& out) : lines_(lines), out_(out) {}

    void Add(const std::string& prefix, const char* name, const void* record, bool reserved)
    {
        const auto line = lines_.find(record);
        out_.push_back({prefix + name, name, line == lines_.end() ? 0 : line->second, reserved});
    }

    // The definitions in `group`, whose path so far is `prefix`.
    void Walk(const AmiBranch& group, const std::string& prefix)
    {
        for (int i = 0; i < group.ChildCount; ++i)
            if (const AmiBranch* child = Reader::BranchOf(group.Children[i]))
                Child(*child, prefix);
    }

    // `child`: a definition, or a group of them.
    void Child(const AmiBranch& child, const std::string& prefix)
    {
        if (Reader::IsDefinition(child))
            Add(prefix, child.Name, &child, false);
        else
            Walk(child, prefix + child.Name + ".");
    }

    // Every entry of Reserved_Parameters, a group or an old-style leaf.
    void Reserved(const AmiBranch& reserved)
    {
        for (int i = 0; i < reserved.ChildCount; ++i) {
            const AmiTreeEntry& entry = reserved.Children[i];
            if (const AmiBranch* branch = Reader::BranchOf(entry))
                Add("", branch->Name, branch, true);
            else if (const AmiLeaf* leaf = Reader::LeafOf(entry))
                Add("", leaf->Name, leaf, true);
        }
    }

private:
    const std::map<const void*, int>& lines_;
    std::vector<Entry>& out_;
};

} // namespace

std::vector<Entry> AmiDeclarations::Collect(const AmiBranch& root, const std::map<const void*, int>& lines)
{
    std::vector<Entry> out;
    Collector collector(lines, out);
    for (int i = 0; i < root.ChildCount; ++i) {
        const AmiBranch* branch = Reader::BranchOf(root.Children[i]);
        if (!branch)
            continue; // (Description ...) and the like at the top
        if (std::strcmp(branch->Name, "Reserved_Parameters") == 0)
            collector.Reserved(*branch);
        else if (std::strcmp(branch->Name, "Model_Specific") == 0)
            collector.Walk(*branch, "");
        else
            collector.Child(*branch, ""); // definitions straight below the root (old files)
    }
    return out;
}
