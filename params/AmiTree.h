#pragma once

// The AMI parameter tree: the parenthesised parameter string that a channel
// simulator hands to AMI_Init, e.g. "(Halvex_tx (de 3))", parsed into a list
// of groups in text order, linked into branches (groups of groups) and leaves
// (groups of values).
//
// Layout is C-compatible. Every text, record and array reachable from an
// AmiTree is owned by the tree and released with ReleaseAmiTree. Integers are
// 32-bit. Whitespace means the six characters space, \t, \n, \v, \f, \r; the
// double quote is the only quoting character and there is no escape.

enum AmiNodeKind { AmiNodeBranch = 0, AmiNodeLeaf = 1 };

// Class of a value's text, set by ClassifyAmiValue.
enum AmiValueType {
    AmiValueEmpty = -1,  // empty text
    AmiValueText = 0,    // none of the classes below
    AmiValueInteger = 1, // [ws][+-]digits, any magnitude
    AmiValueBoolean = 2, // exactly "True" or "False"
    AmiValueFloat = 3    // [ws][+-](digits[.digits] | .digits)[(e|E)[+-]digits]
};

// Reserved leaf names, compared whole and case-sensitively.
enum AmiNameKeyword {
    AmiNameNone = 0,
    AmiNameUsage = 1,
    AmiNameType = 2,
    AmiNameFormat = 3,
    AmiNameDefault = 4,
    AmiNameDescription = 5,
    AmiNameLabels = 6
};

// Reserved words among the values of type AmiValueText: usage words (0-3),
// type words (4-9), format words (10-19). -1 for any other value.
enum AmiValueKeyword {
    AmiKeywordNone = -1,
    AmiKeywordIn = 0,
    AmiKeywordOut = 1,
    AmiKeywordInfo = 2,
    AmiKeywordInOut = 3,
    AmiKeywordFloat = 4,
    AmiKeywordInteger = 5,
    AmiKeywordString = 6,
    AmiKeywordBoolean = 7,
    AmiKeywordTap = 8,
    AmiKeywordUI = 9,
    AmiKeywordValue = 10,
    AmiKeywordRange = 11,
    AmiKeywordList = 12,
    AmiKeywordCorner = 13,
    AmiKeywordIncrement = 14,
    AmiKeywordSteps = 15,
    AmiKeywordTable = 16,
    AmiKeywordGaussian = 17,
    AmiKeywordDualDirac = 18,
    AmiKeywordDjRj = 19
};

enum AmiParseResult {
    AmiParseOk = 0,
    AmiParseUnbalanced = 1,        // "(" and ")" outside quotes differ in number
    AmiParseNoOpenParenthesis = 2, // first non-blank character is not "(" (empty text included)
    AmiParseMissingNode = 3,       // no text or no place for the result; the first group is a
                                   // leaf or no group was made; a parent group has no record
    AmiParseNoMemory = 4,          // the tree, its slot array or the linking stack could not be had
    AmiParseOutsideRoot = 5,       // a group after the root at the root's level or above
    AmiParseUnexpectedClose = 6,   // ")" closes more than is open; "()" and name-only groups
    AmiParseTooManyGroups = 7,     // the scan made more groups than there are slots
    AmiParseBadToken = 8           // the blank that ends a name lies before the name's start
};

struct AmiValue {
    char* Text;              // without quotes and trailing whitespace; owned
    AmiValueType Type;
    AmiValueKeyword Keyword;
};

struct AmiTreeEntry {
    AmiNodeKind Kind;
    int Level;    // root 1, child = parent + 1
    void* Record; // AmiBranch* (branch) or AmiLeaf* (leaf); null when the slot is empty
};

// The first three members of AmiBranch and AmiLeaf match (name, array, count).
// Each array holds room for the smallest power of two >= its count.
struct AmiBranch {
    char* Name;             // may be empty; owned
    AmiTreeEntry* Children; // copies of the children's slots, text order; records are the slots'
    int ChildCount;
};

struct AmiLeaf {
    char* Name;       // owned
    AmiValue* Values; // text order; null while there is none
    int ValueCount;
    AmiNameKeyword NameKeyword;
};

// Entries: one slot per "(" outside quotes; entries fill them from slot 0 in
// the order in which their groups begin (pre-order). After AmiParseOk slot 0
// holds the root branch, except when the working copy of the text could not
// be allocated: then every slot is empty. SlotCount stays the number of "(".
// A slot whose group was dropped keeps its Kind and Level with a null Record.
struct AmiTree {
    AmiTreeEntry* Entries;
    int SlotCount;
};

// Parses the NUL-terminated `text` (not modified) into a new tree. On
// AmiParseOk *tree receives it and the caller owns it; on any other result
// *tree keeps what it held and nothing allocated remains. Writes nothing
// except the allocation-failure messages of AmiMemory. Runs in time linear in
// the text's length for every text without a double quote inside a group name.
AmiParseResult ParseAmiTree(const char* text, AmiTree** tree);

// Releases *tree and all it owns and sets *tree to null. Null `tree` or null
// *tree does nothing.
void ReleaseAmiTree(AmiTree** tree);

// The AmiValueType of `text`; null counts as empty.
AmiValueType ClassifyAmiValue(const char* text);

// Sets value->Keyword when `text` is one of the twenty reserved value words;
// otherwise leaves it unchanged. Null arguments do nothing.
void ClassifyAmiValueKeyword(AmiValue* value, const char* text);

// Moves *cursor over whitespace of any length, stopping at the first other
// character or at the terminating NUL. Null `cursor` or *cursor does nothing.
void SkipSpaces(const char** cursor);
void SkipSpaces(char** cursor);
