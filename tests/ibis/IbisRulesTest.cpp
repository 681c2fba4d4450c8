// Each rule of IbisRules on the kit's own .ibs, which keeps every rule, and
// on a copy of it changed to break that rule alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ibis/IbisFile.h"
#include "ibis/IbisRules.h"
#include "tests/ibis/IbisTestFiles.h"

namespace {

const char Path[] = "kit/Halvex_tx.ibs";

std::string KitText()
{
    const std::string ami = HALVEX_AMI_PATH;
    std::string text;
    std::string error;
    EXPECT_TRUE(IbisFile::ReadText(ami.substr(0, ami.size() - 4) + ".ibs", IbisFile::MaxBytes, text, error)) << error;
    return text;
}

// The kit's text with the first `from` replaced by `to`.
std::string Changed(const std::string& from, const std::string& to)
{
    std::string text = KitText();
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// The line of the first `what` in the kit's text.
int LineOf(const std::string& what)
{
    const std::string text = KitText();
    const std::size_t at = text.find(what);
    EXPECT_NE(at, std::string::npos) << what;
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
}

std::vector<Finding> Check(const std::string& text)
{
    IbisFile file;
    std::string error;
    EXPECT_TRUE(IbisFile::Read(text, Path, file, error)) << error;
    return IbisRules::Check(file);
}

// The findings of `text` but those of the rules named in `besides` (the
// cases below hide a keyword by misspelling it, which is a finding too).
std::vector<Finding> CheckBesides(const std::string& text, std::initializer_list<const char*> besides)
{
    std::vector<Finding> kept;
    for (Finding& f : Check(text))
        if (std::none_of(besides.begin(), besides.end(), [&](const char* rule) { return f.Rule == rule; }))
            kept.push_back(std::move(f));
    return kept;
}

std::string Listed(const std::vector<Finding>& findings)
{
    std::string list;
    for (const Finding& f : findings)
        list += std::string(Finding::Name(f.Severity)) + " " + f.Text() + "\n";
    return list;
}

} // namespace

TEST(IbisRules, TheKitsFileKeepsEveryRule)
{
    const std::vector<Finding> findings = Check(KitText());
    EXPECT_TRUE(findings.empty()) << Listed(findings);
}

TEST(IbisRules, EachBrokenRuleGivesOneFindingAtItsLine)
{
    const int model = LineOf("[Model]");
    const struct {
        std::string Text;
        Finding::Level Level;
        int Line; // 0: the file as a whole
        std::string What;
    } cases[] = {
        {Changed("[File Rev]        1.1\n", ""), Finding::Error, 0, "no [File Rev]"},
        {Changed("[File Name]       Halvex_tx.ibs", "[File Name] halvex.ibs"), Finding::Warning, 2,
         "[File Name] \"halvex.ibs\" is not the file's own name \"Halvex_tx.ibs\""},
        {Changed("[IBIS Ver]        7.1", "[IBIS Ver] 6.5"), Finding::Warning, 1,
         "[IBIS Ver] 6.5 is not a published version of IBIS"},
        {Changed("[IBIS Ver]        7.1", "[IBIS Ver] 8.0"), Finding::Note, 1,
         "[IBIS Ver] 8.0 is newer than the rules known here (7.2)"},
        {Changed("[Manufacturer]    Halvex\n", ""), Finding::Error, LineOf("[Component]"),
         "[Component] Halvex_tx has no [Manufacturer]"},
        {Changed("[Package]", "[Ignored Package]"), Finding::Error, LineOf("[Component]"),
         "[Component] Halvex_tx has no [Package]"},
        {Changed("[Pin]", "[Ignored Pin]"), Finding::Error, LineOf("[Component]"),
         "[Component] Halvex_tx has no [Pin]"},
        {Changed("[Component]       Halvex_tx", "[Component] " + std::string(41, 'c')), Finding::Error,
         LineOf("[Component]"), "[Component] name \"ccccc"},
        {Changed("C_pkg             0.0pF       0.0pF       0.0pF\n", ""), Finding::Error, LineOf("[Package]"),
         "[Package] of [Component] Halvex_tx has no C_pkg"},
        {Changed("R_pkg             0.0 ", "R_pkg             NA  "), Finding::Error, LineOf("R_pkg"),
         "R_pkg has no typ value (NA)"},
        {Changed("3      VDD             POWER", "123456 VDD POWER"), Finding::Error, LineOf("3      VDD"),
         "pin name \"123456\" has 6 characters; IBIS allows 5"},
        {Changed("4      GND             GND\n", "4      GND             GND\n1      TXX Halvex_tx\n"),
         Finding::Error, LineOf("4      GND") + 1, "pin 1 is listed twice"},
        {Changed("3      VDD             POWER", "3 VDD POWR"), Finding::Error, LineOf("3      VDD"),
         "pin 3 names \"POWR\", which is no [Model] or [Model Selector] of the file"},
        {Changed("1           2        0.1V", "1           5        0.1V"), Finding::Error,
         LineOf("1           2 "), "[Diff Pin] names pin 5, which [Pin] does not list"},
        {Changed("Model_type        Output", "Model_type        Outptu"), Finding::Error, LineOf("Model_type"),
         "Model_type \"Outptu\" is not a type of IBIS"},
        {Changed("Model_type        Output\n", ""), Finding::Error, model, "[Model] Halvex_tx has no Model_type"},
        {Changed("C_comp            10.0fF", "| C_comp"), Finding::Error, model, "[Model] Halvex_tx has no C_comp"},
        {Changed("[Voltage Range]", "| [Voltage Range]"), Finding::Error, model,
         "[Model] Halvex_tx (Model_type Output) has no [Voltage Range]"},
        {Changed("[Pullup]", "[Ignored Table]"), Finding::Error, model,
         "[Model] Halvex_tx (Model_type Output) has no [Pullup]"},
        {Changed("[Pulldown]", "[Ignored Table]"), Finding::Error, model,
         "[Model] Halvex_tx (Model_type Output) has no [Pulldown]"},
        {Changed("C_comp            10.0fF", "C_comp            NA    "), Finding::Error, LineOf("C_comp    "),
         "C_comp has no typ value (NA)"},
        {Changed("[Voltage Range]         1.0V", "[Voltage Range]         NA  "), Finding::Error,
         LineOf("[Voltage Range]"), "[Voltage Range] has no typ value (NA)"},
        {Changed("[Model]", "[Model] NC\nModel_type Input\nC_comp 1p 1p 1p\n[Model]"), Finding::Error, model,
         "[Model] \"NC\" is named with a reserved word"},
        {Changed("[Model]", "[Model] " + std::string(41, 'm') + "\nModel_type Input\nC_comp 1p 1p 1p\n[Model]"),
         Finding::Error, model, "[Model] name \"mmmmm"},
        {Changed("   0.0V             0.0mA       0.0mA       0.0mA\n   1.0V             0.0mA       0.0mA       "
                 "0.0mA\n|\n[POWER",
                 [] {
                     std::string rows;
                     for (int i = 0; i < 100; ++i)
                         rows += std::to_string(i) + ".5V 0 0 0\n";
                     return rows + "[POWER";
                 }()),
         Finding::Error, LineOf("[GND Clamp]"), "[GND Clamp] has 101 rows; IBIS asks for 2 to 100"},
        {Changed("[Ramp]", "[Ignored Ramp]"), Finding::Error, model,
         "[Model] Halvex_tx (Model_type Output) has no [Ramp]"},
        {Changed("dV/dt_f           0.30/1.0p   0.285/1.0p  0.315/1.0p\n", ""), Finding::Error, LineOf("[Ramp]"),
         "[Ramp] of [Model] Halvex_tx has no dV/dt_f"},
        {Changed("dV/dt_r           0.30/1.0p   0.285/1.0p", "dV/dt_r           0.30/1.0p   0.285/0.0p"),
         Finding::Error, LineOf("dV/dt_r"), "dV/dt_r needs a positive dV and a positive dt"},
        {Changed("  -0.5V           -10.0mA", "  -1.0V           -10.0mA"), Finding::Error,
         LineOf("  -0.5V           -10.0mA"), "[Pulldown] voltages neither rise nor fall throughout: -1 V after -1 V"},
        {Changed("   0.0V             0.0mA       0.0mA       0.0mA\n   0.5V            10.0mA",
                 "   0.0V            30.0mA       0.0mA       0.0mA\n   0.5V            10.0mA"),
         Finding::Warning, LineOf("   0.5V            10.0mA"),
         "[Pulldown] typ current is not monotonic: it turns back at 0.5 V"},
        {Changed("  -1.0V           -20.0mA", "  -1.0V           NA     "), Finding::Error,
         LineOf("  -1.0V           -20.0mA"), "[Pulldown] first row has no typ current (NA)"},
        {Changed("   1.0V            20.0mA ", "   1.0V            NA     "), Finding::Warning,
         LineOf("   1.0V            20.0mA "), "[Pulldown] row has no typ current (NA)"},
        {Changed("1           2        0.1V", "1           1        0.1V"), Finding::Error,
         LineOf("1           2 "), "[Diff Pin] pairs pin 1 with itself"},
        {Changed("C_comp            10.0fF      10.0fF", "C_comp            10.0fF      11.0fF"),
         Finding::Warning, LineOf("C_comp    "), "C_comp: the min value lies above typ"},
        {Changed("   0.0V             0.0mA       0.0mA       0.0mA\n   1.0V             0.0mA       0.0mA       "
                 "0.0mA\n|\n[POWER",
                 "|\n[POWER"),
         Finding::Error, LineOf("[GND Clamp]"), "[GND Clamp] has 1 rows; IBIS asks for 2 to 100"},
        {Changed("   2.0V            40.0mA ", "   2.0V            NA     "), Finding::Error,
         LineOf("   2.0V            40.0mA "), "[Pulldown] last row has no typ current (NA)"},
        {Changed("Executable  Linux_gcc_64", "Executable  Linux64"), Finding::Error, LineOf("Linux_gcc_64"),
         "platform \"Linux64\" is not SYSTEM_COMPILER_BITS, such as Linux_gcc_64"},
        {KitText() + "stray text\n", Finding::Warning, LineOf("[End]") + 1,
         "text after [End], which readers ignore"},
        {Changed("[Component]", "|" + std::string(120, '-') + "\n[Component]"), Finding::Error,
         LineOf("[Component]"), "line of 121 characters; IBIS 7.1 allows 120"},
        {Changed("[IBIS Ver]        7.1", "[IBIS Ver] 3.2\n|" + std::string(80, '-')), Finding::Error, 2,
         "line of 81 characters; IBIS 3.2 allows 80"},
        {Changed("[IBIS Ver]        7.1", "[IBIS Ver] 4.0\n|" + std::string(90, '-')), Finding::Warning, 2,
         "line of 91 characters; IBIS 4.0 allows 80 (120 from 4.1 on)"},
        {Changed("[IBIS Ver]        7.1", "[IBIS Ver] 4.1\n|" + std::string(119, '-')), Finding::Error, 2,
         "keyword-version only"},
    };
    for (const auto& c : cases) {
        const std::vector<Finding> findings = CheckBesides(c.Text, {"keyword-unknown", "keyword-version"});
        if (c.What == "keyword-version only") { // a 4.1 file's line of 120 characters is no finding
            EXPECT_TRUE(findings.empty()) << Listed(findings);
            continue;
        }
        ASSERT_EQ(findings.size(), 1u) << c.What << "\n" << Listed(findings);
        const Finding& f = findings[0];
        EXPECT_EQ(f.Severity, c.Level) << c.What;
        EXPECT_EQ(f.Where, c.Line ? std::string(Path) + ":" + std::to_string(c.Line) : std::string(Path)) << c.What;
        EXPECT_EQ(f.What.substr(0, c.What.size()), c.What);
    }
}

// A receiver needs no driver's tables; a file without components, or whose
// selector names a model it lacks, breaks the rules.
TEST(IbisRules, WhatAModelNeedsFollowsItsTypeAndSelectorsNameRealModels)
{
    const std::string input = Changed("Model_type        Output", "Model_type        Input");
    std::string bare = input;
    for (const char* keyword : {"[Voltage Range]", "[Pulldown]", "[Pullup]", "[Ramp]"})
        bare.replace(bare.find(keyword), 1, "[Ignored ");
    EXPECT_TRUE(CheckBesides(bare, {"keyword-unknown"}).empty()) << Listed(Check(bare));

    const std::vector<Finding> findings =
        Check("[IBIS Ver] 7.1\n[File Name] Halvex_tx.ibs\n[File Rev] 1\n"
              "[Model Selector] pick\nm   the model\nnone  missing\n"
              "[Model] m\nModel_type Input\nC_comp 1p 1p 1p\n[End]\n");
    ASSERT_EQ(findings.size(), 2u) << Listed(findings);
    EXPECT_EQ(findings[0].Text(), std::string(Path) + ": no [Component]");
    EXPECT_EQ(findings[1].Text(), std::string(Path) +
                                      ":6: [Model Selector] pick names \"none\", which is no [Model] of the file");
}

TEST(IbisRules, NoFindingIsDroppedHoweverManyTheFileHas)
{
    std::string pins;
    for (int i = 0; i < 300; ++i)
        pins += "P" + std::to_string(100000 + i) + " S NC\n";
    const std::vector<Finding> findings = Check(Changed("4      GND             GND\n", pins));
    ASSERT_EQ(findings.size(), 300u); // every pin name too long
    for (const Finding& f : findings)
        EXPECT_EQ(f.Rule, "name-length");
}

// The board file and the package file written for these tests (from the
// keywords IBIS gives them) keep every rule; each broken copy breaks one.
TEST(IbisRules, BoardAndPackageFilesKeepTheirRulesAndBreakThemByLine)
{
    const std::string data = std::string(HALVEX_SOURCE_DIR) + "/tests/ibis/data/";
    for (const char* name : {"board.ebd", "sections.pkg"}) {
        IbisFile file;
        std::string error;
        ASSERT_TRUE(IbisFile::ReadFile(data + name, file, error)) << error;
        const std::vector<Finding> findings = IbisRules::Check(file);
        EXPECT_TRUE(findings.empty()) << name << "\n" << Listed(findings);
    }
    const struct {
        const char* Name;
        std::string From, To;
        std::string What;
    } breaks[] = {
        {"board.ebd", "A4              VDD\n", "", ":13: [Number Of Pins] says 4; [Pin List] lists 3"},
        {"board.ebd", "[Reference Designator Map]", "| [Reference Designator Map]",
         ":11: [Begin Board Description] test_module has no [Reference Designator Map]"},
        {"board.ebd", "[End Board Description]\n", "", ":11: [Begin Board Description] test_module has no "
                                                      "[End Board Description]"},
        {"sections.pkg", "4\n[Model Data]", "[Model Data]", ":14: [Number Of Pins] says 4; [Pin Numbers] lists 3"},
        {"sections.pkg", "[Row] 4\n0.5p\n[End Model Data]", "[Row] 4\n0.5p\n[Row] 5\n0.5p\n[End Model Data]",
         ":47: a matrix of [Define Package Model] sect3 has 5 [Row]s for 4 pins"},
        {"sections.pkg", "[OEM]", "[OEMs]", ":11: [OEMs] is no keyword of IBIS"},
    };
    for (const auto& b : breaks) {
        std::string text = ReadTestFile(data + b.Name);
        ASSERT_NE(text.find(b.From), std::string::npos) << b.From;
        text.replace(text.find(b.From), b.From.size(), b.To);
        IbisFile file;
        std::string error;
        const std::string path = std::string("kit/") + b.Name;
        ASSERT_TRUE(IbisFile::Read(text, path, file, error)) << error;
        const std::vector<Finding> findings = IbisRules::Check(file);
        ASSERT_FALSE(findings.empty()) << b.What;
        EXPECT_EQ(findings[0].Severity, Finding::Error);
        EXPECT_EQ(findings[0].Text().substr(0, path.size() + b.What.size()), path + b.What) << Listed(findings);
    }
    // The kind of file follows its name: a package file needs no [Component].
    IbisFile pkg;
    std::string error;
    ASSERT_TRUE(IbisFile::Read(ReadTestFile(data + "sections.pkg"), "kit/sections.ibs", pkg, error)) << error;
    EXPECT_NE(Listed(IbisRules::Check(pkg)).find("ERROR kit/sections.ibs: no [Component]\n"), std::string::npos);
}
