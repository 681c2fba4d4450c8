#include "tools/amihost/AmiFile.h"

#include <cmath>
#include <cstring>
#include <map>

#include "params/AmiTree.h"
#include "tools/amihost/AmiSourceScan.h"

namespace {

using Definition = AmiParameterDefinition;

// Reads the tree of one file; `Lines` maps every record to the line of its group.
class TreeReader {
public:
    TreeReader(const std::string& name, const std::map<const void*, int>& lines)
        : name_(name), lines_(lines)
    {
    }

    // Collects the definitions below `branch` (a group of definitions) into `out`.
    bool Collect(const AmiBranch& branch, std::vector<std::string>& path,
                 std::vector<Definition>& out, std::string& error);

    // Collects `child`: a definition, or a group of them.
    bool CollectChild(const AmiBranch& child, std::vector<std::string>& path,
                      std::vector<Definition>& out, std::string& error);

    // Reads the definition in `branch`; `keep` is false for Out and Info ones.
    bool ReadDefinition(const AmiBranch& branch, const std::vector<std::string>& path,
                        Definition& definition, bool& keep, std::string& error);

    int LineOf(const void* record) const
    {
        const auto it = lines_.find(record);
        return it == lines_.end() ? 1 : it->second;
    }

    std::string Where(const void* record) const { return name_ + ":" + std::to_string(LineOf(record)) + ": "; }

private:
    const std::string& name_;
    const std::map<const void*, int>& lines_;
};

const AmiLeaf* LeafOf(const AmiTreeEntry& entry)
{
    return entry.Kind == AmiNodeLeaf ? static_cast<const AmiLeaf*>(entry.Record) : nullptr;
}

const AmiBranch* BranchOf(const AmiTreeEntry& entry)
{
    return entry.Kind == AmiNodeBranch ? static_cast<const AmiBranch*>(entry.Record) : nullptr;
}

bool IsDefinition(const AmiBranch& branch)
{
    for (int i = 0; i < branch.ChildCount; ++i) {
        const AmiLeaf* leaf = LeafOf(branch.Children[i]);
        if (leaf && (leaf->NameKeyword == AmiNameUsage || leaf->NameKeyword == AmiNameType))
            return true;
    }
    return false;
}

std::vector<std::string> ValuesOf(const AmiLeaf& leaf, int from)
{
    std::vector<std::string> values;
    for (int i = from; i < leaf.ValueCount; ++i)
        values.emplace_back(leaf.Values[i].Text);
    return values;
}

// Format words and the number of values each takes (0: one or more).
struct FormatWord {
    const char* Word;
    Definition::FormatKind Kind;
    std::size_t Count;
    const char* Layout;
};
const FormatWord FormatWords[] = {
    {"Value", Definition::FormatValue, 1, "v"},
    {"Range", Definition::FormatRange, 3, "typ min max"},
    {"List", Definition::FormatList, 0, "v1 v2 ..."},
    {"Corner", Definition::FormatCorner, 3, "typ slow fast"},
    {"Increment", Definition::FormatIncrement, 4, "typ min max delta"},
    {"Steps", Definition::FormatSteps, 4, "typ min max n"},
};

const FormatWord* FindFormat(const char* word)
{
    for (const FormatWord& format : FormatWords)
        if (std::strcmp(format.Word, word) == 0)
            return &format;
    return nullptr;
}

double NumberOf(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

// The Boolean value of a reserved parameter: (X (Value True)), (X (Default
// True)), (X (Format Value True)) or the old (X True); -1 when there is none.
int ReservedFlag(const AmiBranch& reserved, const char* name)
{
    for (int i = 0; i < reserved.ChildCount; ++i) {
        const AmiTreeEntry& entry = reserved.Children[i];
        const AmiBranch* branch = BranchOf(entry);
        const AmiLeaf* leaf = LeafOf(entry);
        if (leaf && std::strcmp(leaf->Name, name) == 0 && leaf->ValueCount > 0)
            return std::strcmp(leaf->Values[0].Text, "True") == 0 ? 1 : 0;
        if (!branch || std::strcmp(branch->Name, name) != 0)
            continue;
        for (int j = 0; j < branch->ChildCount; ++j) {
            const AmiLeaf* item = LeafOf(branch->Children[j]);
            if (!item || item->ValueCount == 0)
                continue;
            const char* first = item->Values[0].Text;
            if (std::strcmp(item->Name, "Value") == 0 || item->NameKeyword == AmiNameDefault)
                return std::strcmp(first, "True") == 0 ? 1 : 0;
            if (item->NameKeyword == AmiNameFormat && std::strcmp(first, "Value") == 0 && item->ValueCount > 1)
                return std::strcmp(item->Values[1].Text, "True") == 0 ? 1 : 0;
        }
    }
    return -1;
}

bool TreeReader::Collect(const AmiBranch& branch, std::vector<std::string>& path,
                         std::vector<Definition>& out, std::string& error)
{
    for (int i = 0; i < branch.ChildCount; ++i) {
        const AmiBranch* child = BranchOf(branch.Children[i]);
        // A leaf among definitions is a description or a note.
        if (child && !CollectChild(*child, path, out, error))
            return false;
    }
    return true;
}

bool TreeReader::CollectChild(const AmiBranch& child, std::vector<std::string>& path,
                              std::vector<Definition>& out, std::string& error)
{
    path.emplace_back(child.Name);
    bool ok = true;
    if (IsDefinition(child)) {
        Definition definition;
        bool keep = false;
        ok = ReadDefinition(child, path, definition, keep, error);
        if (ok && keep)
            out.push_back(std::move(definition));
    } else {
        ok = Collect(child, path, out, error);
    }
    path.pop_back();
    return ok;
}

bool TreeReader::ReadDefinition(const AmiBranch& branch, const std::vector<std::string>& path,
                                Definition& d, bool& keep, std::string& error)
{
    d = Definition();
    d.Path = path;
    d.Line = LineOf(&branch);
    const std::string name = "parameter " + d.DottedPath();
    const AmiLeaf* usage = nullptr;
    const AmiLeaf* type = nullptr;
    const AmiLeaf* format = nullptr;
    const AmiLeaf* defaultLeaf = nullptr;
    for (int i = 0; i < branch.ChildCount; ++i) {
        const AmiLeaf* leaf = LeafOf(branch.Children[i]);
        if (!leaf)
            continue; // sub-groups of a definition (e.g. a table's rows) say nothing about its value
        const AmiLeaf** slot = nullptr;
        if (leaf->NameKeyword == AmiNameUsage)
            slot = &usage;
        else if (leaf->NameKeyword == AmiNameType)
            slot = &type;
        else if (leaf->NameKeyword == AmiNameDefault)
            slot = &defaultLeaf;
        else if (leaf->NameKeyword == AmiNameFormat || FindFormat(leaf->Name) ||
                 std::strcmp(leaf->Name, "Table") == 0 || std::strcmp(leaf->Name, "Gaussian") == 0 ||
                 std::strcmp(leaf->Name, "Dual-Dirac") == 0 || std::strcmp(leaf->Name, "DjRj") == 0)
            slot = &format;
        if (!slot)
            continue; // Description, Labels, List_Tip and other notes
        if (*slot) {
            error = Where(leaf) + name + " declares " +
                    (slot == &format ? std::string("its format") : "(" + std::string(leaf->Name) + " ...)") +
                    " twice";
            return false;
        }
        *slot = leaf;
    }

    if (!usage || usage->ValueCount != 1) {
        error = Where(usage ? static_cast<const void*>(usage) : &branch) + name + " needs one (Usage In|Out|InOut|Info)";
        return false;
    }
    switch (usage->Values[0].Keyword) {
    case AmiKeywordIn: d.Usage = Definition::UsageIn; break;
    case AmiKeywordOut: d.Usage = Definition::UsageOut; break;
    case AmiKeywordInOut: d.Usage = Definition::UsageInOut; break;
    case AmiKeywordInfo: d.Usage = Definition::UsageInfo; break;
    default:
        error = Where(usage) + name + ": unknown Usage \"" + usage->Values[0].Text + "\"";
        return false;
    }
    keep = d.Sent();
    if (!keep)
        return true; // not sent: its value and format do not matter here

    if (!type || type->ValueCount != 1) {
        error = Where(type ? static_cast<const void*>(type) : &branch) + name +
                " needs one (Type Float|Integer|String|Boolean|Tap|UI)";
        return false;
    }
    switch (type->Values[0].Keyword) {
    case AmiKeywordFloat: d.Type = Definition::TypeFloat; break;
    case AmiKeywordInteger: d.Type = Definition::TypeInteger; break;
    case AmiKeywordString: d.Type = Definition::TypeString; break;
    case AmiKeywordBoolean: d.Type = Definition::TypeBoolean; break;
    case AmiKeywordTap: d.Type = Definition::TypeTap; break;
    case AmiKeywordUI: d.Type = Definition::TypeUI; break;
    default:
        error = Where(type) + name + ": unknown Type \"" + type->Values[0].Text + "\"";
        return false;
    }

    if (!format) {
        error = Where(&branch) + name +
                " has no format (Value, Range, List, Corner, Increment or Steps; tables and other forms are not "
                "supported for parameters sent to the model)";
        return false;
    }
    const bool oldStyle = format->NameKeyword == AmiNameFormat;
    const char* word = oldStyle ? (format->ValueCount > 0 ? format->Values[0].Text : "") : format->Name;
    const FormatWord* known = FindFormat(word);
    if (!known) {
        error = Where(format) + name + ": format \"" + word + "\" is not supported for a parameter sent to the model";
        return false;
    }
    d.Format = known->Kind;
    d.Values = ValuesOf(*format, oldStyle ? 1 : 0);
    if (known->Count ? d.Values.size() != known->Count : d.Values.empty()) {
        error = Where(format) + name + ": " + known->Word + " needs " +
                (known->Count ? std::to_string(known->Count) : std::string("at least 1")) + " value" +
                (known->Count == 1 ? "" : "s") + " (" + known->Layout + "), found " +
                std::to_string(d.Values.size());
        return false;
    }

    // Every value of the format must be of the parameter's type; the range
    // and grid must make sense. Checked against an open range first, so
    // that the bounds themselves are judged by type only.
    Definition typeOnly = d;
    typeOnly.Format = Definition::FormatList;
    std::string reason;
    for (const std::string& value : d.Values) {
        typeOnly.Values = {value};
        if (!typeOnly.Accepts(value, reason)) {
            error = Where(format) + name + ": " + reason + " (the Type is " + Definition::TypeName(d.Type) + ")";
            return false;
        }
    }
    const bool bounded = d.Format == Definition::FormatRange || d.Format == Definition::FormatIncrement ||
                         d.Format == Definition::FormatSteps;
    if (bounded && (d.Type == Definition::TypeString || d.Type == Definition::TypeBoolean)) {
        error = Where(format) + name + ": " + known->Word + " needs a numeric Type";
        return false;
    }
    if (bounded && !(NumberOf(d.Values[1]) <= NumberOf(d.Values[2]))) {
        error = Where(format) + name + ": the minimum " + d.Values[1] + " is above the maximum " + d.Values[2];
        return false;
    }
    if (d.Format == Definition::FormatIncrement && !(NumberOf(d.Values[3]) > 0.0)) {
        error = Where(format) + name + ": the increment " + d.Values[3] + " is not positive";
        return false;
    }
    if (d.Format == Definition::FormatSteps &&
        !(ClassifyAmiValue(d.Values[3].c_str()) == AmiValueInteger && NumberOf(d.Values[3]) >= 1.0)) {
        error = Where(format) + name + ": the step count " + d.Values[3] + " is not a positive integer";
        return false;
    }

    if (defaultLeaf) {
        if (defaultLeaf->ValueCount != 1) {
            error = Where(defaultLeaf) + name + ": (Default ...) needs exactly one value";
            return false;
        }
        d.Default = defaultLeaf->Values[0].Text;
    } else {
        d.Default = d.Values[0];
    }
    if (!d.Accepts(d.Default, reason)) {
        error = Where(defaultLeaf ? static_cast<const void*>(defaultLeaf) : format) + name +
                ": the default does not fit: " + reason;
        return false;
    }
    return true;
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
    std::vector<AmiSourceGroup> groups;
    if (!AmiSourceScan::Scan(text, name, groups, error))
        return false;

    TreeHolder holder;
    const AmiParseResult result = ParseAmiTree(text.c_str(), &holder.tree);
    // The parser's entries are the kept groups, in order.
    std::map<const void*, int> lines;
    bool agree = result == AmiParseOk && holder.tree != nullptr && holder.tree->SlotCount > 0 &&
                 holder.tree->Entries[0].Record != nullptr;
    int slot = 0;
    for (std::size_t i = 0; agree && i < groups.size(); ++i) {
        if (groups[i].Dropped)
            continue;
        agree = slot < holder.tree->SlotCount && holder.tree->Entries[slot].Record != nullptr;
        if (agree)
            lines[holder.tree->Entries[slot++].Record] = groups[i].Line;
    }
    if (!agree) {
        error = name + ":1: the parameter parser refused the text (result " + std::to_string(result) + ")";
        return false;
    }

    const AmiBranch& root = *static_cast<const AmiBranch*>(holder.tree->Entries[0].Record);
    file.RootName = root.Name;
    TreeReader reader(name, lines);
    std::vector<std::string> path;
    for (int i = 0; i < root.ChildCount; ++i) {
        const AmiBranch* branch = BranchOf(root.Children[i]);
        if (!branch)
            continue; // (Description ...) and the like at the top
        if (std::strcmp(branch->Name, "Reserved_Parameters") == 0) {
            file.GetWaveExists = ReservedFlag(*branch, "GetWave_Exists");
            file.InitReturnsImpulse = ReservedFlag(*branch, "Init_Returns_Impulse");
            continue;
        }
        // Model_Specific is a wrapper that the parameter string leaves out;
        // definitions straight below the root (old files) count as model specific.
        const bool ok = std::strcmp(branch->Name, "Model_Specific") == 0
                             ? reader.Collect(*branch, path, file.Parameters, error)
                             : reader.CollectChild(*branch, path, file.Parameters, error);
        if (!ok) {
            file.Parameters.clear();
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
