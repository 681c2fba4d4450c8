#include "tools/amihost/amifile/AmiFile.h"

#include <cerrno>
#include <cstdlib>

#include "tools/amihost/amifile/AmiDefinitionReader.h"
#include "tools/amihost/amifile/AmiGrammar.h"

namespace {

// The value of a reserved parameter: (X (Value v)), (X (Default v)),
// (X (Format Value v)) or the old (X v); null when there is none.
const std::string* ReservedText(const AmiNode& reserved, const std::string& name)
{
    for (const AmiNode& entry : reserved.Children) {
        if (entry.Name != name)
            continue;
        if (entry.IsLeaf())
            return &entry.Values[0].Text; // a leaf holds at least one value
        for (const AmiNode& item : entry.Children) {
            if (!item.IsLeaf())
                continue;
            const std::string& first = item.Values[0].Text;
            if (item.Name == "Value" || item.NameKeyword == AmiNameDefault)
                return &first;
            if (item.NameKeyword == AmiNameFormat && first == "Value" && item.Values.size() > 1)
                return &item.Values[1].Text;
        }
    }
    return nullptr;
}

// A reserved Boolean: 1 True, 0 anything else, -1 when it is not there.
int ReservedFlag(const AmiNode& reserved, const char* name)
{
    const std::string* text = ReservedText(reserved, name);
    return text ? (*text == "True" ? 1 : 0) : -1;
}

// A reserved count: a whole number 0 .. 2^31 - 1; -1 when it is not there
// or not such a number.
long ReservedCount(const AmiNode& reserved, const char* name)
{
    const std::string* text = ReservedText(reserved, name);
    if (!text || text->empty() || (*text)[0] < '0' || (*text)[0] > '9')
        return -1;
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text->c_str(), &end, 10);
    return *end == '\0' && errno == 0 && value <= 2147483647L ? value : -1;
}

} // namespace

bool AmiFile::Read(const std::string& text, const std::string& name, AmiFile& file, std::string& error)
{
    file = AmiFile();
    file.FileName = name;
    if (text.size() > MaxBytes) {
        error = name + ":1: larger than " + std::to_string(MaxBytes >> 20) + " MiB; not a parameter file";
        return false;
    }
    AmiNode root;
    if (!AmiGrammar::Parse(text, name, root, error))
        return false;
    file.RootName = root.Name;
    file.Declared = AmiDeclarations::Collect(root);
    AmiDefinitionReader reader(name);
    for (const AmiNode& branch : root.Children) {
        if (!branch.IsBranch())
            continue; // (Description ...) and the like at the top
        if (branch.Name == "Reserved_Parameters") {
            file.GetWaveExists = ReservedFlag(branch, "GetWave_Exists");
            file.InitReturnsImpulse = ReservedFlag(branch, "Init_Returns_Impulse");
            file.IgnoreBits = ReservedCount(branch, "Ignore_Bits");
            continue;
        }
        // Model_Specific is a wrapper that the parameter string leaves out;
        // definitions straight below the root (old files) count as model specific.
        const bool ok = branch.Name == "Model_Specific" ? reader.Collect(branch, file.Parameters, error)
                                                        : reader.CollectChild(branch, file.Parameters, error);
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
