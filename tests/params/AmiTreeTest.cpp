#include "params/AmiTree.h"

#include <gtest/gtest.h>

#include <string>

#include "TreeText.h"

namespace {

struct CodeCase {
    const char* Text;
    AmiParseResult Expected;
};

} // namespace

// ---- Whole trees, slot by slot ----

TEST(AmiTree, SimulatorStringGivesRootBranchAndOneLeaf)
{
    AmiTree* tree = nullptr;
    ASSERT_EQ(ParseAmiTree("(Halvex_tx (de 3))", &tree), AmiParseOk);
    ASSERT_EQ(tree->SlotCount, 2);
    const AmiTreeEntry& root = tree->Entries[0];
    EXPECT_EQ(root.Kind, AmiNodeBranch);
    EXPECT_EQ(root.Level, 1);
    const auto* branch = static_cast<const AmiBranch*>(root.Record);
    EXPECT_STREQ(branch->Name, "Halvex_tx");
    ASSERT_EQ(branch->ChildCount, 1);
    EXPECT_EQ(branch->Children[0].Record, tree->Entries[1].Record);
    const auto* leaf = static_cast<const AmiLeaf*>(tree->Entries[1].Record);
    EXPECT_EQ(tree->Entries[1].Kind, AmiNodeLeaf);
    EXPECT_EQ(tree->Entries[1].Level, 2);
    EXPECT_STREQ(leaf->Name, "de");
    EXPECT_EQ(leaf->NameKeyword, AmiNameNone);
    ASSERT_EQ(leaf->ValueCount, 1);
    EXPECT_STREQ(leaf->Values[0].Text, "3");
    EXPECT_EQ(leaf->Values[0].Type, AmiValueInteger);
    EXPECT_EQ(leaf->Values[0].Keyword, AmiKeywordNone);
    ReleaseAmiTree(&tree);
    EXPECT_EQ(tree, nullptr);
}

TEST(AmiTree, LeafWithSubgroupIsDroppedAndItsSlotReused)
{
    EXPECT_EQ(ParsedText("(r (a 1 (b 2)) (c 3))"),
              "0 branch 1 'r' children 1\n"
              "1 leaf 2 'c' kw0 values '3'/1/-1\n"
              "2 empty 0 0\n"
              "3 empty 0 0\n");
    // Dropped last: its slot keeps the kind and level it was given.
    EXPECT_EQ(ParsedText("(r (c 3) (a 1 (b 2)))"),
              "0 branch 1 'r' children 1\n"
              "1 leaf 2 'c' kw0 values '3'/1/-1\n"
              "2 empty 1 2\n"
              "3 empty 0 0\n");
}

TEST(AmiTree, NestedBranchesLinkByLevelAndKeepTextOrder)
{
    EXPECT_EQ(ParsedText("(r (g (x 1) (h (y 2))) (a 1) (a 2) (a.b 1) (a (b 2)))"),
              "0 branch 1 'r' children 1 5 6 7 8\n"
              "1 branch 2 'g' children 2 3\n"
              "2 leaf 3 'x' kw0 values '1'/1/-1\n"
              "3 branch 3 'h' children 4\n"
              "4 leaf 4 'y' kw0 values '2'/1/-1\n"
              "5 leaf 2 'a' kw0 values '1'/1/-1\n"
              "6 leaf 2 'a' kw0 values '2'/1/-1\n"
              "7 leaf 2 'a.b' kw0 values '1'/1/-1\n"
              "8 branch 2 'a' children 9\n"
              "9 leaf 3 'b' kw0 values '2'/1/-1\n");
    EXPECT_EQ(ParsedText("((a 1))"), "0 branch 1 '' children 1\n1 leaf 2 'a' kw0 values '1'/1/-1\n");
}

TEST(AmiTree, BlanksBetweenGroupsDoNotChangeTheTree)
{
    const std::string compact = ParsedText("(r(a 1)(b 2))");
    EXPECT_EQ(compact, "0 branch 1 'r' children 1 2\n"
                       "1 leaf 2 'a' kw0 values '1'/1/-1\n"
                       "2 leaf 2 'b' kw0 values '2'/1/-1\n");
    EXPECT_EQ(ParsedText("(r (a 1 ) (b 2))"), compact);
    EXPECT_EQ(ParsedText("\n\t (r\t(a\t1)\r\n\v\f(b 2)\n)\n"), compact);
    // Runs far beyond 120 blanks are accepted wherever the parser skips blanks.
    const std::string run(10000, ' ');
    EXPECT_EQ(ParsedText((run + "(" + run + "r (a 1)" + run + "(b 2)" + run + ")").c_str()), compact);
    EXPECT_EQ(ParsedText((std::string(120, ' ') + "(r (a 1) (b 2))").c_str()), compact);
}

TEST(AmiTree, StrayTextAfterAGroupIsIgnoredOrEndsTheScan)
{
    EXPECT_EQ(ParsedText("(r (g (x 1) 5) (y 2))"),
              "0 branch 1 'r' children 1 3\n"
              "1 branch 2 'g' children 2\n"
              "2 leaf 3 'x' kw0 values '1'/1/-1\n"
              "3 leaf 2 'y' kw0 values '2'/1/-1\n");
    const char* const threeSlots = "0 branch 1 'r' children 1 2\n"
                                   "1 leaf 2 'a' kw0 values '1'/1/-1\n"
                                   "2 leaf 2 'b' kw0 values '2'/1/-1\n";
    EXPECT_EQ(ParsedText("(r (a 1) (b 2)) x y"), threeSlots);
    EXPECT_EQ(ParsedText("(r (a 1) (b 2)) x \"(\" y"), threeSlots); // beyond the last slot: never read
    // A branch closes early, so the scan reads past the root: a lone word is no group.
    EXPECT_EQ(ParsedText("(r (g (a 1)) (b 2)) x"),
              "0 branch 1 'r' children 1 3\n"
              "1 branch 2 'g' children 2\n"
              "2 leaf 3 'a' kw0 values '1'/1/-1\n"
              "3 leaf 2 'b' kw0 values '2'/1/-1\n");
}

TEST(AmiTree, DroppedFirstGroupLeavesTheRootAtAnotherLevel)
{
    // The deepest entry is a branch: the linking holds levels 0 to 1 at once.
    EXPECT_EQ(ParsedText("(p q(z 1)) w (g (d 1 (e 2)))"),
              "0 branch 0 'w' children 1\n"
              "1 branch 1 'g' children\n"
              "2 empty 1 2\n"
              "3 empty 0 0\n"
              "4 empty 0 0\n");
    // The first group is dropped at the end of the text, after its quotes
    // became blanks; the scan of the same text again finds a branch, one
    // level deeper than a first scan would.
    EXPECT_EQ(ParsedText("(\" \"())\"("), "0 branch 2 '\"' children\n1 empty 0 0\n");
}

// ---- Values: quoting, classes and reserved words ----

TEST(AmiTree, QuotedValuesKeepBlanksAndParenthesesAndLoseTrailingBlanks)
{
    EXPECT_EQ(ParsedText("(r (x \"a b\") (y \"\") (z \"a\" \"b\") (w ab\"c d\") (v \" 5 \") (u \"x)\"))"),
              "0 branch 1 'r' children 1 2 3 4 5 6\n"
              "1 leaf 2 'x' kw0 values 'a b'/0/-1\n"
              "2 leaf 2 'y' kw0 values ''/-1/-1\n"
              "3 leaf 2 'z' kw0 values 'a'/0/-1 'b'/0/-1\n"
              "4 leaf 2 'w' kw0 values 'c d'/0/-1\n"
              "5 leaf 2 'v' kw0 values ' 5'/1/-1\n"
              "6 leaf 2 'u' kw0 values 'x)'/0/-1\n");
}

TEST(AmiTree, ReservedNamesAndWordsGetTheirCodes)
{
    EXPECT_EQ(ParsedText("(r (Usage In) (Format Range 0 0 15) (t True) (f 2.5e3) (g true) "
                         "(Type Float) (Default Dual-Dirac) (Description \"UI\") (Labels DjRj) (usage in))"),
              "0 branch 1 'r' children 1 2 3 4 5 6 7 8 9 10\n"
              "1 leaf 2 'Usage' kw1 values 'In'/0/0\n"
              "2 leaf 2 'Format' kw3 values 'Range'/0/11 '0'/1/-1 '0'/1/-1 '15'/1/-1\n"
              "3 leaf 2 't' kw0 values 'True'/2/-1\n"
              "4 leaf 2 'f' kw0 values '2.5e3'/3/-1\n"
              "5 leaf 2 'g' kw0 values 'true'/0/-1\n"
              "6 leaf 2 'Type' kw2 values 'Float'/0/4\n"
              "7 leaf 2 'Default' kw4 values 'Dual-Dirac'/0/18\n"
              "8 leaf 2 'Description' kw5 values 'UI'/0/9\n"
              "9 leaf 2 'Labels' kw6 values 'DjRj'/0/19\n"
              "10 leaf 2 'usage' kw0 values 'in'/0/-1\n");
}

TEST(AmiTree, ValueClassesFollowPlainDecimalForms)
{
    const struct {
        const char* Text;
        AmiValueType Type;
    } cases[] = {
        {nullptr, AmiValueEmpty}, {"", AmiValueEmpty},
        {"3", AmiValueInteger}, {"+7", AmiValueInteger}, {"-0", AmiValueInteger}, {" 5", AmiValueInteger},
        {"123456789012345678901234567890", AmiValueInteger},
        {"3.0", AmiValueFloat}, {"-2.5", AmiValueFloat}, {".5", AmiValueFloat}, {"5.", AmiValueFloat},
        {"2.5e3", AmiValueFloat}, {"1E-7", AmiValueFloat}, {"-1e+400", AmiValueFloat},
        {"True", AmiValueBoolean}, {"False", AmiValueBoolean},
        {"true", AmiValueText}, {"TRUE", AmiValueText}, {"0x10", AmiValueText}, {"inf", AmiValueText},
        {"NaN", AmiValueText}, {"1d5", AmiValueText}, {"1e", AmiValueText}, {"1e+", AmiValueText},
        {".", AmiValueText}, {"-", AmiValueText}, {".e1", AmiValueText}, {"1 2", AmiValueText},
        {"3 ", AmiValueText}, {" ", AmiValueText}, {"\xE9", AmiValueText},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text != nullptr ? c.Text : "(null)");
        EXPECT_EQ(ClassifyAmiValue(c.Text), c.Type);
    }
}

TEST(AmiTree, KeywordClassificationSetsOnlyOnExactWords)
{
    AmiValue value{nullptr, AmiValueText, AmiKeywordNone};
    ClassifyAmiValueKeyword(&value, "InOut");
    EXPECT_EQ(value.Keyword, AmiKeywordInOut);
    ClassifyAmiValueKeyword(&value, "inout"); // no match: unchanged
    EXPECT_EQ(value.Keyword, AmiKeywordInOut);
    ClassifyAmiValueKeyword(&value, "Increment");
    EXPECT_EQ(value.Keyword, AmiKeywordIncrement);
    ClassifyAmiValueKeyword(nullptr, "In");
    ClassifyAmiValueKeyword(&value, nullptr);
    EXPECT_EQ(value.Keyword, AmiKeywordIncrement);
}

// ---- Result codes ----

TEST(AmiTree, ResultCodesFollowTheScanAndTheLinking)
{
    const std::string blanks120(120, ' ');
    const std::string longBlanks(121, ' ');
    const CodeCase cases[] = {
        {"(r (a 1))", AmiParseOk},
        {"(r (a \"x)\"))", AmiParseOk},
        {"(r (a 1 (b 2)) (c 3))", AmiParseOk},
        {"(r (g (x 1) 5) (y 2))", AmiParseOk},
        {"(r (a 1) (b 2)) x y", AmiParseOk},
        {"de 3", AmiParseNoOpenParenthesis},
        {"", AmiParseNoOpenParenthesis},
        {" \t\r\n", AmiParseNoOpenParenthesis},
        {")(", AmiParseNoOpenParenthesis},
        {"(r (a 1)", AmiParseUnbalanced},
        {"(r (a \"1))", AmiParseUnbalanced},
        {"(de 3)", AmiParseMissingNode},
        {"(a 1)(b 2)", AmiParseMissingNode},
        {"(a 1 (b 2))", AmiParseMissingNode}, // the only group is dropped: no root
        {"(r (a 1))(b 2)", AmiParseOutsideRoot},
        {"(r (a 1) x (b 2))", AmiParseOutsideRoot},
        {"(r (g (a 1)) (b 2)) (c 3)", AmiParseOutsideRoot},
        {"()", AmiParseUnexpectedClose},
        {"(a)", AmiParseUnexpectedClose},
        {"(r (a) (b 1))", AmiParseUnexpectedClose},
        {"(r (a 1) (g (b 2) (c)))", AmiParseUnexpectedClose},
        {"(r (a ))", AmiParseUnexpectedClose},
        {"(r (g (a 1)) (b 2)) x y", AmiParseTooManyGroups},
        {"(r (g (x 1) 5 ) (y 2))", AmiParseBadToken},
        // Early closes leave cycles for the trailing "x y", which is met again
        // and again as a new group: twice here, then the slots run out.
        {"(r (d 1 (z 0)) (g (a 1)) (b 2)) x y", AmiParseTooManyGroups},
        // Here slots remain; the repeated group lies at the root's level.
        {"(r (d 1 (z 0)) (d 1 (z 0))) x y", AmiParseOutsideRoot},
    };
    for (const CodeCase& c : cases) {
        SCOPED_TRACE(c.Text);
        AmiTree* tree = nullptr;
        EXPECT_EQ(ParseAmiTree(c.Text, &tree), c.Expected);
        EXPECT_EQ(tree != nullptr, c.Expected == AmiParseOk);
        ReleaseAmiTree(&tree);
    }
    AmiTree* tree = nullptr;
    EXPECT_EQ(ParseAmiTree((blanks120 + "(r (a 1))").c_str(), &tree), AmiParseOk);
    ReleaseAmiTree(&tree);
    EXPECT_EQ(ParseAmiTree((longBlanks + "(r (a 1))").c_str(), &tree), AmiParseOk);
    ReleaseAmiTree(&tree);
}

TEST(AmiTree, MissingArgumentsAndFailuresLeaveThePlaceAsItWas)
{
    AmiTree* tree = nullptr;
    EXPECT_EQ(ParseAmiTree(nullptr, &tree), AmiParseMissingNode);
    EXPECT_EQ(ParseAmiTree("(r (a 1))", nullptr), AmiParseMissingNode);

    AmiTree sentinel{nullptr, 0};
    AmiTree* place = &sentinel;
    EXPECT_EQ(ParseAmiTree("(r (a 1) x (b 2))", &place), AmiParseOutsideRoot);
    EXPECT_EQ(place, &sentinel);

    ReleaseAmiTree(nullptr);
    AmiTree* none = nullptr;
    ReleaseAmiTree(&none);
    EXPECT_EQ(none, nullptr);

    const char* text = "  x";
    const char* cursor = text;
    SkipSpaces(&cursor);
    EXPECT_EQ(cursor, text + 2);
    SkipSpaces(static_cast<const char**>(nullptr));
    const char* empty = nullptr;
    SkipSpaces(&empty);
    EXPECT_EQ(empty, nullptr);
}

// ---- Hostile and large texts: no crash, no overread (checked under ASan), no leak ----

TEST(AmiTree, MalformedTextsEndCleanly)
{
    const char* const texts[] = {
        "(r (a \"unclosed",          "(r (a\" 1) (b \"v w))",   "(r (x \"a) (y \"b))",
        "(r (a 1 (b \"x)\" (c",      "(r (a 1 (b 2",            "((((((((((",
        "))))((((",                  "(\"\"\"(\"",              "(r (a 1 (b 2)) \"",
        "(r (n\"ame 1) (b \"v))",    "(r (a 1)) (\"",            "( ( ( ) ) )",
        "(r (a \"x\" (b \"y\")))",   "(r(a(b(c 1)))) z w (q",    "(\"(\" (a 1))",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        AmiTree* tree = nullptr;
        const AmiParseResult result = ParseAmiTree(text, &tree);
        EXPECT_GE(result, AmiParseOk);
        EXPECT_LE(result, AmiParseBadToken);
        ReleaseAmiTree(&tree);
    }
}

TEST(AmiTree, BytesAboveAsciiAreOrdinaryCharacters)
{
    EXPECT_EQ(ParsedText("(r\xA0 (\xC3\xA9t\xE9 \xFF\x80 \"\x85\") (\x80 1))"),
              "0 branch 1 'r\xA0' children 1 2\n"
              "1 leaf 2 '\xC3\xA9t\xE9' kw0 values '\xFF\x80'/0/-1 '\x85'/0/-1\n"
              "2 leaf 2 '\x80' kw0 values '1'/1/-1\n");
}

TEST(AmiTree, HundredThousandLevelsParseAndRelease)
{
    const int depth = 100000;
    std::string text;
    for (int i = 0; i < depth; ++i)
        text += "(g ";
    text += "(de 3)" + std::string(depth, ')');
    AmiTree* tree = nullptr;
    ASSERT_EQ(ParseAmiTree(text.c_str(), &tree), AmiParseOk);
    ASSERT_EQ(tree->SlotCount, depth + 1);
    EXPECT_EQ(tree->Entries[depth].Kind, AmiNodeLeaf);
    EXPECT_EQ(tree->Entries[depth].Level, depth + 1);
    const auto* parent = static_cast<const AmiBranch*>(tree->Entries[depth - 1].Record);
    ASSERT_EQ(parent->ChildCount, 1);
    EXPECT_EQ(parent->Children[0].Record, tree->Entries[depth].Record);
    ReleaseAmiTree(&tree);
}

TEST(AmiTree, TenMegabyteTextParses)
{
    std::string text = "(r ";
    text.reserve(10000100);
    while (text.size() < 10000000)
        text += "(p 1.5 \"x y\") ";
    text += ")";
    const int groups = static_cast<int>((text.size() - 4) / 14);
    AmiTree* tree = nullptr;
    ASSERT_EQ(ParseAmiTree(text.c_str(), &tree), AmiParseOk);
    const auto* root = static_cast<const AmiBranch*>(tree->Entries[0].Record);
    EXPECT_EQ(root->ChildCount, groups);
    const auto* last = static_cast<const AmiLeaf*>(root->Children[groups - 1].Record);
    ASSERT_EQ(last->ValueCount, 2);
    EXPECT_STREQ(last->Values[1].Text, "x y");
    ReleaseAmiTree(&tree);
}
