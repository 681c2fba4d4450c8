// Fuzz target of the AMI parameter parser and its lookups.
//
// Input: an optional header 0x01 N that makes storage request N + 1 of the
// run fail, then the parameter text up to the first NUL byte, then lookup
// paths separated by NUL bytes. Besides sanitizer findings, the target traps
// when a result leaves its range, when a successful tree breaks its shape, or
// when a leaf that the tree holds cannot be found by its own path.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "params/AmiMemory.h"
#include "params/AmiParameters.h"
#include "params/AmiTree.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Paths of the first leaves of the tree in depth-first text order, built as
// the lookup defines them.
std::vector<std::string> LeafPaths(const AmiTree* tree, std::size_t limit)
{
    std::vector<std::string> paths;
    const AmiTreeEntry& root = tree->Entries[0];
    if (root.Record == nullptr)
        return paths;
    struct Open {
        const AmiBranch* Branch;
        int Next;
        std::string Path;
    };
    const auto* rootBranch = static_cast<const AmiBranch*>(root.Record);
    std::vector<Open> open{{rootBranch, 0, rootBranch->Name}};
    while (!open.empty() && paths.size() < limit) {
        Open& top = open.back();
        if (top.Next >= top.Branch->ChildCount) {
            open.pop_back();
            continue;
        }
        const AmiTreeEntry& child = top.Branch->Children[top.Next++];
        if (child.Record == nullptr)
            continue;
        const char* name = child.Kind == AmiNodeLeaf ? static_cast<const AmiLeaf*>(child.Record)->Name
                                                     : static_cast<const AmiBranch*>(child.Record)->Name;
        std::string path = top.Path.empty() ? std::string(name) : top.Path + "." + name;
        if (child.Kind == AmiNodeLeaf)
            paths.push_back(path);
        else if (open.size() < 256)
            open.push_back(Open{static_cast<const AmiBranch*>(child.Record), 0, path});
    }
    return paths;
}

// Shape of a successful tree: the root branch in slot 0 (usually at level 1;
// a dropped first group can leave it at 0, and a rescan of the text after
// one deeper), every
// child one level below its parent and a copy of a slot's kind and level.
void CheckShape(const AmiTree* tree)
{
    Check(tree->SlotCount >= 1);
    const AmiTreeEntry& root = tree->Entries[0];
    if (root.Record == nullptr)
        return; // no working copy: every slot empty
    Check(root.Kind == AmiNodeBranch && root.Level >= 0);
    for (int i = 0; i < tree->SlotCount; ++i) {
        const AmiTreeEntry& slot = tree->Entries[i];
        if (slot.Record == nullptr)
            continue;
        if (slot.Kind == AmiNodeLeaf) {
            const auto* leaf = static_cast<const AmiLeaf*>(slot.Record);
            for (int v = 0; v < leaf->ValueCount; ++v)
                Check(leaf->Values[v].Type == ClassifyAmiValue(leaf->Values[v].Text));
            continue;
        }
        const auto* branch = static_cast<const AmiBranch*>(slot.Record);
        for (int c = 0; c < branch->ChildCount; ++c)
            Check(branch->Children[c].Level == slot.Level + 1);
    }
}

void Query(const AmiParameters& params, const char* path)
{
    int32_t n = 0;
    double x = 0.0;
    bool b = false;
    std::string s;
    const bool isNumber = params.GetDouble(x, path);
    Check(params.GetInt(n, path) == isNumber);
    const bool isText = params.GetString(s, path);
    const bool isBool = params.GetBool(b, path);
    Check(!(isNumber && isText) && !(isNumber && isBool) && !(isText && isBool));
    Check(!(isNumber || isText || isBool) || params.FindLeaf(path) != nullptr);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool quiet = [] {
        // Injected failures are expected here; their messages would drown the log.
        AmiMemory::SetMessageStream(std::fopen("/dev/null", "w"));
        return true;
    }();
    (void)quiet;

    long failAt = 0;
    if (size >= 2 && data[0] == 0x01) {
        failAt = data[1] + 1;
        data += 2;
        size -= 2;
    }
    const std::string input(reinterpret_cast<const char*>(data), size);
    const char* text = input.c_str(); // ends at the first NUL

    AmiTree* tree = nullptr;
    const AmiParseResult result = ParseAmiTree(text, &tree);
    Check(result >= AmiParseOk && result <= AmiParseBadToken);
    Check((result == AmiParseOk) == (tree != nullptr));
    if (tree != nullptr)
        CheckShape(tree);

    AmiMemory::FailNthAllocation(failAt);
    {
        AmiParameters params(text);
        if (failAt == 0 || AmiMemory::PendingFailure() != 0)
            Check(params.Ok == (result == AmiParseOk));
        AmiMemory::FailNthAllocation(0);

        if (params.Ok && failAt == 0) {
            for (const std::string& path : LeafPaths(params.Tree, 64)) {
                Check(params.FindLeaf(path.c_str()) != nullptr);
                Query(params, path.c_str());
            }
        }
        for (std::size_t at = std::strlen(text) + 1; at < input.size(); at += std::strlen(input.c_str() + at) + 1)
            Query(params, input.c_str() + at);
    }
    ReleaseAmiTree(&tree);
    return 0;
}
