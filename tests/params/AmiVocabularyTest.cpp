#include "params/AmiVocabulary.h"

#include <gtest/gtest.h>

#include <string>

// Every reserved word, written as the vocabulary writes it, is classified by
// the parser as the code it stands for: the one table serves both ways.
TEST(AmiVocabulary, EveryWordParsesBackToItsCode)
{
    for (int code = 0; code < AmiVocabulary::ValueKeywordCount; ++code) {
        const auto keyword = static_cast<AmiValueKeyword>(code);
        const std::string text = std::string("(r (x ") + AmiVocabulary::ValueText(keyword) + "))";
        AmiTree* tree = nullptr;
        ASSERT_EQ(ParseAmiTree(text.c_str(), &tree), AmiParseOk) << text;
        EXPECT_EQ(static_cast<const AmiLeaf*>(tree->Entries[1].Record)->Values[0].Keyword, keyword) << text;
        ReleaseAmiTree(&tree);
    }
    for (int code = 1; code <= AmiVocabulary::NameKeywordCount; ++code) {
        const auto keyword = static_cast<AmiNameKeyword>(code);
        const std::string text = std::string("(r (") + AmiVocabulary::NameText(keyword) + " 1))";
        AmiTree* tree = nullptr;
        ASSERT_EQ(ParseAmiTree(text.c_str(), &tree), AmiParseOk) << text;
        EXPECT_EQ(static_cast<const AmiLeaf*>(tree->Entries[1].Record)->NameKeyword, keyword) << text;
        ReleaseAmiTree(&tree);
    }
    EXPECT_STREQ(AmiVocabulary::ValueText(AmiKeywordNone), "");
    EXPECT_STREQ(AmiVocabulary::NameText(AmiNameNone), "");
    EXPECT_EQ(AmiVocabulary::ValueKeywordOf("dual-dirac"), AmiKeywordNone);
}
