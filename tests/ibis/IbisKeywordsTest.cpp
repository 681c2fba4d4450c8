#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "ibis/reader/IbisKeywords.h"
#include "ibis/reader/IbisSyntax.h"

namespace {

// `name` with a blank for every underscore, as most files write keywords.
std::string WithBlanks(std::string name)
{
    std::replace(name.begin(), name.end(), '_', ' ');
    return name;
}

} // namespace

// A keyword is found however the file writes its blanks (IBIS takes an
// underscore for a blank), whichever spelling the table holds: the table
// keeps some names with underscores, some with blanks.
TEST(IbisKeywords, AKeywordIsFoundWithBlanksOrUnderscoresAndOnlyWhole)
{
    for (const char* written : {"Model_Spec", "Submodel_spec", "Series_Pin_Mapping", "GND_Clamp"}) {
        EXPECT_NE(IbisKeywords::Find(IbisSyntax::KeywordName(written)), nullptr) << written;
        EXPECT_NE(IbisKeywords::Find(IbisSyntax::KeywordName(WithBlanks(written))), nullptr) << written;
    }
    EXPECT_EQ(IbisKeywords::Find(IbisSyntax::KeywordName("Model_Spe")), nullptr);
    EXPECT_EQ(IbisKeywords::Find(IbisSyntax::KeywordName("Model_Specs")), nullptr);
    EXPECT_EQ(IbisKeywords::Find(IbisSyntax::KeywordName("Modle")), nullptr);
}
