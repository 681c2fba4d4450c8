#include "params/AmiTree.h"

#include <climits>
#include <cstddef>
#include <cstring>

#include "params/AmiMemory.h"
#include "params/AmiText.h"
#include "params/AmiVocabulary.h"

namespace {

using AmiText::IsBlank;
using AmiText::IsDigit;

const char* SkipDigits(const char* s)
{
    while (IsDigit(*s))
        ++s;
    return s;
}

// Copy of [begin, end) without its trailing whitespace, or null.
char* CopyTrimmed(const char* begin, const char* end)
{
    while (end > begin && IsBlank(end[-1]))
        --end;
    return AmiMemory::CopyText(begin, static_cast<std::size_t>(end - begin));
}

void ReleaseLeaf(AmiLeaf* leaf)
{
    if (leaf == nullptr)
        return;
    for (int i = 0; i < leaf->ValueCount; ++i)
        AmiMemory::Release(leaf->Values[i].Text);
    AmiMemory::Release(leaf->Values);
    AmiMemory::Release(leaf->Name);
    AmiMemory::Release(leaf);
}

// Appends `entry` to `array` of `count` elements. The capacity is implied by
// the count (the smallest power of two >= count), so the array is regrown
// only when the count reaches a power of two, to twice that: appends stay
// linear in time with any allocator, where regrowing by one element costs a
// copy of the whole array whenever the allocator cannot extend it in place.
// False (array and count untouched) when the storage fails.
template <typename T>
bool AppendOne(T*& array, int& count, const T& entry)
{
    if (count == INT_MAX)
        return false;
    if ((count & (count - 1)) == 0) { // 0 or a power of two: the array is full
        const std::size_t capacity = count == 0 ? 1 : 2 * static_cast<std::size_t>(count);
        void* grown = AmiMemory::Grow(array, capacity * sizeof(T));
        if (grown == nullptr)
            return false;
        array = static_cast<T*>(grown);
    }
    array[count++] = entry;
    return true;
}

// Turns the working copy into entries, one cycle at a time.
//
// Depth counts half levels: +1 when a group's "(" is stepped over, +1 when
// its entry is made, -2 when it closes; an entry's level is depth / 2. The
// cycle counter rises by 1 per cycle and falls by 1 per ")" met while reading
// a name; the scan ends once it reaches the slot count, so text beyond that
// point is never examined.
class Scanner {
public:
    // `work`: the working copy, from the first "(" on; quotes of scanned
    // values become blanks in it.
    Scanner(char* work, AmiTree* tree)
        : p_(work), tree_(tree), capacity_(tree->SlotCount)
    {
    }

    AmiParseResult Run()
    {
        while (cycle_ < capacity_) {
            modified_ = false;
            closedInCycle_ = false;
            atEnd_ = false;
            const int entriesBefore = Entries;
            AmiParseResult result = RunCycle();
            if (result != AmiParseOk)
                return result;
            ++cycle_;
            // A cycle that met the end of the text without closing anything
            // and without touching the copy is repeated verbatim by every
            // later cycle: same path, same outcome, only depth and slot move.
            if (atEnd_ && !closedInCycle_ && !modified_) {
                if (Entries == entriesBefore)
                    break; // nothing more can be made or fail
                // Each remaining cycle would make the same leaf again; the
                // slots run out first when fewer are left than cycles.
                if (capacity_ - cycle_ > capacity_ - Entries)
                    return AmiParseTooManyGroups;
            }
        }
        return AmiParseOk;
    }

    int Entries = 0; // entries made so far; the next one goes to slot Entries

private:
    AmiParseResult RunCycle()
    {
        char* q = p_;
        if (*q == '(') {
            ++q;
            ++depth_;
            SkipSpaces(&q);
        }
        char* nameStart = q;
        char* mark = nullptr; // first whitespace after the name start
        for (;;) {
            const char c = *q;
            if (c == '\0') {
                atEnd_ = true;
                return AmiParseOk;
            }
            if (c == '(') {
                ++depth_;
                if (Entries >= capacity_)
                    return AmiParseTooManyGroups;
                char* nameEnd = mark != nullptr ? mark : q;
                if (nameEnd < nameStart)
                    return AmiParseBadToken;
                MakeEntry<AmiBranch>(AmiNodeBranch, nameStart, nameEnd);
                p_ = q; // this "(" opens the first child in the next cycle
                ++Entries;
                return AmiParseOk;
            }
            if (c == ')') {
                ++q;
                SkipSpaces(&q);
                if (depth_ < 2)
                    return AmiParseUnexpectedClose;
                depth_ -= 2;
                if (cycle_ < 1)
                    return AmiParseUnexpectedClose;
                --cycle_;
                closedInCycle_ = true;
                p_ = q;
                if (*q == '(') {
                    ++q;
                    ++depth_;
                }
                SkipSpaces(&q);
                nameStart = q; // the mark stays: a stale one makes the next leaf a bad token
                continue;
            }
            if (IsBlank(c)) {
                if (mark == nullptr)
                    mark = q;
                ++q;
                continue;
            }
            if (mark != nullptr)
                return ScanLeaf(nameStart, mark, q);
            ++q;
        }
    }

    // Slot `Entries` gets an entry of `kind` at the current level, whose
    // record is named [nameStart, nameEnd). Without storage for the record or
    // its name the slot keeps no record, and the result is null.
    template <typename Record>
    Record* MakeEntry(AmiNodeKind kind, const char* nameStart, const char* nameEnd)
    {
        AmiTreeEntry& slot = tree_->Entries[Entries];
        slot.Kind = kind;
        slot.Level = depth_ / 2;
        auto* record = static_cast<Record*>(AmiMemory::Allocate(sizeof(Record)));
        if (record != nullptr) {
            record->Name = CopyTrimmed(nameStart, nameEnd);
            if (record->Name == nullptr) {
                AmiMemory::Release(record);
                record = nullptr;
            }
        }
        slot.Record = record;
        return record;
    }

    // A value that cannot be stored is left out; so are all values of a leaf
    // without a record.
    static void AppendValue(AmiLeaf* leaf, const char* begin, const char* end)
    {
        if (leaf == nullptr)
            return;
        AmiValue value;
        value.Text = CopyTrimmed(begin, end);
        if (value.Text == nullptr)
            return;
        value.Keyword = AmiKeywordNone;
        value.Type = ClassifyAmiValue(value.Text);
        if (value.Type == AmiValueText)
            ClassifyAmiValueKeyword(&value, value.Text);
        if (!AppendOne(leaf->Values, leaf->ValueCount, value))
            AmiMemory::Release(value.Text);
    }

    // The group whose name ends at `mark` holds values, starting at q.
    AmiParseResult ScanLeaf(const char* nameStart, const char* mark, char* q)
    {
        ++depth_;
        const int leafDepth = depth_;
        if (Entries >= capacity_)
            return AmiParseTooManyGroups;
        if (mark < nameStart)
            return AmiParseBadToken;
        AmiLeaf* leaf = MakeEntry<AmiLeaf>(AmiNodeLeaf, nameStart, mark);
        if (leaf != nullptr)
            leaf->NameKeyword = AmiVocabulary::NameKeywordOf(leaf->Name);
        const char* valueStart = q;
        const char* valueMark = nullptr; // first whitespace after the value start
        for (;;) {
            const char c = *q;
            if (c == '(')
                return DropLeaf(q, leafDepth);
            if (c == ')') {
                AppendValue(leaf, valueStart, q);
                ++q;
                SkipSpaces(&q);
                if (leafDepth < 2)
                    return AmiParseUnexpectedClose;
                depth_ = leafDepth - 2;
                p_ = q;
                ++Entries;
                return AmiParseOk;
            }
            if (c == '\0') {
                // The leaf stands with the values completed so far.
                ++Entries;
                atEnd_ = true;
                return AmiParseOk;
            }
            if (IsBlank(c)) {
                if (valueMark == nullptr)
                    valueMark = q;
                ++q;
                continue;
            }
            if (valueMark != nullptr) {
                AppendValue(leaf, valueStart, valueMark);
                valueStart = q;
                valueMark = nullptr;
                continue; // look at this character again
            }
            if (c == '"') {
                // Quoted value: both quotes become blanks, so the closing one
                // ends the value like any whitespace; what stood before the
                // opening quote in this value is dropped.
                *q = ' ';
                modified_ = true;
                valueStart = q + 1;
                char* close = std::strchr(q + 1, '"');
                if (close == nullptr) {
                    q += std::strlen(q); // unclosed: the value is lost at the end of the text
                    continue;
                }
                *close = ' ';
                q = close;
                continue;
            }
            ++q;
        }
    }

    // A leaf met a "(" among its values: the whole group, subgroups included,
    // stays out of the tree and its slot is given back (Kind and Level stay).
    AmiParseResult DropLeaf(char* q, int leafDepth)
    {
        AmiTreeEntry& slot = tree_->Entries[Entries];
        ReleaseLeaf(static_cast<AmiLeaf*>(slot.Record));
        slot.Record = nullptr;
        long open = 1; // the leaf's own "("
        for (;;) {
            const char c = *q;
            if (c == '\0') {
                atEnd_ = true;
                return AmiParseOk;
            }
            if (c == '"') {
                char* close = std::strchr(q + 1, '"');
                q = close != nullptr ? close + 1 : q + std::strlen(q);
                continue;
            }
            ++q;
            if (c == '(') {
                ++open;
            } else if (c == ')' && --open == 0) {
                break;
            }
        }
        while (IsBlank(*q))
            ++q;
        if (leafDepth < 2)
            return AmiParseUnexpectedClose;
        depth_ = leafDepth - 2;
        p_ = q;
        return AmiParseOk;
    }

    char* p_;            // where the next cycle starts
    AmiTree* tree_;      // receives the entries; owns every record made
    const int capacity_; // slot count
    int depth_ = 0;      // half levels, see the class comment
    int cycle_ = 0;      // cycle counter
    bool atEnd_ = false;         // this cycle met the end of the text
    bool closedInCycle_ = false; // this cycle met a ")" while reading a name
    bool modified_ = false;      // this cycle turned quotes into blanks
};

// Links the first `count` slots into the hierarchy: each entry's parent is
// the nearest earlier branch one level up, found on a stack of open branches.
// Levels start at 0, not 1, when the first group was dropped and a stray
// word after it became the root, and the pushed levels rise by one from the
// root's: the stack needs one place per level from 0 to the largest.
AmiParseResult LinkEntries(AmiTree* tree, int count)
{
    int maxLevel = 0;
    for (int i = 0; i < count; ++i)
        if (tree->Entries[i].Level > maxLevel)
            maxLevel = tree->Entries[i].Level;
    auto* stack = static_cast<AmiTreeEntry*>(
        AmiMemory::Allocate((static_cast<std::size_t>(maxLevel) + 1) * sizeof(AmiTreeEntry)));
    if (stack == nullptr)
        return AmiParseNoMemory;

    AmiParseResult result = AmiParseOk;
    int top = -1; // index of the innermost open branch; stack[0] is the root
    for (int i = 0; i < count && result == AmiParseOk; ++i) {
        const AmiTreeEntry entry = tree->Entries[i];
        if (i == 0 && entry.Kind == AmiNodeBranch) {
            stack[++top] = entry;
            continue;
        }
        while (top >= 0 && stack[top].Level >= entry.Level) {
            if (top == 0) {
                result = AmiParseOutsideRoot;
                break;
            }
            --top;
        }
        if (result != AmiParseOk)
            break;
        if (top < 0 || stack[top].Record == nullptr) {
            result = AmiParseMissingNode;
            break;
        }
        // A level jump (e.g. a group after a dropped one's remains) joins no
        // list; a branch so skipped is not opened, so its children skip too.
        if (entry.Level != stack[top].Level + 1)
            continue;
        auto* parent = static_cast<AmiBranch*>(stack[top].Record);
        AppendOne(parent->Children, parent->ChildCount, entry); // on failure the group is left out
        if (entry.Kind == AmiNodeBranch)
            stack[++top] = entry;
    }
    AmiMemory::Release(stack);
    return result;
}

} // namespace

void SkipSpaces(const char** cursor)
{
    if (cursor == nullptr || *cursor == nullptr)
        return;
    const char* s = *cursor;
    while (IsBlank(*s))
        ++s;
    *cursor = s;
}

void SkipSpaces(char** cursor)
{
    if (cursor == nullptr)
        return;
    const char* s = *cursor;
    SkipSpaces(&s);
    *cursor = const_cast<char*>(s); // the caller's own text, writable as it came
}

AmiValueType ClassifyAmiValue(const char* text)
{
    if (text == nullptr || *text == '\0')
        return AmiValueEmpty;
    const char* s = text;
    SkipSpaces(&s);
    if (*s == '+' || *s == '-')
        ++s;
    const char* integerEnd = SkipDigits(s);
    const bool integerDigits = integerEnd > s;
    if (integerDigits && *integerEnd == '\0')
        return AmiValueInteger;

    // Plain decimal forms only: no hexadecimal, infinity or not-a-number.
    const char* f = integerEnd;
    bool mantissaDigits = integerDigits;
    if (*f == '.') {
        const char* fraction = f + 1;
        f = SkipDigits(fraction);
        mantissaDigits = mantissaDigits || f > fraction;
    }
    if (mantissaDigits) {
        if (*f == 'e' || *f == 'E') {
            const char* e = f + 1;
            if (*e == '+' || *e == '-')
                ++e;
            const char* exponentEnd = SkipDigits(e);
            if (exponentEnd > e)
                f = exponentEnd;
        }
        if (*f == '\0')
            return AmiValueFloat;
    }

    if (std::strcmp(text, "True") == 0 || std::strcmp(text, "False") == 0)
        return AmiValueBoolean;
    return AmiValueText;
}

void ClassifyAmiValueKeyword(AmiValue* value, const char* text)
{
    if (value == nullptr || text == nullptr)
        return;
    const AmiValueKeyword keyword = AmiVocabulary::ValueKeywordOf(text);
    if (keyword != AmiKeywordNone)
        value->Keyword = keyword;
}

void ReleaseAmiTree(AmiTree** tree)
{
    if (tree == nullptr || *tree == nullptr)
        return;
    AmiTree* t = *tree;
    for (int i = 0; t->Entries != nullptr && i < t->SlotCount; ++i) {
        const AmiTreeEntry& slot = t->Entries[i];
        if (slot.Record == nullptr)
            continue;
        if (slot.Kind == AmiNodeBranch) {
            auto* branch = static_cast<AmiBranch*>(slot.Record);
            AmiMemory::Release(branch->Name);
            AmiMemory::Release(branch->Children); // the children's records belong to their slots
            AmiMemory::Release(branch);
        } else {
            ReleaseLeaf(static_cast<AmiLeaf*>(slot.Record));
        }
    }
    AmiMemory::Release(t->Entries);
    AmiMemory::Release(t);
    *tree = nullptr;
}

namespace {

AmiParseResult Parse(const char* text, AmiTree** tree)
{
    if (text == nullptr || tree == nullptr)
        return AmiParseMissingNode;
    const char* start = text;
    SkipSpaces(&start);
    if (*start != '(')
        return AmiParseNoOpenParenthesis;

    std::size_t opens = 0;
    std::size_t closes = 0;
    bool quoted = false;
    for (const char* s = start; *s != '\0'; ++s) {
        if (*s == '"')
            quoted = !quoted;
        else if (!quoted && *s == '(')
            ++opens;
        else if (!quoted && *s == ')')
            ++closes;
    }
    if (opens != closes)
        return AmiParseUnbalanced;
    if (opens > static_cast<std::size_t>(INT_MAX))
        return AmiParseNoMemory; // slot count and indices are 32-bit

    auto* result = static_cast<AmiTree*>(AmiMemory::Allocate(sizeof(AmiTree)));
    if (result == nullptr)
        return AmiParseNoMemory;
    result->Entries = static_cast<AmiTreeEntry*>(AmiMemory::Allocate(opens * sizeof(AmiTreeEntry)));
    if (result->Entries == nullptr) {
        AmiMemory::Release(result);
        return AmiParseNoMemory;
    }
    result->SlotCount = static_cast<int>(opens);

    char* work = AmiMemory::DuplicateText(start);
    if (work == nullptr) {
        // Reported by the copy; the tree stands with every slot empty.
        *tree = result;
        return AmiParseOk;
    }

    Scanner scanner(work, result);
    AmiParseResult code = scanner.Run();
    // A scan that made no entry (its only group dropped) has no root: it is
    // refused like a first group that is a leaf.
    if (code == AmiParseOk)
        code = scanner.Entries > 0 ? LinkEntries(result, scanner.Entries) : AmiParseMissingNode;
    AmiMemory::Release(work);
    if (code != AmiParseOk) {
        ReleaseAmiTree(&result);
        return code;
    }
    *tree = result;
    return AmiParseOk;
}

} // namespace

AmiParseResult ParseAmiTree(const char* text, AmiTree** tree) { return Parse(text, tree); }

