#pragma once

#include "params/AmiTree.h"

// The reserved words of IBIS-AMI parameter trees as they are written, one
// table per kind, indexed by their codes in AmiTree.h; the parser classifies
// names and values with them and the .ami readers name them in messages.
class AmiVocabulary {
public:
    static constexpr int NameKeywordCount = 6;  // AmiNameUsage .. AmiNameLabels
    static constexpr int ValueKeywordCount = 20; // AmiKeywordIn .. AmiKeywordDjRj

    // "Usage" for AmiNameUsage ...; "" for AmiNameNone or a code out of range.
    static const char* NameText(AmiNameKeyword keyword);
    // "In" for AmiKeywordIn ...; "" for AmiKeywordNone or a code out of range.
    static const char* ValueText(AmiValueKeyword keyword);

    // The code of `name` (whole, case-sensitive), AmiNameNone for any other.
    static AmiNameKeyword NameKeywordOf(const char* name);
    // The code of `word` (whole, case-sensitive), AmiKeywordNone for any other.
    static AmiValueKeyword ValueKeywordOf(const char* word);

    // The three groups of value words: usage (In, Out, Info, InOut), type
    // (Float .. UI) and format (Value .. DjRj).
    static bool IsUsage(AmiValueKeyword k) { return k >= AmiKeywordIn && k <= AmiKeywordInOut; }
    static bool IsType(AmiValueKeyword k) { return k >= AmiKeywordFloat && k <= AmiKeywordUI; }
    static bool IsFormat(AmiValueKeyword k) { return k >= AmiKeywordValue && k <= AmiKeywordDjRj; }
};
