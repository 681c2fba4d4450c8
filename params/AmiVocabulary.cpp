#include "params/AmiVocabulary.h"

#include <cstring>

namespace {

const char* const NameTexts[AmiVocabulary::NameKeywordCount] = {"Usage",   "Type",        "Format",
                                                                "Default", "Description", "Labels"};

const char* const ValueTexts[AmiVocabulary::ValueKeywordCount] = {
    "In",    "Out",   "Info", "InOut",  "Float",     "Integer", "String", "Boolean",  "Tap",        "UI",
    "Value", "Range", "List", "Corner", "Increment", "Steps",   "Table",  "Gaussian", "Dual-Dirac", "DjRj"};

} // namespace

const char* AmiVocabulary::NameText(AmiNameKeyword keyword)
{
    const int i = static_cast<int>(keyword) - 1;
    return i >= 0 && i < NameKeywordCount ? NameTexts[i] : "";
}

const char* AmiVocabulary::ValueText(AmiValueKeyword keyword)
{
    const int i = static_cast<int>(keyword);
    return i >= 0 && i < ValueKeywordCount ? ValueTexts[i] : "";
}

AmiNameKeyword AmiVocabulary::NameKeywordOf(const char* name)
{
    for (int i = 0; i < NameKeywordCount; ++i)
        if (std::strcmp(name, NameTexts[i]) == 0)
            return static_cast<AmiNameKeyword>(i + 1);
    return AmiNameNone;
}

AmiValueKeyword AmiVocabulary::ValueKeywordOf(const char* word)
{
    for (int i = 0; i < ValueKeywordCount; ++i)
        if (std::strcmp(word, ValueTexts[i]) == 0)
            return static_cast<AmiValueKeyword>(i);
    return AmiKeywordNone;
}
