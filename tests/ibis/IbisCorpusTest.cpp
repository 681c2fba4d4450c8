// The IBIS library on vendors' files: the corpus of real IBIS files in the
// shared data folder (ibis-corpus, origins in its SOURCES.tsv), judged one by
// one against the rules of IBIS, and broken copies of them that each break
// one rule. The copies are written under the build folder with the name
// their [File Name] gives (the corpus prefixes the names), edited there at
// run time; nothing of the corpus is kept in the project.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ibis/IbisCheck.h"
#include "ibis/IbisFile.h"
#include "ibis/IbisRules.h"
#include "tests/SharedData.h"
#include "tests/ibis/IbisTestFiles.h"

namespace {

namespace fs = std::filesystem;

const char Folder[] = "ibis-corpus";

std::vector<std::string> CorpusFiles(const std::string& dir)
{
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        std::string ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        if (ext == ".ibs" || ext == ".pkg" || ext == ".ebd")
            names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The [File Name] a text gives, found here with a plain search of its own.
std::string OwnName(const std::string& text)
{
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    const std::size_t at = lower.find("[file name]");
    if (at == std::string::npos)
        return "unnamed.ibs";
    std::size_t begin = at + 11;
    while (text[begin] == ' ' || text[begin] == '\t')
        ++begin;
    std::size_t end = begin;
    while (end < text.size() && text[end] != ' ' && text[end] != '\t' && text[end] != '\r' && text[end] != '\n')
        ++end;
    return text.substr(begin, end - begin);
}

// `text` written under the build folder as `name`; the findings of a check
// of that copy.
std::vector<Finding> CheckCopy(const std::string& text, const std::string& name)
{
    const std::string dir = std::string(IBIS_TEST_DIR) + "/corpus";
    fs::create_directories(dir);
    const std::string path = dir + "/" + name;
    EXPECT_TRUE(WriteTestFile(path, text));
    IbisFile file;
    std::string error;
    EXPECT_TRUE(IbisFile::ReadFile(path, file, error)) << error;
    return IbisRules::Check(file);
}

int LineAt(const std::string& text, std::size_t at)
{
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
}

std::string Listed(const std::vector<Finding>& findings)
{
    std::string list;
    for (const Finding& f : findings)
        list += std::string(Finding::Name(f.Severity)) + " [" + f.Rule + "] " + f.Text() + "\n";
    return list;
}

// The lines longer than `limit` characters (without CR and LF), counted here
// apart from the reader.
int LongerThan(const std::string& text, std::size_t limit)
{
    int count = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::size_t length = end - start;
        if (length > 0 && text[end - 1] == '\r')
            --length;
        count += length > limit;
        start = end + 1;
    }
    return count;
}

} // namespace

TEST(IbisCorpus, EveryFileReadsButTheOneThatBreaksTheSyntax)
{
    const std::string dir = SharedDataDir(Folder);
    if (dir.empty())
        GTEST_SKIP() << SharedDataMissing(Folder);
    int read = 0;
    for (const std::string& name : CorpusFiles(dir)) {
        IbisFile file;
        std::string error;
        if (IbisFile::ReadFile(dir + "/" + name, file, error)) {
            ++read;
            continue;
        }
        // Text inside an [Algorithmic Model], which holds Executable lines only.
        EXPECT_EQ(name, "kicad_ibis_v5_1.ibs") << error;
        EXPECT_EQ(error, dir + "/" + name + ":65: [Algorithmic Model] takes Executable lines, not \"This\"");
    }
    EXPECT_EQ(read, 33);
}

// Each file judged by hand against the text of IBIS: the valid ones give no
// Error; the six with real faults give exactly those.
TEST(IbisCorpus, ValidFilesGiveNoErrorAndFaultyFilesTheirFaults)
{
    const std::string dir = SharedDataDir(Folder);
    if (dir.empty())
        GTEST_SKIP() << SharedDataMissing(Folder);
    const std::string longLines = ReadTestFile(dir + "/fedevel_sn74lvc1g17_b.ibs");
    const std::map<std::string, std::multiset<std::string>> faults = {
        // [POWER Clamp] lists 3.6, 1.65, then 1.7: its voltages turn.
        {"eispice_ad9222bcp.ibs", {"iv-order"}},
        // An IBIS 3.2 file (80 characters) with lines of 82.
        {"fedevel_sn74lvc1g17_b.ibs", [&] {
             std::multiset<std::string> lines;
             for (int i = LongerThan(longLines, 80); i > 0; --i)
                 lines.insert("line-length");
             return lines;
         }()},
        // Three [Model]s after [End]: the pins that name them name nothing.
        {"eispice_PENTII.IBS", {"pin-model", "pin-model", "pin-model"}},
        // Its [Series Pin Mapping] names series_switch, which it does not define.
        {"kicad_ibis_v4_1_series_pin_mapping.ibs", {"series-pin-mapping", "series-pin-mapping"}},
        // Its [Capacitance Matrix] has 8 rows for a package of 4 pins.
        {"kicad_ibis_v2_1.pkg", {"pkg"}},
        // The kit refused by the reader (above).
        {"kicad_ibis_v5_1.ibs", {}},
    };
    EXPECT_EQ(faults.at("fedevel_sn74lvc1g17_b.ibs").size(), 6u);
    for (const std::string& name : CorpusFiles(dir)) {
        if (name == "kicad_ibis_v5_1.ibs")
            continue;
        const std::string text = ReadTestFile(dir + "/" + name);
        const std::vector<Finding> findings = CheckCopy(text, OwnName(text));
        std::multiset<std::string> errors;
        for (const Finding& f : findings)
            if (f.Fails())
                errors.insert(f.Rule);
        const auto expected = faults.find(name);
        EXPECT_EQ(errors, expected == faults.end() ? std::multiset<std::string>() : expected->second)
            << name << "\n"
            << Listed(findings);
    }
}

// A kit whose .ibs names files the corpus does not hold: its IBIS rules
// pass, and the check of the whole file names exactly the missing files.
TEST(IbisCorpus, AnAmiKitWithoutItsFilesFailsOnThoseFilesAlone)
{
    const std::string dir = SharedDataDir(Folder);
    if (dir.empty())
        GTEST_SKIP() << SharedDataMissing(Folder);
    const IbisCheck::Result result = IbisCheck::File(dir + "/pybert_example_rx.ibs");
    ASSERT_TRUE(result.Read);
    std::vector<std::string> missing;
    for (const Finding& f : result.Findings)
        if (f.Fails()) {
            EXPECT_EQ(f.Rule, "ami-files") << f.Text();
            missing.push_back(f.What.substr(0, f.What.find(" is missing")));
        }
    EXPECT_EQ(missing, (std::vector<std::string>{
                           "linux_gcc4.1.2_32 library example_rx_x86.so",
                           "linux_gcc4.1.2_32 parameter file example_rx.ami",
                           "linux_gcc4.1.2_64 library example_rx_x86_amd64.so",
                           "linux_gcc4.1.2_64 parameter file example_rx.ami",
                           "Windows_VisualStudio_32 library example_rx_x86.dll",
                           "Windows_VisualStudio_32 parameter file example_rx.ami",
                           "Windows_VisualStudio_64 library example_rx_x86_amd64.dll",
                           "Windows_VisualStudio_64 parameter file example_rx.ami",
                       }));
    // A plain file: its rules, and a Note that it has no AMI model.
    const IbisCheck::Result plain = IbisCheck::File(dir + "/eispice_u26a.ibs");
    ASSERT_FALSE(plain.Findings.empty());
    EXPECT_EQ(plain.Findings.back().Rule, "ami-model");
    EXPECT_EQ(plain.Findings.back().Severity, Finding::Note);
}

namespace {

// One broken copy: in `File`, the first `From` replaced by `To`. It must add
// exactly one finding of `Rule` at `Level` on the line where `At` (default:
// `To`) begins in the copy, and besides it only findings of the rules in
// `Also` (what follows from the break); an empty Rule: no finding at all.
struct Break {
    const char* File;
    std::string From, To;
    const char* Rule;
    Finding::Level Level;
    std::string At;
    std::set<std::string> Also;
};

std::string Key(const Finding& f) { return std::string(Finding::Name(f.Severity)) + f.Rule + f.What; }

// The rows of the first I-V table after `keyword` in `text`, in reverse.
std::string Reversed(const std::string& text, const std::string& keyword, std::size_t& from, std::size_t& to)
{
    from = text.find('\n', text.find(keyword)) + 1;
    std::vector<std::string> rows;
    std::size_t at = from;
    while (at < text.size() && text[at] != '[') {
        const std::size_t end = text.find('\n', at) + 1;
        const std::string line = text.substr(at, end - at);
        if (line.find_first_not_of(" \t\r\n") != std::string::npos && line[line.find_first_not_of(" \t")] != '|')
            rows.push_back(line);
        at = end;
    }
    to = at;
    std::string reversed;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        reversed += *row;
    return reversed;
}

} // namespace

TEST(IbisCorpus, EachBrokenCopyGivesItsRulesFindingAtItsLine)
{
    const std::string dir = SharedDataDir(Folder);
    if (dir.empty())
        GTEST_SKIP() << SharedDataMissing(Folder);
    const char* const Lvc = "labtroll_lvc1g14.ibs"; // IBIS 3.2, selectors, waveforms
    const std::string remark = "| Remark: If your software does not support the Model Selector ";
    const std::string ccomp = "C_comp          3.30pF          2.07pF          4.36pF";
    const Break breaks[] = {
        // Lines: 80 characters up to 4.0 (a Warning up to 120 in 4.0), 120 from 4.1.
        {Lvc, remark, remark + std::string(30, '-'), "line-length", Finding::Error, "", {}},
        {"eispice_u26a.ibs", "[File Rev]", "|" + std::string(99, '-') + "\n[File Rev]", "line-length",
         Finding::Warning, "", {}},
        {"labtroll_sn74lvc1g14.ibs", "[File Rev]", "|" + std::string(119, '-') + "\n[File Rev]", "", Finding::Note,
         "", {}},
        // A typo of a keyword: found at its own line; the model it hid is
        // missing from the selector that names it, and nothing else.
        {Lvc, "[Model]          LVC_XG14IN_33", "[Modle]          LVC_XG14IN_33", "keyword-unknown",
         Finding::Error, "", {"selector"}},
        {Lvc, "[Model]          LVC_XGOUTI_33", "[Receiver Thresholds]\nVth = 1.5\n[Model]          LVC_XGOUTI_33",
         "keyword-version", Finding::Error, "", {}},
        {Lvc, remark, "| Remarque: " + std::string("\xC3\xA9") + "t" + std::string("\xC3\xA9"), "character",
         Finding::Error, "", {}},
        // C_comp split over the elements: IBIS 5.0 on, not in this 3.2 file.
        {Lvc, ccomp, "C_comp_pullup 3.30pF 2.07pF 4.36pF\nC_comp_pulldown 3.30pF 2.07pF 4.36pF", "c-comp",
         Finding::Error, "", {}},
        {Lvc, ccomp, "C_comp          3.30pF          4.36pF          2.07pF", "value-order", Finding::Warning, "",
         {}},
        // NA inside a clamp table is allowed; in its first row it is not.
        {Lvc, "    -5.000E+00      -4.041E+00", "    -5.000E+00      NA        ", "", Finding::Note, "", {}},
        {Lvc, "    -5.500E+00      -4.538E+00", "    -5.500E+00      NA        ", "iv-typ", Finding::Error, "", {}},
        {Lvc, "    -5.500E+00      -4.538E+00      -4.596E+00      -4.481E+00\n",
         "    -5.500E+00      -4.538E+00      -4.596E+00      -4.481E+00\n"
         "    -5.600E+00      -4.538E+00      -4.596E+00      -4.481E+00\n",
         "iv-order", Finding::Error, "    -5.000E+00", {}}, // -5.6 after -5.5 sets the direction
        {Lvc, "    -5.000E+00      -4.041E+00", "    -5.000E+00      -1.041E+00", "iv-monotonic", Finding::Warning,
         "    -4.500E+00      -3.544E+00", {}},
        // V-T tables: fixture, time order; [Ramp] against the edge into its own load.
        {Lvc, "[Rising Waveform]\nR_fixture     = 50.000\n", "[Rising Waveform]\n", "vt-fixture", Finding::Error,
         "[Rising Waveform]", {}},
        {Lvc, "  50.000ps     -25.174E-06", "   0.000ps     -25.174E-06", "vt-time", Finding::Error, "", {}},
        {Lvc, "dV/dt_r      1.522V/408.537ps", "dV/dt_r      1.522V/108.537ps", "ramp-vt", Finding::Caution,
         "[Rising Waveform]", {}},
        // The end of a V-T table against the I-V tables' settled voltage.
        {Lvc, "   9.750ns       2.537E+00", "   9.750ns       1.537E+00", "vt-iv", Finding::Warning, "",
         {"ramp-vt"}},
        // References: a missing submodel, a selector named like a model.
        {Lvc, "[Ramp]\n| variable", "[Add Submodel]\nbus_hold Non-Driving\n[Ramp]\n| variable", "submodel",
         Finding::Error, "bus_hold", {}},
        {Lvc, "[Model Selector]    LVC1G14_IN", "[Model Selector]    LVC_XG14IN_50", "selector", Finding::Error, "",
         {"pin-model"}},
        {"ykjoe_f103c8.ibs", "32 33 0 na na na", "32 32 0 na na na", "diff-pin", Finding::Error, "", {}},
        {"fedevel_sn74lvc1g17_a.ibs", "2      gndbus           pwrbus", "22     gndbus           pwrbus",
         "pin-mapping", Finding::Error, "", {}},
        {"punypi_MT40A512M16LY.ibs", "[Package Model] z11b_78ball_pkg", "[Package Model] z11b_77ball_pkg",
         "package-model", Finding::Warning, "", {}},
        // Package files: the closing keyword, the pin count.
        {"kicad_ibis_v2_1.pkg", "[End Package Model]\n", "", "pkg", Finding::Error, "[Define Package Model]", {}},
        {"kicad_ibis_v2_1.pkg", "A3\nA4\n", "A3\n", "pkg", Finding::Error, "[Number of Pins]", {}},
    };
    for (const Break& b : breaks) {
        const std::string text = ReadTestFile(dir + "/" + b.File);
        const std::size_t at = text.find(b.From);
        ASSERT_NE(at, std::string::npos) << b.File << ": " << b.From;
        const std::string broken = std::string(text).replace(at, b.From.size(), b.To);
        std::multiset<std::string> before;
        for (const Finding& f : CheckCopy(text, OwnName(text)))
            before.insert(Key(f));
        std::vector<Finding> added;
        for (const Finding& f : CheckCopy(broken, OwnName(text))) {
            const auto found = before.find(Key(f));
            if (found != before.end())
                before.erase(found);
            else if (!b.Also.count(f.Rule))
                added.push_back(f);
        }
        const std::string what = std::string(b.File) + ": " + b.To.substr(0, 40);
        if (!*b.Rule) {
            EXPECT_TRUE(added.empty()) << what << "\n" << Listed(added);
            continue;
        }
        ASSERT_EQ(added.size(), 1u) << what << "\n" << Listed(added);
        EXPECT_EQ(added[0].Rule, b.Rule) << what;
        EXPECT_EQ(added[0].Severity, b.Level) << what;
        const std::string mark = b.At.empty() ? b.To : b.At;
        const bool above = mark == "[Define Package Model]" || mark == "[Number of Pins]"; // above the edit
        const std::size_t markAt = above ? broken.find(mark) : broken.find(mark, at);
        ASSERT_NE(markAt, std::string::npos) << what;
        EXPECT_EQ(added[0].Where, std::string(IBIS_TEST_DIR) + "/corpus/" + OwnName(text) + ":" +
                                      std::to_string(LineAt(broken, markAt)))
            << what << "\n" << Listed(added);
    }
}

// Descending I-V tables are legal input: the copy with one table's rows in
// reverse gives no finding, and its CSV is the same as the original's.
TEST(IbisCorpus, ATableInReverseOrderReadsAsTheSameTable)
{
    const std::string dir = SharedDataDir(Folder);
    if (dir.empty())
        GTEST_SKIP() << SharedDataMissing(Folder);
    const std::string text = ReadTestFile(dir + "/labtroll_lvc1g14.ibs");
    std::size_t from = 0, to = 0;
    const std::string reversed = Reversed(text, "[Pulldown]", from, to);
    const std::string broken = text.substr(0, from) + reversed + text.substr(to);
    ASSERT_NE(broken, text);
    std::multiset<std::string> before, after;
    for (const Finding& f : CheckCopy(text, "lvc1g14.ibs"))
        before.insert(Key(f));
    for (const Finding& f : CheckCopy(broken, "lvc1g14.ibs"))
        after.insert(Key(f));
    EXPECT_EQ(after, before);
}
