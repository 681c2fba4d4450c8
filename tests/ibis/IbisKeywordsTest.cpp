#include <gtest/gtest.h>

#include "ibis/reader/IbisKeywords.h"
#include "ibis/reader/IbisSyntax.h"

// A keyword is found however the file writes its blanks (IBIS takes an
// underscore for a blank), and the table's own spelling does not matter.
TEST(IbisKeywords, AKeywordIsFoundWithBlanksOrUnderscoresAndOnlyWhole)
{
    for (const char* written : {"Model Spec", "Model_Spec", "submodel spec", "GND Clamp", "gnd_clamp"})
        EXPECT_NE(IbisKeywords::Find(IbisSyntax::KeywordName(written)), nullptr) << written;
    EXPECT_EQ(IbisKeywords::Find(IbisSyntax::KeywordName("Model Spe")), nullptr);
    EXPECT_EQ(IbisKeywords::Find(IbisSyntax::KeywordName("Model Specs")), nullptr);
    EXPECT_EQ(IbisKeywords::Find(IbisSyntax::KeywordName("Modle")), nullptr);
}
