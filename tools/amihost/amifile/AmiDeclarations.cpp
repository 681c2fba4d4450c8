#include "tools/amihost/amifile/AmiDeclarations.h"

#include "tools/amihost/amifile/AmiDefinitionReader.h"

namespace {

using Entry = AmiDeclarations::Entry;

class Collector {
public:
    explicit Collector(std::vector<Entry>& out) : out_(out) {}

    void Add(const std::string& prefix, const AmiNode& node, bool reserved)
    {
        out_.push_back({prefix + node.Name, node.Name, node.Line, reserved});
    }

    // The definitions in `group`, whose path so far is `prefix`.
    void Walk(const AmiNode& group, const std::string& prefix)
    {
        for (const AmiNode& child : group.Children)
            if (child.IsBranch())
                Child(child, prefix);
    }

    // `child`: a definition, or a group of them.
    void Child(const AmiNode& child, const std::string& prefix)
    {
        if (AmiDefinitionReader::IsDefinition(child))
            Add(prefix, child, false);
        else
            Walk(child, prefix + child.Name + ".");
    }

    // Every entry of Reserved_Parameters, a group or an old-style leaf.
    void Reserved(const AmiNode& reserved)
    {
        for (const AmiNode& entry : reserved.Children)
            Add("", entry, true);
    }

private:
    std::vector<Entry>& out_;
};

} // namespace

std::vector<Entry> AmiDeclarations::Collect(const AmiNode& root)
{
    std::vector<Entry> out;
    Collector collector(out);
    for (const AmiNode& branch : root.Children) {
        if (!branch.IsBranch())
            continue; // (Description ...) and the like at the top
        if (branch.Name == "Reserved_Parameters")
            collector.Reserved(branch);
        else if (branch.Name == "Model_Specific")
            collector.Walk(branch, "");
        else
            collector.Child(branch, ""); // definitions straight below the root (old files)
    }
    return out;
}
