#include "params/AmiParameters.h"

#include <cstring>
#include <new>
#include <vector>

#include "params/AmiMemory.h"
#include "params/DecimalNumber.h"

namespace {

// The double nearest to a plain decimal number as ClassifyAmiValue accepts it
// ([ws][+-]digits[.digits][e[+-]digits]). The C locale's decimal point is
// ignored on purpose: a simulator may run under any locale.
double ToDouble(const char* text)
{
    const char* s = text;
    SkipSpaces(&s);
    const bool negative = *s == '-';
    if (*s == '+' || *s == '-')
        ++s;
    const double magnitude = DecimalToDouble(s);
    return negative ? -magnitude : magnitude;
}

// Path of a child below a node whose path is the first `matched` bytes of
// `query`: that path, "." unless it is empty, and `name`. True when the
// child's path is a prefix of the query; `childMatched` then gets its length.
// No leaf below a node whose path is not such a prefix can equal the query.
bool ChildPathIsPrefix(const char* query, std::size_t matched, const char* name, std::size_t& childMatched)
{
    const char* q = query + matched;
    if (matched > 0) {
        if (*q != '.')
            return false;
        ++q;
    }
    for (const char* n = name; *n != '\0'; ++n, ++q)
        if (*q != *n) // also stops at the query's end, since *n is not NUL
            return false;
    childMatched = static_cast<std::size_t>(q - query);
    return true;
}

// One open branch of the depth-first walk.
struct Frame {
    const AmiBranch* Branch;
    int NextChild;       // index of the next child to visit
    std::size_t Matched; // length of the branch's path, a prefix of the query
};

bool EqualsIgnoringCase(const char* a, const char* b)
{
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        const char x = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a - 'A' + 'a') : *a;
        const char y = (*b >= 'A' && *b <= 'Z') ? static_cast<char>(*b - 'A' + 'a') : *b;
        if (x != y)
            return false;
    }
    return *a == *b;
}

} // namespace

AmiParameters::AmiParameters(const char* text) : Ok(false), Tree(nullptr)
{
    if (text == nullptr)
        return;
    char* copy = AmiMemory::DuplicateText(text);
    if (copy == nullptr)
        return;
    Ok = ParseAmiTree(copy, &Tree) == AmiParseOk;
    AmiMemory::Release(copy);
}

AmiParameters::~AmiParameters() { ReleaseAmiTree(&Tree); }

const AmiLeaf* AmiParameters::FindLeaf(const char* path) const
{
    if (!Ok || path == nullptr || Tree == nullptr || Tree->Entries == nullptr || Tree->SlotCount < 1)
        return nullptr;
    const AmiTreeEntry& root = Tree->Entries[0];
    if (root.Record == nullptr || root.Kind != AmiNodeBranch)
        return nullptr;

    // Iterative depth-first walk in text order, so that nesting depth costs
    // heap, not call stack; subtrees whose path cannot lead to the query are
    // passed over, which changes no result.
    const auto* rootBranch = static_cast<const AmiBranch*>(root.Record);
    std::size_t rootMatched = 0;
    if (!ChildPathIsPrefix(path, 0, rootBranch->Name, rootMatched))
        return nullptr;
    try {
        std::vector<Frame> open;
        open.push_back(Frame{rootBranch, 0, rootMatched});
        while (!open.empty()) {
            Frame& frame = open.back();
            if (frame.NextChild >= frame.Branch->ChildCount) {
                open.pop_back();
                continue;
            }
            const AmiTreeEntry& child = frame.Branch->Children[frame.NextChild++];
            if (child.Record == nullptr)
                continue;
            // Name is the first member of both records.
            const char* name = child.Kind == AmiNodeLeaf ? static_cast<const AmiLeaf*>(child.Record)->Name
                                                         : static_cast<const AmiBranch*>(child.Record)->Name;
            std::size_t matched = 0;
            if (!ChildPathIsPrefix(path, frame.Matched, name, matched))
                continue;
            if (child.Kind == AmiNodeLeaf) {
                if (path[matched] == '\0')
                    return static_cast<const AmiLeaf*>(child.Record);
            } else {
                open.push_back(Frame{static_cast<const AmiBranch*>(child.Record), 0, matched});
            }
        }
    } catch (const std::bad_alloc&) {
        // Out of memory for the walk: reported as not found.
    }
    return nullptr;
}

const AmiValue* AmiParameters::FirstValue(const char* path, AmiValueType first, AmiValueType second) const
{
    const AmiLeaf* leaf = FindLeaf(path);
    if (leaf == nullptr || leaf->Values == nullptr)
        return nullptr;
    const AmiValue* value = &leaf->Values[0];
    return value->Type == first || value->Type == second ? value : nullptr;
}

bool AmiParameters::GetInt(int32_t& value, const char* path) const
{
    const AmiValue* first = FirstValue(path, AmiValueInteger, AmiValueFloat);
    if (first == nullptr)
        return false;
    const double x = ToDouble(first->Text);
    if (!(x > -2147483649.0))
        value = INT32_MIN;
    else if (!(x < 2147483648.0))
        value = INT32_MAX;
    else
        value = static_cast<int32_t>(x); // truncates toward zero
    return true;
}

bool AmiParameters::GetDouble(double& value, const char* path) const
{
    const AmiValue* first = FirstValue(path, AmiValueInteger, AmiValueFloat);
    if (first == nullptr)
        return false;
    value = ToDouble(first->Text);
    return true;
}

bool AmiParameters::GetString(std::string& value, const char* path) const
{
    const AmiValue* first = FirstValue(path, AmiValueText, AmiValueText);
    if (first == nullptr)
        return false;
    try {
        value.assign(first->Text); // leaves `value` as it was if it throws
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool AmiParameters::GetBool(bool& value, const char* path) const
{
    const AmiValue* first = FirstValue(path, AmiValueBoolean, AmiValueBoolean);
    if (first == nullptr)
        return false;
    value = EqualsIgnoringCase(first->Text, "true");
    return true;
}
