#include "tools/amihost/amifile/AmiFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>

#include "params/AmiTree.h"
#include "tools/amihost/amifile/AmiDefinitionReader.h"
#include "tools/amihost/amifile/AmiSourceScan.h"

namespace {

using Reader = AmiDefinitionReader;

// The value of a reserved parameter: (X (Value v)), (X (Default v)),
// (X (Format Value v)) or the old (X v); null when there is none.
const char* ReservedText(const AmiBranch& reserved, const char* name)
{
    for (int i = 0; i < reserved.ChildCount; ++i) {
        const AmiTreeEntry& entry = reserved.Children[i];
        const AmiBranch* branch = Reader::BranchOf(entry);
        const AmiLeaf* leaf = Reader::LeafOf(entry);
        if (leaf && std::strcmp(leaf->Name, name) == 0 && leaf->ValueCount > 0)
            return leaf->Values[0].Text;
        if (!branch || std::strcmp(branch->Name, name) != 0)
            continue;
        for (int j = 0; j < branch->ChildCount; ++j) {
            const AmiLeaf* item = Reader::LeafOf(branch->Children[j]);
            if (!item || item->ValueCount == 0)
                continue;
            const char* first = item->Values[0].Text;
            if (std::strcmp(item->Name, "Value") == 0 || item->NameKeyword == AmiNameDefault)
                return first;
            if (item->NameKeyword == AmiNameFormat && std::strcmp(first, "Value") == 0 && item->ValueCount > 1)
                return item->Values[1].Text;
        }
    }
    return nullptr;
}

// A reserved Boolean: 1 True, 0 anything else, -1 when it is not there.
int ReservedFlag(const AmiBranch& reserved, const char* name)
{
    const char* text = ReservedText(reserved, name);
    return text ? (std::strcmp(text, "True") == 0 ? 1 : 0) : -1;
}

// A reserved count: a whole number 0 .. 2^31 - 1; -1 when it is not there
// or not such a number.
long ReservedCount(const AmiBranch& reserved, const char* name)
{
    const char* text = ReservedText(reserved, name);
    if (!text || *text < '0' || *text > '9')
        return -1;
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return *end == '\0' && errno == 0 && value <= 2147483647L ? value : -1;
}

// Owns a parsed tree.
class TreeHolder {
public:
    ~TreeHolder() { ReleaseAmiTree(&tree); }
    AmiTree* tree = nullptr;
};

} // namespace

bool AmiFile::Read(const std::string& text, const std::string& name, AmiFile& file, std::string& error)
{
    file = AmiFile();
    file.FileName = name;
    if (text.size() > MaxBytes) {
        error = name + ":1: larger than " + std::to_string(MaxBytes >> 20) + " MiB; not a parameter file";
        return false;
    }
    if (!AmiSourceScan::Check(text, name, error))
        return false;

    TreeHolder holder;
    std::vector<int> slotLines;
    const AmiParseResult result = ParseAmiTreeWithLines(text.c_str(), &holder.tree, slotLines);
    // A text the scan passes parses; a refusal here is a fault of the scan.
    if (result != AmiParseOk || holder.tree == nullptr || holder.tree->SlotCount < 1 ||
        holder.tree->Entries[0].Record == nullptr) {
        error = name + ":1: the parameter parser refused the text (result " + std::to_string(result) + ")";
        return false;
    }
    std::map<const void*, int> lines;
    for (int i = 0; i < holder.tree->SlotCount; ++i)
        if (holder.tree->Entries[i].Record != nullptr)
            lines[holder.tree->Entries[i].Record] = slotLines[static_cast<std::size_t>(i)];

    const AmiBranch& root = *static_cast<const AmiBranch*>(holder.tree->Entries[0].Record);
    file.RootName = root.Name;
    file.Declared = AmiDeclarations::Collect(root, lines);
    AmiDefinitionReader reader(name, lines);
    for (int i = 0; i < root.ChildCount; ++i) {
        const AmiBranch* branch = Reader::BranchOf(root.Children[i]);
        if (!branch)
            continue; // (Description ...) and the like at the top
        if (std::strcmp(branch->Name, "Reserved_Parameters") == 0) {
            file.GetWaveExists = ReservedFlag(*branch, "GetWave_Exists");
            file.InitReturnsImpulse = ReservedFlag(*branch, "Init_Returns_Impulse");
            file.IgnoreBits = ReservedCount(*branch, "Ignore_Bits");
            continue;
        }
        // Model_Specific is a wrapper that the parameter string leaves out;
        // definitions straight below the root (old files) count as model specific.
        const bool ok = std::strcmp(branch->Name, "Model_Specific") == 0
                             ? reader.Collect(*branch, file.Parameters, error)
                             : reader.CollectChild(*branch, file.Parameters, error);
        if (!ok) {
            file.Parameters.clear();
            file.Declared.clear();
            return false;
        }
    }
    return true;
}

const AmiParameterDefinition* AmiFile::Find(const std::string& key, std::string& error) const
{
    for (const AmiParameterDefinition& d : Parameters)
        if (d.DottedPath() == key)
            return &d;
    const AmiParameterDefinition* found = nullptr;
    std::string paths;
    for (const AmiParameterDefinition& d : Parameters) {
        if (d.Path.back() != key)
            continue;
        if (found) {
            error = "parameter name \"" + key + "\" is ambiguous in " + FileName + " (" + found->DottedPath() +
                    ", " + d.DottedPath() + "); give its dotted path";
            return nullptr;
        }
        found = &d;
    }
    if (found)
        return found;
    for (const AmiParameterDefinition& d : Parameters)
        paths += (paths.empty() ? "" : ", ") + d.DottedPath();
    error = "no parameter \"" + key + "\" sent to the model in " + FileName +
            (paths.empty() ? std::string(" (it declares none)") : " (it declares: " + paths + ")");
    return nullptr;
}
