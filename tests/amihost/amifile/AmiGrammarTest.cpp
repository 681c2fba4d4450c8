#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "params/AmiTree.h"
#include "tests/amihost/amifile/AmiTreeMatch.h"
#include "tools/amihost/amifile/AmiGrammar.h"
#include "tools/amihost/signal/TextFile.h"

namespace {

namespace fs = std::filesystem;

std::string ErrorOf(const std::string& text)
{
    AmiNode root;
    std::string error;
    EXPECT_FALSE(AmiGrammar::Parse(text, "m.ami", root, error)) << text;
    return error;
}

// "name@line" of every group in text order, values after a leaf's name.
void List(const AmiNode& node, std::string& out)
{
    out += node.Name + "@" + std::to_string(node.Line);
    for (const AmiNode::Value& value : node.Values)
        out += " [" + value.Text + "]";
    out += "\n";
    for (const AmiNode& child : node.Children)
        List(child, out);
}

// Parses `text` with both grammars. A text AmiGrammar accepts must parse
// with the model's parser to the same tree; one the parser refuses must be
// refused. Returns whether AmiGrammar accepted it.
bool BothAgree(const std::string& text, const std::string& origin)
{
    AmiNode root;
    std::string error;
    const bool accepted = AmiGrammar::Parse(text, "f", root, error);
    AmiTree* tree = nullptr;
    const AmiParseResult result = ParseAmiTree(text.c_str(), &tree);
    if (accepted) {
        EXPECT_EQ(result, AmiParseOk) << origin;
        if (tree != nullptr) {
            EXPECT_EQ(AmiTreeDifference(root, *tree), "") << origin;
        }
    } else {
        EXPECT_EQ(error.substr(0, 2), "f:") << origin;
        EXPECT_EQ(error.find('\n'), std::string::npos) << origin;
    }
    ReleaseAmiTree(&tree);
    return accepted;
}

// The parameter text of one seed of the fuzz targets that read .ami text:
// the parser's target takes an optional 0x01 N header, the readers' target
// a selector byte (0 mod 4: an .ami file); both end the text at a NUL.
bool SeedText(const std::string& target, std::string seed, std::string& text)
{
    if (target == "ami_params_fuzz" && seed.size() >= 2 && seed[0] == '\x01')
        seed.erase(0, 2);
    if (target == "amihost_readers_fuzz") {
        if (seed.empty() || static_cast<unsigned char>(seed[0]) % 4 != 0)
            return false;
        seed.erase(0, 1);
    }
    text = seed.substr(0, seed.find('\0'));
    return true;
}

} // namespace

TEST(AmiGrammar, GroupsCarryTheLineOfTheirOpeningParenthesis)
{
    AmiNode root;
    std::string error;
    ASSERT_TRUE(AmiGrammar::Parse("\r\n(m\r\n"
                                  "  (a 1 \"two\nlines  \")\n"
                                  "  (t x (row 1)\n (row 2))\n"
                                  "  (g\n"
                                  "    (b \"  (c)\" True) (d -2.5e3)))\n  \n",
                                  "m.ami", root, error))
        << error;
    std::string listed;
    List(root, listed);
    // The quoted value spans lines 3 and 4; the table t (values, then
    // groups, lines 5 and 6) is left out whole, as the model's parser leaves it.
    EXPECT_EQ(listed, "m@2\n"
                      "a@3 [1] [two\nlines]\n"
                      "g@7\n"
                      "b@8 [  (c)] [True]\n"
                      "d@8 [-2.5e3]\n");
    const AmiNode& b = root.Children[1].Children[0];
    EXPECT_EQ(b.Values[0].Type, AmiValueText);
    EXPECT_EQ(b.Values[1].Type, AmiValueBoolean);
    EXPECT_EQ(root.Children[1].Children[1].Values[0].Type, AmiValueFloat);
}

TEST(AmiGrammar, StructuralFaultsNameTheirLine)
{
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"", "m.ami:1: no parameter tree: the file is empty"},
        {"\n\n  x", "m.ami:3: the parameter tree must begin with \"(\""},
        {"(m\n (a 1)\n (b 2)", "m.ami:1: unbalanced parentheses: this \"(\" is never closed"},
        {"(m\n (a 1))\n)", "m.ami:3: unbalanced parentheses: extra \")\""},
        {"(m\n (a \"x)\n)", "m.ami:2: unterminated double quote"},
        {"(m (a 1)\n x (b 2))", "m.ami:2: text between the sub-groups of a group"},
        {"(m (a 1))\n(n (b 2))", "m.ami:2: text after the root group"},
        {"(m\n\n ())", "m.ami:3: empty group \"()\""},
        {"(m (a))", "m.ami:1: group \"a\" holds a name only"},
        {"(m\n b)", "m.ami:2: the root group holds values; it must hold groups"},
        {"((a 1))", "m.ami:1: the root group has no name (expected the model's name)"},
        {"(m (a x\"y\"))", "m.ami:1: double quote in the middle of a value"},
        {"(m (a\"x\" 1))", "m.ami:1: double quote inside a group name"},
        {"(m (a \"x\"y))", "m.ami:1: text right after a closing double quote"},
        {"(m\n (t 1 (r 2)\n (r \"3", "m.ami:3: unterminated double quote"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorOf(c.text), c.error);
    std::string deep = "(m";
    for (int i = 0; i < 80; ++i)
        deep += " (g";
    EXPECT_EQ(ErrorOf(deep + " (x 1)" + std::string(81, ')')), "m.ami:1: groups nested deeper than 64 levels");
}

// A library given where the .ami belongs: one line that says so, whatever
// lines the bytes happen to hold.
TEST(AmiGrammar, AFileThatIsNotTextIsRefusedInOneLine)
{
    const std::string elf("\x7f" "ELF\x02\x01\x01\0\0\0\n(m (a 1))", 20);
    EXPECT_EQ(ErrorOf(elf), "m.ami: not an .ami file: binary data (NUL byte at offset 7)");
    EXPECT_EQ(ErrorOf(std::string("(m\n (a 1\0 2))", 13)), "m.ami: not an .ami file: binary data (NUL byte at offset 8)");
}

// The parenthesis at fault is where the indentation says, not where the
// count of parentheses runs out (the root's line or the end of the file).
TEST(AmiGrammar, UnbalancedParenthesesAreReportedAtTheParenthesisAtFault)
{
    const std::string head = "(m\n"              // 1
                             "  (Model_Specific\n" // 2
                             "    (a\n"          // 3
                             "      (Usage In)\n" // 4
                             "    )\n";          // 5
    const std::string b = "    (b\n"             // 6
                          "      (Usage In)\n"   // 7
                          "    )\n";             // 8
    const std::string tail = "  )\n"             // 9
                             ")\n";              // 10
    const char* const never = "unbalanced parentheses: this \"(\" is never closed";
    const char* const extra = "unbalanced parentheses: extra \")\"";
    EXPECT_EQ(ErrorOf(head + "    (b\n      (Usage In)\n" + tail), std::string("m.ami:6: ") + never)
        << "the last group of a list left open";
    EXPECT_EQ(ErrorOf("(m\n  (Model_Specific\n    (a\n      (Usage In)\n" + b + tail), std::string("m.ami:3: ") + never)
        << "a group followed by its sibling left open";
    EXPECT_EQ(ErrorOf("(m\n  (Model_Specific\n    (a\n      (Usage In\n    )\n" + b + tail),
              std::string("m.ami:4: ") + never)
        << "a leaf left open";
    EXPECT_EQ(ErrorOf(head + "    )\n" + b + tail), std::string("m.ami:6: ") + extra) << "an extra \")\" mid-file";
    EXPECT_EQ(ErrorOf(head + b + tail + "\n)\n"), std::string("m.ami:12: ") + extra) << "an extra \")\" at the end";
    // Without indentation to go by: the innermost group open at the end.
    EXPECT_EQ(ErrorOf("(m\n(s\n(a (Usage In))\n(b (Usage In)\n)\n"), std::string("m.ami:2: ") + never);
}

TEST(AmiGrammar, EveryCorpusTextItAcceptsParsesToTheSameTreeAsTheModelsParser)
{
    const fs::path source = HALVEX_SOURCE_DIR;
    int texts = 0;
    int accepted = 0;
    for (const char* target : {"ami_params_fuzz", "amihost_readers_fuzz"}) {
        for (const fs::directory_entry& seed : fs::directory_iterator(source / "fuzz" / "corpus" / target)) {
            std::string bytes;
            std::string error;
            ASSERT_TRUE(TextFile::Read(seed.path().string(), 1u << 20, bytes, error)) << error;
            std::string text;
            if (!SeedText(target, bytes, text))
                continue;
            ++texts;
            accepted += BothAgree(text, seed.path().filename().string());
        }
    }
    for (const fs::path& ami : {source / "model" / "Halvex_tx.ami", source / "tests" / "amihost" / "models" / "rx_ctle_cdr.ami",
                                source / "tests" / "amihost" / "models" / "rx_ctle_init.ami"}) {
        std::string text;
        std::string error;
        ASSERT_TRUE(TextFile::Read(ami.string(), 1u << 20, text, error)) << error;
        ++texts;
        EXPECT_TRUE(BothAgree(text, ami.filename().string()));
    }
    EXPECT_GE(texts, 40);
    EXPECT_GE(accepted, 15);
}

// Random texts from pieces that make every kind of fault and the table the
// parser drops.
TEST(AmiGrammar, RandomTextsItAcceptsParseToTheSameTreeAsTheModelsParser)
{
    std::mt19937 random(11);
    const char* const tokens[] = {" (a", " (b", " 1", " x", ")", ")", "\n", " \"s) t\"", " (c 2)", "(", "\"", " (Usage In)"};
    int accepted = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string text = "(m";
        const std::size_t length = random() % 12;
        for (std::size_t i = 0; i < length; ++i)
            text += tokens[random() % (sizeof tokens / sizeof tokens[0])];
        text += ")";
        accepted += BothAgree(text, text);
        if (HasFailure())
            break;
    }
    EXPECT_GT(accepted, 100);
}
