#include "params/AmiTree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TreeText.h"

// The located parse must be the parser itself: the same result and the same
// tree for every text, with a line for every record.
TEST(AmiTreeWithLines, GivesTheResultAndTreeOfTheParser)
{
    const char* const texts[] = {
        "(Halvex_tx (de 3))", "  \n(r (a 1) (b 2))", "(r (a 1 (b 2)) (c 3))", "(r (a \"x)\"))",
        "(r (g (x 1) 5) (y 2))", "(r (a 1) x (b 2))", "(r (g (a 1)) (b 2)) x y", "((a 1))",
        "(r (a 1)", "de 3", "(de 3)", "(a)", "(r (g (x 1) 5 ) (y 2))", "(r (g (a 1)) (b 2)) (c 3)", "",
    };
    for (const char* text : texts) {
        AmiTree* plain = nullptr;
        AmiTree* located = nullptr;
        std::vector<int> lines = {7};
        const AmiParseResult expected = ParseAmiTree(text, &plain);
        ASSERT_EQ(ParseAmiTreeWithLines(text, &located, lines), expected) << text;
        if (expected != AmiParseOk) {
            EXPECT_TRUE(lines.empty()) << text;
            EXPECT_EQ(located, nullptr) << text;
            continue;
        }
        EXPECT_EQ(TreeText(located), TreeText(plain)) << text;
        ASSERT_EQ(lines.size(), static_cast<std::size_t>(located->SlotCount)) << text;
        for (int i = 0; i < located->SlotCount; ++i)
            EXPECT_EQ(lines[i] > 0, located->Entries[i].Record != nullptr) << text << " slot " << i;
        ReleaseAmiTree(&plain);
        ReleaseAmiTree(&located);
    }
}

TEST(AmiTreeWithLines, EachRecordHasTheLineOfItsParenthesis)
{
    // Leading lines, a quoted ")" and line break, a dropped table whose slot
    // the next group takes.
    const std::string text = "\n\n(m\n"                  // 3: m
                             "  (a \"x)\ny\")\n"          // 4: a
                             "  (t 1 (row 2)\n  (row 3))\n" // 6: t, dropped with its rows
                             "  (g\n"                     // 8: g
                             "    (b 2) (c 3)))\n";       // 9: b, c
    AmiTree* tree = nullptr;
    std::vector<int> lines;
    ASSERT_EQ(ParseAmiTreeWithLines(text.c_str(), &tree, lines), AmiParseOk);
    std::vector<std::string> named;
    for (int i = 0; i < tree->SlotCount; ++i)
        if (tree->Entries[i].Record != nullptr)
            named.push_back(std::string(static_cast<const AmiBranch*>(tree->Entries[i].Record)->Name) + ":" +
                            std::to_string(lines[i]));
    EXPECT_EQ(named, (std::vector<std::string>{"m:3", "a:4", "g:8", "b:9", "c:9"}));
    ReleaseAmiTree(&tree);
}
