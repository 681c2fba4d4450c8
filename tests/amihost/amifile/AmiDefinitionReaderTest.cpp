#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/amihost/amifile/AmiDefinitionReader.h"
#include "tools/amihost/amifile/AmiGrammar.h"

namespace {

// The tree of `text`, which must parse.
AmiNode Tree(const std::string& text)
{
    AmiNode root;
    std::string error;
    EXPECT_TRUE(AmiGrammar::Parse(text, "m.ami", root, error)) << error;
    return root;
}

// Collects the definitions below the root's first group, as AmiFile does
// for Model_Specific.
bool Collect(const std::string& text, std::vector<AmiParameterDefinition>& out, std::string& error)
{
    const AmiNode root = Tree(text);
    if (root.Children.empty())
        return false;
    AmiDefinitionReader reader("m.ami");
    return reader.Collect(root.Children[0], out, error);
}

std::string ErrorOf(const std::string& text)
{
    std::vector<AmiParameterDefinition> out;
    std::string error;
    EXPECT_FALSE(Collect(text, out, error)) << text;
    return error;
}

} // namespace

// Groups between Model_Specific and a definition make up its path; leaves
// among definitions are notes; Out and Info definitions are read but not kept.
TEST(AmiDefinitionReader, SentDefinitionsAreKeptWithTheirPathAndLine)
{
    std::vector<AmiParameterDefinition> out;
    std::string error;
    ASSERT_TRUE(Collect("(m (Model_Specific\n"
                        " (Description \"notes among definitions\")\n"
                        " (eq\n"
                        "  (taps\n"
                        "   (-1 (Usage In) (Type Tap) (Range -0.1 -0.25 0))\n"
                        "   (0 (Usage InOut) (Type Tap) (Value 1))))\n"
                        " (level (Usage Out) (Type Float))\n"
                        " (note (Usage Info) (Type String) (Format Gaussian 1 2))\n"
                        " (mode (Type String) (Usage In) (List \"a b\" c) (Description \"x\"))))",
                        out, error))
        << error;
    std::vector<std::string> kept;
    for (const AmiParameterDefinition& d : out)
        kept.push_back(d.DottedPath() + "@" + std::to_string(d.Line) + " " + d.Describe());
    EXPECT_EQ(kept, (std::vector<std::string>{"eq.taps.-1@5 Tap, Range -0.25 .. 0, default -0.1",
                                              "eq.taps.0@6 Tap, Value 1, default 1",
                                              "mode@9 String, List a b c, default \"a b\""}));
}

// A group is a definition as soon as it holds a Usage or a Type leaf; one
// without a Usage is a fault whatever else it holds, so that a misspelt
// definition is not taken silently for a group of definitions.
TEST(AmiDefinitionReader, AGroupWithAUsageOrATypeIsADefinition)
{
    const AmiNode root = Tree("(m (a (Type Float)) (b (Usage In)) (c (Range 1 0 2)) (d (x (Usage In))))");
    EXPECT_TRUE(AmiDefinitionReader::IsDefinition(root.Children[0]));
    EXPECT_TRUE(AmiDefinitionReader::IsDefinition(root.Children[1]));
    EXPECT_FALSE(AmiDefinitionReader::IsDefinition(root.Children[2]));
    EXPECT_FALSE(AmiDefinitionReader::IsDefinition(root.Children[3]));
    EXPECT_EQ(ErrorOf("(m (Model_Specific\n (g (Usage In) (Usage Out) (Type Float) (Value 1))))"),
              "m.ami:2: parameter g declares (Usage ...) twice");
    EXPECT_EQ(ErrorOf("(m (Model_Specific\n (g (Usage In In) (Type Float) (Value 1))))"),
              "m.ami:2: parameter g needs one (Usage In|Out|InOut|Info)");
    EXPECT_EQ(ErrorOf("(m (Model_Specific (grp\n (g (Usage Out) (Type Float) (Value 1) (Default 2 3)))\n"
                      " (h (Usage In) (Type Float) (Value 1) (Default 2 3))))"),
              "m.ami:3: parameter h: (Default ...) needs exactly one value");
}

TEST(AmiDefinitionReader, EveryFaultNamesTheLineOfTheGroupAtFault)
{
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"(m (Model_Specific\n (g (Type Float) (Value 1))))", "m.ami:2: parameter g needs one (Usage In|Out|InOut|Info)"},
        {"(m (Model_Specific\n (g (Usage Sometimes) (Type Float) (Value 1))))",
         "m.ami:2: parameter g: unknown Usage \"Sometimes\""},
        {"(m (Model_Specific\n (g (Usage In)\n (Type Real) (Value 1))))", "m.ami:3: parameter g: unknown Type \"Real\""},
        {"(m (Model_Specific\n (g (Usage In) (Type Float))))",
         "m.ami:2: parameter g has no format (Value, Range, List, Corner, Increment or Steps; tables and other "
         "forms are not supported for parameters sent to the model)"},
        {"(m (Model_Specific\n (g (Usage In) (Type Float)\n (Format Gaussian 0 1))))",
         "m.ami:3: parameter g: format \"Gaussian\" is not supported for a parameter sent to the model"},
        {"(m (Model_Specific\n (g (Usage In) (Type Float)\n (Format Table (Labels a) (1)))))",
         "m.ami:2: parameter g has no format (Value, Range, List, Corner, Increment or Steps; tables and other "
         "forms are not supported for parameters sent to the model)"},
        {"(m (Model_Specific\n (g (Usage In) (Type Float)\n (Format Range 1 0))))",
         "m.ami:3: parameter g: Range needs 3 values (typ min max), found 2"},
        {"(m (Model_Specific\n (g (Usage In) (Type Integer)\n (Range 1 0 2.5))))",
         "m.ami:3: parameter g: \"2.5\" is not an integer (the Type is Integer)"},
        {"(m (Model_Specific\n (g (Usage In) (Type Float)\n (Range 1 2 0))))",
         "m.ami:3: parameter g: the minimum 2 is above the maximum 0"},
        {"(m (Model_Specific\n (g (Usage In) (Type Float) (Range 1 0 2)\n (Default 3))))",
         "m.ami:3: parameter g: the default does not fit: 3 is outside the range 0 .. 2"},
        {"(m (Model_Specific\n (g (Usage In) (Type Float) (Range 1 0 2)\n (Value 1))))",
         "m.ami:3: parameter g declares its format twice"},
        {"(m (Model_Specific\n (g (Usage In) (Type Float) (Increment 1 0 2 0))))",
         "m.ami:2: parameter g: the increment 0 is not positive"},
        {"(m (Model_Specific\n (g (Usage In) (Type String) (Range 1 0 2))))",
         "m.ami:2: parameter g: Range needs a numeric Type"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorOf(c.text), c.error) << c.text;
}
