#include "tools/amihost/amifile/AmiDefinitionReader.h"

#include <cstdlib>
#include <cstring>

#include "params/AmiVocabulary.h"

namespace {

using Definition = AmiParameterDefinition;

using Reader = AmiDefinitionReader;

// The formats a sent parameter may have, with the number of values each
// takes (0: one or more) and their layout for messages.
struct FormatLayout {
    AmiValueKeyword Word;
    std::size_t Count;
    const char* Layout;
};
const FormatLayout FormatLayouts[] = {
    {AmiKeywordValue, 1, "v"},
    {AmiKeywordRange, 3, "typ min max"},
    {AmiKeywordList, 0, "v1 v2 ..."},
    {AmiKeywordCorner, 3, "typ slow fast"},
    {AmiKeywordIncrement, 4, "typ min max delta"},
    {AmiKeywordSteps, 4, "typ min max n"},
};

const FormatLayout* LayoutOf(const std::string& word)
{
    const AmiValueKeyword keyword = AmiVocabulary::ValueKeywordOf(word.c_str());
    for (const FormatLayout& layout : FormatLayouts)
        if (layout.Word == keyword)
            return &layout;
    return nullptr;
}

double NumberOf(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

} // namespace

bool AmiDefinitionReader::IsDefinition(const AmiNode& branch)
{
    for (const AmiNode& child : branch.Children)
        if (child.IsLeaf() && (child.NameKeyword == AmiNameUsage || child.NameKeyword == AmiNameType))
            return true;
    return false;
}

std::string AmiDefinitionReader::Where(const AmiNode& node, const Definition& d) const
{
    return fileName_ + ":" + std::to_string(node.Line) + ": parameter " + d.DottedPath();
}

bool AmiDefinitionReader::Collect(const AmiNode& branch, std::vector<Definition>& out, std::string& error)
{
    for (const AmiNode& entry : branch.Children) {
        const AmiNode* child = Reader::BranchOf(entry);
        // A leaf among definitions is a description or a note.
        if (child && !CollectChild(*child, out, error))
            return false;
    }
    return true;
}

bool AmiDefinitionReader::CollectChild(const AmiNode& child, std::vector<Definition>& out, std::string& error)
{
    path_.emplace_back(child.Name);
    bool ok = true;
    if (IsDefinition(child)) {
        Definition definition;
        ok = Read(child, definition, error);
        if (ok && definition.Sent())
            out.push_back(std::move(definition));
    } else {
        ok = Collect(child, out, error);
    }
    path_.pop_back();
    return ok;
}

bool AmiDefinitionReader::Read(const AmiNode& branch, Definition& d, std::string& error)
{
    d = Definition();
    d.Path = path_;
    d.Line = branch.Line;
    Leaves leaves;
    static const Word Usage = {"Usage", "In|Out|InOut|Info", AmiVocabulary::IsUsage};
    static const Word Type = {"Type", "Float|Integer|String|Boolean|Tap|UI", AmiVocabulary::IsType};
    if (!Gather(branch, d.DottedPath(), leaves, error) || !ReadWord(branch, leaves.Usage, Usage, d, d.Usage, error))
        return false;
    if (!d.Sent())
        return true; // not sent: its value and format do not matter here
    return ReadWord(branch, leaves.Type, Type, d, d.Type, error) && ReadFormat(branch, leaves, d, error) &&
           CheckValues(*leaves.Format, d, error) && ReadDefault(leaves, d, error);
}

bool AmiDefinitionReader::Gather(const AmiNode& branch, const std::string& name, Leaves& leaves,
                                 std::string& error)
{
    for (const AmiNode& child : branch.Children) {
        const AmiNode* leaf = Reader::LeafOf(child);
        if (!leaf)
            continue; // sub-groups of a definition (e.g. a table's rows) say nothing about its value
        const AmiNode** slot = nullptr;
        if (leaf->NameKeyword == AmiNameUsage)
            slot = &leaves.Usage;
        else if (leaf->NameKeyword == AmiNameType)
            slot = &leaves.Type;
        else if (leaf->NameKeyword == AmiNameDefault)
            slot = &leaves.Default;
        else if (leaf->NameKeyword == AmiNameFormat ||
                 AmiVocabulary::IsFormat(AmiVocabulary::ValueKeywordOf(leaf->Name.c_str())))
            slot = &leaves.Format;
        if (!slot)
            continue; // Description, Labels, List_Tip and other notes
        if (*slot) {
            error = fileName_ + ":" + std::to_string(leaf->Line) + ": parameter " + name + " declares " +
                    (slot == &leaves.Format ? std::string("its format") : "(" + leaf->Name + " ...)") +
                    " twice";
            return false;
        }
        *slot = leaf;
    }
    return true;
}

bool AmiDefinitionReader::ReadWord(const AmiNode& branch, const AmiNode* leaf, const Word& word, const Definition& d,
                                   AmiValueKeyword& value, std::string& error)
{
    if (!leaf || leaf->Values.size() != 1) {
        error = Where(leaf ? *leaf : branch, d) + " needs one (" + word.Name + " " + word.Choices + ")";
        return false;
    }
    if (!word.Accepts(leaf->Values[0].Keyword)) {
        error = Where(*leaf, d) + ": unknown " + word.Name + " \"" + leaf->Values[0].Text + "\"";
        return false;
    }
    value = leaf->Values[0].Keyword;
    return true;
}

bool AmiDefinitionReader::ReadFormat(const AmiNode& branch, const Leaves& leaves, Definition& d,
                                     std::string& error)
{
    const AmiNode* format = leaves.Format;
    if (!format) {
        error = Where(branch, d) +
                " has no format (Value, Range, List, Corner, Increment or Steps; tables and other forms are not "
                "supported for parameters sent to the model)";
        return false;
    }
    // (Format word values...) in older files, (word values...) in newer ones.
    const bool oldStyle = format->NameKeyword == AmiNameFormat;
    const std::string word = oldStyle ? format->Values[0].Text : format->Name; // a leaf holds a value
    const FormatLayout* layout = LayoutOf(word);
    if (!layout) {
        error = Where(*format, d) + ": format \"" + word + "\" is not supported for a parameter sent to the model";
        return false;
    }
    d.Format = layout->Word;
    for (std::size_t i = oldStyle ? 1 : 0; i < format->Values.size(); ++i)
        d.Values.push_back(format->Values[i].Text);
    if (layout->Count ? d.Values.size() != layout->Count : d.Values.empty()) {
        error = Where(*format, d) + ": " + AmiVocabulary::ValueText(layout->Word) + " needs " +
                (layout->Count ? std::to_string(layout->Count) : std::string("at least 1")) + " value" +
                (layout->Count == 1 ? "" : "s") + " (" + layout->Layout + "), found " + std::to_string(d.Values.size());
        return false;
    }
    return true;
}

// Every value of the format must be of the parameter's type; the range and
// grid must make sense. Checked against an open list first, so that the
// bounds themselves are judged by type only.
bool AmiDefinitionReader::CheckValues(const AmiNode& format, const Definition& d, std::string& error)
{
    const std::string where = Where(format, d);
    const char* word = AmiVocabulary::ValueText(d.Format);
    Definition typeOnly = d;
    typeOnly.Format = AmiKeywordList;
    std::string reason;
    for (const std::string& value : d.Values) {
        typeOnly.Values = {value};
        if (!typeOnly.Accepts(value, reason)) {
            error = where + ": " + reason + " (the Type is " + AmiVocabulary::ValueText(d.Type) + ")";
            return false;
        }
    }
    const bool bounded = d.Format == AmiKeywordRange || d.Format == AmiKeywordIncrement || d.Format == AmiKeywordSteps;
    if (bounded && !d.Numeric())
        error = where + ": " + word + " needs a numeric Type";
    else if (bounded && !(NumberOf(d.Values[1]) <= NumberOf(d.Values[2])))
        error = where + ": the minimum " + d.Values[1] + " is above the maximum " + d.Values[2];
    else if (d.Format == AmiKeywordIncrement && !(NumberOf(d.Values[3]) > 0.0))
        error = where + ": the increment " + d.Values[3] + " is not positive";
    else if (d.Format == AmiKeywordSteps &&
             !(ClassifyAmiValue(d.Values[3].c_str()) == AmiValueInteger && NumberOf(d.Values[3]) >= 1.0))
        error = where + ": the step count " + d.Values[3] + " is not a positive integer";
    else
        return true;
    return false;
}

bool AmiDefinitionReader::ReadDefault(const Leaves& leaves, Definition& d, std::string& error)
{
    if (leaves.Default && leaves.Default->Values.size() != 1) {
        error = Where(*leaves.Default, d) + ": (Default ...) needs exactly one value";
        return false;
    }
    d.Default = leaves.Default ? leaves.Default->Values[0].Text : d.Values[0];
    std::string reason;
    if (!d.Accepts(d.Default, reason)) {
        error = Where(leaves.Default ? *leaves.Default : *leaves.Format, d) +
                ": the default does not fit: " + reason;
        return false;
    }
    return true;
}
