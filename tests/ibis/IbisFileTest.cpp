#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "ibis/IbisFile.h"
#include "tests/ibis/IbisTestFiles.h"

namespace {

// The kit's .ibs lies beside its .ami.
std::string KitPath()
{
    const std::string ami = HALVEX_AMI_PATH;
    return ami.substr(0, ami.size() - 4) + ".ibs";
}

std::string KitText()
{
    std::string text;
    std::string error;
    EXPECT_TRUE(IbisFile::ReadText(KitPath(), IbisFile::MaxBytes, text, error)) << error;
    return text;
}

// The line on which `text` holds `what` (the first that begins with it, or
// with blanks and it), found here with a plain search of its own, so that
// tests on the kit's file need no line numbers of it.
int LineOf(const std::string& text, const std::string& what)
{
    int line = 1;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::size_t first = text.find_first_not_of(" \t", start);
        if (first < end && text.compare(first, what.size(), what) == 0)
            return line;
        start = end + 1;
        ++line;
    }
    ADD_FAILURE() << "no line begins with " << what;
    return 0;
}

IbisFile ReadOk(const std::string& text, const std::string& path = "f.ibs")
{
    IbisFile file;
    std::string error;
    EXPECT_TRUE(IbisFile::Read(text, path, file, error)) << error;
    EXPECT_EQ(error, "");
    return file;
}

std::string ErrorOf(const std::string& text)
{
    IbisFile file;
    std::string error;
    EXPECT_FALSE(IbisFile::Read(text, "f.ibs", file, error)) << text;
    return error;
}

// One model m after the header, with `body` below its [Model] line (line 3).
std::string InModel(const std::string& body) { return "[IBIS Ver] 7.1\n[Model] m\n" + body; }

// One component c, with `body` below its [Component] line (line 3).
std::string InComponent(const std::string& body) { return "[IBIS Ver] 7.1\n[Component] c\n" + body; }

// The records of a file as text, to compare two reads.
std::string Summary(const IbisFile& f)
{
    std::string s = f.IbisVer.Text + "|" + f.Notes.Text + "|" + std::to_string(f.EndLine) + "|" +
                    std::to_string(f.LongLines.size()) + "\n";
    for (const IbisComponent& c : f.Components) {
        s += c.Name + "@" + std::to_string(c.Line) + " " + c.Manufacturer.Text + "\n";
        for (const IbisPin& p : c.Pins)
            s += " " + p.Name + " " + p.Signal + " " + p.Model + "@" + std::to_string(p.Line) + "\n";
    }
    for (const IbisModel& m : f.Models) {
        s += m.Name + "@" + std::to_string(m.Line) + " " + m.ModelType.Text + "\n";
        for (const IbisIvTable* t : {&m.Pulldown, &m.Pullup, &m.GndClamp, &m.PowerClamp})
            for (const IbisIvRow& r : t->Rows)
                s += " " + std::to_string(r.Voltage) + " " + std::to_string(r.Current.Typ.value_or(-1)) + "@" +
                     std::to_string(r.Current.Line) + "\n";
        for (const IbisExecutable& e : m.Algorithmic.Executables)
            s += " " + e.Platform + " " + e.Library + " " + e.ParameterFile + "@" + std::to_string(e.Line) + "\n";
    }
    return s;
}

} // namespace

TEST(IbisFile, TheKitsFileReadsAsWritten)
{
    const std::string text = KitText();
    const IbisFile f = ReadOk(text, "kit/Halvex_tx.ibs");
    EXPECT_EQ(f.IbisVer.Text, "7.1");
    EXPECT_EQ(f.VersionMajor * 10 + f.VersionMinor, 71);
    EXPECT_EQ(f.FileName.Text, "Halvex_tx.ibs");
    EXPECT_EQ(f.FileRev.Text, "1.1");
    EXPECT_EQ(f.Source.Text.substr(0, 20), "Halvex_tx model kit.");
    EXPECT_NE(f.Notes.Text.find("\ncarry the driver's edge"), std::string::npos);
    EXPECT_NE(f.Disclaimer.Line, 0);
    EXPECT_EQ(f.Copyright.Text, "Copyright (c) 2026, the Halvex_tx developers.\nBSD-3-Clause licence (LICENSE in the kit).");

    ASSERT_EQ(f.Components.size(), 1u);
    const IbisComponent& c = f.Components[0];
    EXPECT_EQ(c.Name, "Halvex_tx");
    EXPECT_EQ(c.Manufacturer.Text, "Halvex");
    EXPECT_EQ(c.Package.R.Typ, 0.0);
    EXPECT_EQ(c.Package.L.Max, 0.0);
    EXPECT_EQ(c.Package.C.Line, LineOf(text, "C_pkg"));
    std::vector<std::string> pins;
    for (const IbisPin& p : c.Pins)
        pins.push_back(p.Name + " " + p.Signal + " " + p.Model + " @" + std::to_string(p.Line));
    const int pin1 = LineOf(text, "[Pin]") + 1;
    EXPECT_EQ(LineOf(text, "1      TXP"), pin1);
    const auto at = [](int line) { return " @" + std::to_string(line); };
    EXPECT_EQ(pins, (std::vector<std::string>{"1 TXP Halvex_tx" + at(pin1), "2 TXN Halvex_tx" + at(pin1 + 1),
                                              "3 VDD POWER" + at(pin1 + 2), "4 GND GND" + at(pin1 + 3)}));
    ASSERT_EQ(c.DiffPins.size(), 1u);
    EXPECT_EQ(c.DiffPins[0].Pin + c.DiffPins[0].InvertedPin, "12");
    EXPECT_EQ(c.DiffPins[0].Vdiff, 0.1);
    EXPECT_EQ(c.DiffPins[0].Tdelay.Typ, 0.0);

    ASSERT_EQ(f.Models.size(), 1u);
    const IbisModel& m = f.Models[0];
    EXPECT_EQ(m.Name, "Halvex_tx");
    EXPECT_EQ(m.Polarity.Text, "Non-Inverting");
    EXPECT_EQ(m.CComp.Typ, 1e-14);
    EXPECT_EQ(m.Vmeas.Value, 0.25);
    EXPECT_EQ(m.Rref.Value, 50.0);
    EXPECT_EQ(m.Cref.Value, 0.0);
    EXPECT_EQ(m.Vref.Value, 0.0);
    EXPECT_EQ(m.TemperatureRange.Typ, 25.0);
    EXPECT_EQ(m.VoltageRange.Min, 0.95);
    // Both legs are 50 ohm: 20 mA per volt, pulling down and up.
    ASSERT_EQ(m.Pulldown.Rows.size(), 7u);
    ASSERT_EQ(m.Pullup.Rows.size(), 7u);
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(m.Pulldown.Rows[i].Voltage, -1.0 + 0.5 * static_cast<double>(i));
        EXPECT_DOUBLE_EQ(*m.Pulldown.Rows[i].Current.Max, m.Pulldown.Rows[i].Voltage / 50.0);
        EXPECT_DOUBLE_EQ(*m.Pullup.Rows[i].Current.Min, -m.Pullup.Rows[i].Voltage / 50.0);
    }
    EXPECT_EQ(m.Pulldown.Rows[0].Current.Line, LineOf(text, "[Pulldown]") + 2); // below the columns' comment
    EXPECT_EQ(m.GndClamp.Rows.size(), 3u);
    EXPECT_EQ(m.PowerClamp.Rows.size(), 3u);
    EXPECT_EQ(m.Ramp.Rising.Typ->Dv, 0.30);
    EXPECT_EQ(m.Ramp.Rising.Typ->Dt, 1e-12);
    EXPECT_EQ(m.Ramp.Falling.Min->Dv, 0.285);
    EXPECT_EQ(m.Ramp.RLoad.Value, 50.0);

    EXPECT_EQ(m.Algorithmic.Line, LineOf(text, "[Algorithmic Model]"));
    EXPECT_EQ(m.Algorithmic.EndLine, LineOf(text, "[End Algorithmic Model]"));
    ASSERT_EQ(m.Algorithmic.Executables.size(), 2u);
    const IbisExecutable& linux = m.Algorithmic.Executables[0];
    const IbisExecutable& windows = m.Algorithmic.Executables[1];
    EXPECT_EQ(linux.Kind + " " + linux.Platform + " " + linux.Library + " " + linux.ParameterFile,
              "Executable Linux_gcc_64 Halvex_tx_x64.so Halvex_tx.ami");
    EXPECT_EQ(linux.Line, LineOf(text, "Executable  Linux_gcc_64"));
    EXPECT_EQ(windows.Platform + " " + windows.Library + " " + windows.ParameterFile,
              "Windows_VisualStudio_64 Halvex_tx_x64.dll Halvex_tx.ami");
    EXPECT_EQ(windows.Line, LineOf(text, "Executable  Windows_VisualStudio_64"));
    EXPECT_EQ(f.EndLine, LineOf(text, "[End]"));
    EXPECT_EQ(f.TextAfterEndLine, 0);
}

TEST(IbisFile, TheKitsOutputModelHasWhatSimulatorsRequireWithinIbisLimits)
{
    const IbisFile f = ReadOk(KitText());
    ASSERT_EQ(f.Components.size(), 1u);
    const IbisComponent& c = f.Components[0];
    EXPECT_FALSE(c.Manufacturer.Text.empty());
    EXPECT_TRUE(c.Package.Line && c.Package.R.Line && c.Package.L.Line && c.Package.C.Line);
    EXPECT_FALSE(c.Pins.empty());
    const IbisModel* m = f.FindModel(c.Pins[0].Model);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->ModelType.Text, "Output");
    EXPECT_TRUE(m->VoltageRange.Typ.has_value());
    for (const IbisIvTable* table : {&m->Pulldown, &m->Pullup, &m->GndClamp, &m->PowerClamp})
        EXPECT_GE(table->Rows.size(), 2u);
    EXPECT_TRUE(m->Ramp.Rising.Typ && m->Ramp.Falling.Typ);
    // No line over 80 characters (every IBIS version's limit); names within
    // the 20 characters of the oldest versions.
    EXPECT_TRUE(f.LongLines.empty());
    EXPECT_LE(c.Name.size(), 20u);
    EXPECT_LE(m->Name.size(), 20u);
}

TEST(IbisFile, TheKitsLibrariesResolveBesideTheFileForEachHost)
{
    const IbisFile f = ReadOk(KitText(), "kit/Halvex_tx.ibs");
    std::string error;
    const IbisModel* m = f.SelectAmiModel("", error);
    ASSERT_NE(m, nullptr) << error;
    IbisExecutableChoice choice;
    ASSERT_TRUE(f.FindExecutable(*m, IbisPlatform::Parse("Linux_gcc_64"), choice, error)) << error;
    EXPECT_EQ(choice.Executable->Line, 101);
    EXPECT_EQ(choice.Library, "kit/Halvex_tx_x64.so");
    EXPECT_EQ(choice.ParameterFile, "kit/Halvex_tx.ami");
    ASSERT_TRUE(f.FindExecutable(*m, IbisPlatform::Parse("Windows_VisualStudio_64"), choice, error)) << error;
    EXPECT_EQ(choice.Library, "kit/Halvex_tx_x64.dll");
    ASSERT_TRUE(f.FindExecutable(*m, IbisPlatform::Parse("Windows_MinGW_64"), choice, error)) << error;
    EXPECT_EQ(choice.Executable->Line, 102); // another compiler of the same system and bitness
    EXPECT_FALSE(f.FindExecutable(*m, IbisPlatform::Parse("Linux_gcc_32"), choice, error));
    EXPECT_EQ(error, "kit/Halvex_tx.ibs:100: [Model] Halvex_tx has no Executable line for 32-bit Linux (it has "
                     "Linux_gcc_64, Windows_VisualStudio_64)");
    EXPECT_EQ(choice.Executable, nullptr);
    // The host this test runs on has its line.
    EXPECT_TRUE(f.FindExecutable(*m, IbisPlatform::Host(), choice, error)) << error;
}

TEST(IbisFile, KeywordsAndSubparametersReadInAnyCaseWithBlanksOrUnderscores)
{
    const IbisFile f = ReadOk("[ibis_VER]   7.0   | a comment\n"
                              "[file  name] v.ibs\n"
                              "[Component]  Some Chip  \n"
                              "Si_location  Pin\n"
                              "[MANUFACTURER] Maker | who\n"
                              "[package]\n"
                              "r_pkg = 10m  NA  NA\n"
                              "L_PKG=1nH 0.5nH 2nH\n"
                              "c_pkg  1pF NA NA\n"
                              "[PIN] signal_name model_name R_pin L_pin C_pin\n"
                              "A1   DQ0     io   50m  1nH  0.5pF\n"
                              "A2   VDDQ    POWER\n"
                              "[Diff_Pin]  inv_pin vdiff tdelay_typ tdelay_min tdelay_max\n"
                              "A1  A2  NA  0 NA NA\n"
                              "[Model] io\n"
                              "model_TYPE = I/O\n"
                              "polarity Inverting\n"
                              "Vmeas=0.5\n"
                              "C_comp 1p 0.9p NA\n"
                              "[Temperature_Range] 25 100 0\n"
                              "[voltage range]     1.2V 1.1V 1.3V\n"
                              "[gnd_clamp]\n"
                              "-1.2 -1A NA NA\n"
                              "[POWER  CLAMP]\n"
                              "[Ramp]\n"
                              "dv/DT_R = 0.5/100p NA 0.6/80p\n"
                              "R_LOAD=25\n"
                              "[algorithmic_model]\n"
                              "executable Linux_gcc_64 a.so a.ami\n"
                              "[END_algorithmic model]\n"
                              "[end]\n");
    EXPECT_EQ(f.VersionMajor * 10 + f.VersionMinor, 70);
    EXPECT_EQ(f.FileName.Text, "v.ibs");
    const IbisComponent& c = f.Components.at(0);
    EXPECT_EQ(c.Name, "Some Chip");
    EXPECT_EQ(c.Manufacturer.Text, "Maker");
    EXPECT_EQ(c.Package.R.Typ, 0.01);
    EXPECT_FALSE(c.Package.R.Min.has_value());
    EXPECT_EQ(c.Package.L.Min, 0.5e-9);
    ASSERT_EQ(c.Pins.size(), 2u);
    EXPECT_EQ(c.Pins[0].C, 0.5e-12);
    EXPECT_FALSE(c.Pins[1].R.has_value());
    EXPECT_FALSE(c.DiffPins.at(0).Vdiff.has_value());
    const IbisModel& m = f.Models.at(0);
    EXPECT_EQ(m.ModelType.Text, "I/O");
    EXPECT_EQ(m.Polarity.Text, "Inverting");
    EXPECT_EQ(m.Vmeas.Value, 0.5);
    EXPECT_FALSE(m.CComp.Max.has_value());
    EXPECT_EQ(m.VoltageRange.Max, 1.3);
    EXPECT_EQ(m.GndClamp.Rows.at(0).Current.Typ, -1.0);
    EXPECT_EQ(m.PowerClamp.Line, 24);
    EXPECT_TRUE(m.PowerClamp.Rows.empty());
    EXPECT_FALSE(m.Ramp.Rising.Min.has_value());
    EXPECT_EQ(m.Ramp.Rising.Max->Dt, 80e-12);
    EXPECT_EQ(m.Ramp.Falling.Line, 0);
    EXPECT_EQ(m.Ramp.RLoad.Value, 25.0);
    EXPECT_EQ(m.Algorithmic.Executables.at(0).Kind, "executable");
    EXPECT_EQ(m.Algorithmic.EndLine, 30);
}

TEST(IbisFile, CommentsAndTheCommentCharacterAreHonoured)
{
    const IbisFile f = ReadOk("| before the version\n"
                              "[IBIS Ver] 7.1 | trailing\n"
                              "[Comment Char] #_char | the old character still comments this line\n"
                              "[Notes] a | b   # now this is the comment\n"
                              "# a whole-line comment\n"
                              "[Comment Char] |_char  # this too\n"
                              "[Copyright] c | d\n"
                              "[End]\n");
    EXPECT_EQ(f.IbisVer.Text, "7.1");
    EXPECT_EQ(f.Notes.Text, "a | b");
    EXPECT_EQ(f.Copyright.Text, "c");
}

TEST(IbisFile, TextKeywordsKeepTheirLinesAndParagraphsWithoutComments)
{
    const IbisFile f = ReadOk("[IBIS Ver] 7.1\n"
                              "[Source]\n"
                              "\n"
                              "   first line  \n"
                              "   second line\n"
                              "|  a comment line inside the text\n"
                              "\n"
                              "\n"
                              "   after two blank lines | and a comment\n"
                              "\n"
                              "[Date]\n"
                              "[End]\n");
    EXPECT_EQ(f.Source.Text, "first line\nsecond line\n\n\nafter two blank lines");
    EXPECT_EQ(f.Source.Line, 2);
    EXPECT_EQ(f.Date.Text, "");
    EXPECT_EQ(f.Date.Line, 11);
}

TEST(IbisFile, UnusedKeywordsAndSectionsAreSkippedWithoutLendingThemTheirContents)
{
    const IbisFile f = ReadOk("[IBIS Ver] 7.1\n"
                              "[Component] c\n"
                              "[Package Model] pkg\n"
                              "[Pin] signal model\n"
                              "1 s io\n"
                              "[Pin Mapping] pulldown_ref pullup_ref\n"
                              "1 GND VDD\n"
                              "[Model Selector] sel\n"   // line 8
                              "io   the fast one\n"
                              "io2  the slow one\n"
                              "[Define Package Model] pkg\n"
                              "[Manufacturer] a package maker\n"
                              "[Row] 1\n"
                              "1 2 3\n"
                              "4 5\n"
                              "[End Package Model]\n"
                              "[Model] io\n"
                              "Vinl = 0.8V\n"
                              "C_comp_pullup 1p 1p 1p\n"
                              "[Model_Spec]\n"
                              "Vinh 1 1 1\n"
                              "[Rising Waveform]\n"
                              "R_fixture = 50\n"
                              "0 0 0 0\n"
                              "[External Model]\n"
                              "Language Verilog-AMS\n"
                              "[End External Model]\n"
                              "[Pulldown]\n"
                              "0 0 0 0\n"
                              "[Submodel] sub\n"
                              "Submodel_type Dynamic_clamp\n"
                              "[Pulldown]\n"
                              "0 1 1 1\n"
                              "[Ramp]\n"
                              "nonsense that is not read\n"
                              "[Model] io2\n"
                              "[Pulldown]\n"
                              "0 2 2 2\n"
                              "[End]\n");
    ASSERT_EQ(f.Components.size(), 1u);
    EXPECT_EQ(f.Components[0].Manufacturer.Line, 0); // the package model's is not the component's
    EXPECT_EQ(f.Components[0].Pins.size(), 1u);
    ASSERT_EQ(f.ModelSelectors.size(), 1u);
    EXPECT_EQ(f.ModelSelectors[0].Name, "sel");
    EXPECT_EQ(f.ModelSelectors[0].Line, 8);
    ASSERT_EQ(f.ModelSelectors[0].Models.size(), 2u);
    EXPECT_EQ(f.ModelSelectors[0].Models[1].Model, "io2");
    EXPECT_EQ(f.ModelSelectors[0].Models[1].Line, 10);
    ASSERT_EQ(f.Models.size(), 2u);
    EXPECT_EQ(f.Models[0].CComp.Line, 0); // C_comp_pullup is another sub-parameter
    ASSERT_EQ(f.Models[0].Pulldown.Rows.size(), 1u);
    EXPECT_EQ(f.Models[0].Pulldown.Rows[0].Current.Typ, 0.0); // not the submodel's
    EXPECT_EQ(f.Models[0].Ramp.Line, 0);
    EXPECT_EQ(f.Models[1].Pulldown.Rows.at(0).Current.Typ, 2.0);
}

TEST(IbisFile, ReadingStopsAtEndAndNotesWhatFollows)
{
    IbisFile f = ReadOk("[IBIS Ver] 7.1\n[End]\n\n| a comment\n   \n[Model] x y z\n\x01\x02");
    EXPECT_EQ(f.EndLine, 2);
    EXPECT_EQ(f.TextAfterEndLine, 6);
    EXPECT_TRUE(f.Models.empty());
    f = ReadOk("[IBIS Ver] 7.1\n[End]\n| only comments\n\n");
    EXPECT_EQ(f.TextAfterEndLine, 0);
    f = ReadOk("[IBIS Ver] 7.1\n[End]");
    EXPECT_EQ(f.EndLine, 2);
}

TEST(IbisFile, LinesOverEightyCharactersAreRecordedWithTheirLength)
{
    const std::string line81 = "| " + std::string(79, 'x');
    const std::string line121 = "[Notes] " + std::string(113, 'y');
    const IbisFile f = ReadOk("[IBIS Ver] 7.1\r\n" + line81 + "\r\n" + std::string(80, '|') + "\r\n" + line121 +
                              "\r\n[End]\r\n" + std::string(200, '|'));
    ASSERT_EQ(f.LongLines.size(), 2u);
    EXPECT_EQ(f.LongLines[0].Line, 2);
    EXPECT_EQ(f.LongLines[0].Length, 81u);
    EXPECT_EQ(f.LongLines[1].Line, 4);
    EXPECT_EQ(f.LongLines[1].Length, 121u);
    EXPECT_EQ(f.Notes.Text, std::string(113, 'y'));
}

TEST(IbisFile, CrLfLineEndsAndAByteOrderMarkReadLikeTheirPlainCopy)
{
    const std::string lf = KitText();
    std::string crlf = "\xEF\xBB\xBF";
    for (const char c : lf)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(Summary(ReadOk(crlf)), Summary(ReadOk(lf)));
    EXPECT_EQ(ReadOk(crlf).Notes.Text, ReadOk(lf).Notes.Text);
}

TEST(IbisFile, EveryFaultNamesTheFileAndItsLine)
{
    const struct {
        std::string text;
        const char* error;
    } cases[] = {
        {"", "f.ibs:1: no [IBIS Ver]: the file holds no keyword"},
        {"| a comment\n\n", "f.ibs:2: no [IBIS Ver]: the file holds no keyword"},
        {"hello\n[IBIS Ver] 7.1\n", "f.ibs:1: text before [IBIS Ver]"},
        {"[Component] x\n", "f.ibs:1: the file must begin with [IBIS Ver], not [Component]"},
        {"[IBIS Ver] seven\n", "f.ibs:1: [IBIS Ver] \"seven\" is not a version such as 7.1"},
        {"[IBIS Ver] 7.1\n[IBIS_Ver] 7.1\n", "f.ibs:2: second [IBIS_Ver] (the first is on line 1)"},
        {"[IBIS Ver] 7.1\n[Notes] a\n[Notes] b\n", "f.ibs:3: second [Notes] (the first is on line 2)"},
        {"[IBIS Ver] 7.1\n[File Name x.ibs\n", "f.ibs:2: keyword \"[File Name x.ibs\" without its closing \"]\""},
        {"[IBIS Ver] 7.1\n[Pin | a comment]\n",
         "f.ibs:2: keyword \"[Pin | a comment]\" without its closing \"]\""},
        {"[IBIS Ver] 7.1\n[ _ ]\n", "f.ibs:2: empty keyword \"[ _ ]\""},
        {"[IBIS Ver] 7.1\n[Date] today\nand tomorrow\n",
         "f.ibs:3: \"and tomorrow\" after [Date], which takes no lines of data"},
        {"[IBIS Ver] 7.1\n[Comment Char] #\n",
         "f.ibs:2: [Comment Char] needs a character followed by _char, such as #_char; found \"#\""},
        {"[IBIS Ver] 7.1\n[Comment Char] a_char\n",
         "f.ibs:2: \"a\" cannot be the comment character (IBIS allows one of !\"#$%&'()*,:;<>?@\\^`{|}~)"},
        {"[IBIS Ver] 7.1\n[Comment Char] #_char x\n",
         "f.ibs:2: [Comment Char] takes one character; found \"x\" after it"},
        {std::string("[IBIS Ver] 7.1\n[Notes] a\nb\0c\n", 29), "f.ibs:3: NUL byte in the text"},
        {"[IBIS Ver] 7.1\n[Component] c\n", "f.ibs:2: no [End]: the file ends without it"},
        {"[IBIS Ver] 7.1\n[End] now\n", "f.ibs:2: [End] takes nothing on its line; found \"now\""},
        {"[IBIS Ver] 7.1\n[Pin] signal model\n", "f.ibs:2: [Pin] outside a [Component]"},
        {"[IBIS Ver] 7.1\n[Component] c\n[Pulldown]\n", "f.ibs:3: [Pulldown] outside a [Model]"},
        {InModel("[Manufacturer] x\n"), "f.ibs:3: [Manufacturer] outside a [Component]"},
        {"[IBIS Ver] 7.1\n[Component] \n", "f.ibs:2: [Component] without a name"},
        {"[IBIS Ver] 7.1\n[Model] a b\n", "f.ibs:2: [Model] takes one name without blanks; found \"a b\""},
        {"[IBIS Ver] 7.1\n[Model Selector]\n", "f.ibs:2: [Model Selector] without a name"},
        {InModel("[Model] m\n"), "f.ibs:3: second [Model] m (the first is on line 2)"},
        {InComponent("[Pin]\n[Pin]\n"), "f.ibs:4: second [Pin] in [Component] c (the first is on line 3)"},
        {InComponent("[Package]\nR_pkg 1 2\n"), "f.ibs:4: R_pkg needs 3 values (typ min max), found 2"},
        {InComponent("[Package]\nX_pkg 1 1 1\n"), "f.ibs:4: [Package] takes R_pkg, L_pkg and C_pkg, not \"X_pkg\""},
        {InComponent("[Pin]\n1 a\n"),
         "f.ibs:4: [Pin] row needs 3 fields (pin signal model) or 6 (and R_pin L_pin C_pin), found 2"},
        {InComponent("[Pin]\n1 a m x 1n 1p\n"), "f.ibs:4: R_pin of pin 1: \"x\" is not a number or NA"},
        {InComponent("[Diff Pin]\n1 2 0.1V 0ns 0ns\n"),
         "f.ibs:4: [Diff Pin] row needs 6 fields (pin inv_pin vdiff tdelay_typ tdelay_min tdelay_max), found 5"},
        {InModel("C_comp 1p 1p 1p\nc_comp 2p 2p 2p\n"), "f.ibs:4: second c_comp in [Model] m (the first is on line 3)"},
        {InModel("C_comp 1p 1p\n"), "f.ibs:3: C_comp needs 3 values (typ min max), found 2"},
        {InModel("C_comp 1p x 1p\n"), "f.ibs:3: C_comp min: \"x\" is not a number or NA"},
        {InModel("Model_type Output Input\n"), "f.ibs:3: Model_type takes one value, found 2"},
        {InModel("Vmeas = \n"), "f.ibs:3: Vmeas takes one value, found 0"},
        {InModel("[Voltage Range] 1 2\n"), "f.ibs:3: [Voltage Range] needs 3 values (typ min max), found 2"},
        {InModel("[Pulldown] extra\n"), "f.ibs:3: [Pulldown] takes nothing on its line; found \"extra\""},
        {InModel("[Pulldown]\n-1 0 0\n"),
         "f.ibs:4: [Pulldown] row needs 4 fields (voltage, I(typ), I(min), I(max)), found 3"},
        // A row split over two lines: IBIS tables are one row per line.
        {InModel("[GND Clamp]\n-1.0  -20mA\n      -20mA  -20mA\n"),
         "f.ibs:4: [GND Clamp] row needs 4 fields (voltage, I(typ), I(min), I(max)), found 2"},
        {InModel("[Pullup]\nNA 0 0 0\n"), "f.ibs:4: [Pullup] voltage: \"NA\" is not a number"},
        {InModel("[Pulldown]\n[Pulldown]\n"), "f.ibs:4: second [Pulldown] in [Model] m (the first is on line 3)"},
        {InModel("[Ramp]\ndV/dt_r 0.3 0.3/1p 0.3/1p\n"),
         "f.ibs:4: dV/dt_r typ: \"0.3\" is not a rate dV/dt such as 0.30/1.0p, or NA"},
        {InModel("[Ramp]\nslew 1 2 3\n"), "f.ibs:4: [Ramp] takes dV/dt_r, dV/dt_f and R_load, not \"slew\""},
        {InModel("[Ramp]\nR_load 50\nR_load 50\n"),
         "f.ibs:5: second R_load in the [Ramp] of [Model] m (the first is on line 4)"},
        {InModel("[Algorithmic Model]\nExecutable Linux_gcc_64 a.so\n"),
         "f.ibs:4: Executable needs 3 fields (platform, library, parameter file), found 2"},
        {InModel("[Algorithmic Model]\nLibrary x\n"), "f.ibs:4: [Algorithmic Model] takes Executable lines, not \"Library\""},
        {InModel("[Algorithmic Model]\n[Ramp]\n"),
         "f.ibs:4: [Ramp] inside the [Algorithmic Model] of line 3, before its [End Algorithmic Model]"},
        {InModel("[Algorithmic Model]\nExecutable a b c\n"),
         "f.ibs:4: the file ends inside the [Algorithmic Model] of line 3, before its [End Algorithmic Model]"},
        {InModel("[Algorithmic Model]\n[End Algorithmic Model]\n[Algorithmic Model]\n"),
         "f.ibs:5: second [Algorithmic Model] in [Model] m (the first is on line 3)"},
        {InModel("[End Algorithmic Model]\n"), "f.ibs:3: [End Algorithmic Model] without an [Algorithmic Model]"},
        {InModel("[Ramp]\n\xff\xfe garbage 1 2\n"),
         "f.ibs:4: [Ramp] takes dV/dt_r, dV/dt_f and R_load, not \"??\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorOf(c.text), c.error) << c.text;
}

TEST(IbisFile, AFailedReadLeavesTheFileEmpty)
{
    IbisFile file = ReadOk(KitText());
    std::string error;
    std::string broken = KitText();
    broken.replace(broken.find("[End]\n"), 6, "");
    EXPECT_FALSE(IbisFile::Read(broken, "f.ibs", file, error));
    EXPECT_EQ(error, "f.ibs:104: no [End]: the file ends without it");
    EXPECT_TRUE(file.Path.empty() && file.Components.empty() && file.Models.empty() && file.IbisVer.Line == 0);
}

TEST(IbisFile, HostileInputIsRefusedWithItsLineOrReadWithinBounds)
{
    // Bytes of every kind, and the kit's file with bytes overwritten: a
    // result or one "f.ibs:LINE: " error with the line inside the text.
    std::mt19937 random(7);
    const std::string kit = KitText();
    for (int round = 0; round < 400; ++round) {
        std::string text = kit;
        if (round % 2 == 0) {
            text.assign(1 + random() % 2000, '\0');
            for (char& c : text)
                c = static_cast<char>(random());
        } else {
            for (int k = 0; k < 4; ++k)
                text[random() % text.size()] = "[]|_ \n\r\0x1/="[random() % 13];
        }
        IbisFile file;
        std::string error;
        if (IbisFile::Read(text, "f.ibs", file, error))
            continue;
        ASSERT_EQ(error.compare(0, 6, "f.ibs:"), 0) << error;
        const int line = std::stoi(error.substr(6));
        std::size_t lines = 1;
        for (const char c : text)
            lines += c == '\n';
        EXPECT_TRUE(line >= 1 && static_cast<std::size_t>(line) <= lines) << error;
    }

    EXPECT_EQ(ErrorOf(std::string(IbisFile::MaxBytes + 1, '|')), "f.ibs: larger than 33554432 bytes");
    // A line of a megabyte, and brackets nested a hundred thousand deep.
    EXPECT_EQ(ReadOk("[IBIS Ver] 7.1\n[Notes] " + std::string(1 << 20, 'n') + "\n[End]\n").Notes.Text.size(),
              1u << 20);
    EXPECT_EQ(ReadOk("[IBIS Ver] 7.1\n" + std::string(100000, '[') + std::string(100000, ']') + "\n[End]\n").EndLine, 3);
    // Thousands of sections, each opened and closed.
    std::string many = "[IBIS Ver] 7.1\n";
    for (int i = 0; i < 20000; ++i)
        many += "[Model] m" + std::to_string(i) + "\n[Algorithmic Model]\n[End Algorithmic Model]\n[Submodel] s\n";
    EXPECT_EQ(ReadOk(many + "[End]\n").AmiModels().size(), 20000u);
}

TEST(IbisFile, NoInputKeepsMoreThanTheRecordLimit)
{
    // Each of the four keyword lines is a record, the [Model] one more, its
    // rows the others.
    std::string rows = InModel("[Pulldown]\n");
    rows.reserve(rows.size() + 8 * IbisFile::MaxRecords + 8);
    for (std::size_t i = 5; i < IbisFile::MaxRecords; ++i)
        rows += "0 0 0 0\n";
    IbisFile file;
    std::string error;
    EXPECT_TRUE(IbisFile::Read(rows + "[End]\n", "f.ibs", file, error)) << error;
    EXPECT_EQ(file.Models.at(0).Pulldown.Rows.size(), IbisFile::MaxRecords - 5);
    EXPECT_EQ(ErrorOf(rows + "0 0 0 0\n[End]\n"), "f.ibs:" + std::to_string(IbisFile::MaxRecords) +
                                                      ": more than 1000000 pins, table rows and other entries");
}

TEST(IbisFile, ModelsAreFoundByTheirExactName)
{
    const std::string text = "[IBIS Ver] 7.1\n"
                             "[Model Selector] sel\n"
                             "a  fast\n"
                             "c  slow\n"
                             "[Model] a\n"
                             "[Algorithmic Model]\n[End Algorithmic Model]\n"
                             "[Model] b\n"
                             "[Model] c\n"
                             "[Algorithmic Model]\n[End Algorithmic Model]\n"
                             "[End]\n";
    const IbisFile f = ReadOk(text);
    EXPECT_EQ(f.FindModel("b"), &f.Models[1]);
    EXPECT_EQ(f.FindModel("B"), nullptr); // IBIS names are case-sensitive
    const std::vector<const IbisModel*> ami = f.AmiModels();
    ASSERT_EQ(ami.size(), 2u);
    EXPECT_EQ(ami[1]->Name, "c");

    std::string error;
    EXPECT_EQ(f.SelectAmiModel("c", error), &f.Models[2]);
    EXPECT_EQ(f.SelectAmiModel("", error), nullptr);
    EXPECT_EQ(error, "f.ibs: 2 models have an [Algorithmic Model] (a, c): name the one to run");
    EXPECT_EQ(f.SelectAmiModel("b", error), nullptr);
    EXPECT_EQ(error, "f.ibs:8: [Model] b has no [Algorithmic Model]");
    EXPECT_EQ(f.SelectAmiModel("sel", error), nullptr);
    EXPECT_EQ(error, "f.ibs: no [Model] sel (line 2 names a [Model Selector] of a, c); models with an "
                     "[Algorithmic Model]: a, c");
    const IbisFile plain = ReadOk("[IBIS Ver] 7.1\n[Model] b\n[End]\n");
    EXPECT_EQ(plain.SelectAmiModel("", error), nullptr);
    EXPECT_EQ(error, "f.ibs: no [Model] has an [Algorithmic Model]");
    EXPECT_EQ(plain.SelectAmiModel("x", error), nullptr);
    EXPECT_EQ(error, "f.ibs: no [Model] x; no model has an [Algorithmic Model]");
    EXPECT_EQ(ReadOk(text.substr(0, text.find("[Model] c")) + "[End]\n").SelectAmiModel("", error)->Name, "a");
}

TEST(IbisFile, TheExecutableOfTheHostsOwnCompilerComesFirstThenAnyOfItsSystemAndBitness)
{
    const IbisFile f = ReadOk("[IBIS Ver] 7.1\n"
                              "[Model] m\n"
                              "[Algorithmic Model]\n"
                              "Executable_Rx Linux_gcc_64   rx.so    rx.ami\n"
                              "Executable    Linux_clang_64 clang.so m.ami\n"
                              "Executable    Linux_gcc_32   gcc32.so m.ami\n"
                              "Executable    Linux_gcc_64   bin/gcc.so /opt/m.ami\n"
                              "[End Algorithmic Model]\n"
                              "[Model] none\n"
                              "[Algorithmic Model]\n"
                              "[End Algorithmic Model]\n"
                              "[End]\n",
                              "kits/a/m.ibs");
    IbisExecutableChoice choice;
    std::string error;
    ASSERT_TRUE(f.FindExecutable(f.Models[0], IbisPlatform::Parse("Linux_gcc_64"), choice, error)) << error;
    EXPECT_EQ(choice.Executable->Line, 7);
    EXPECT_EQ(choice.Library, "kits/a/bin/gcc.so");
    EXPECT_EQ(choice.ParameterFile, "/opt/m.ami");
    ASSERT_TRUE(f.FindExecutable(f.Models[0], IbisPlatform::Parse("Linux_icc_64"), choice, error)) << error;
    EXPECT_EQ(choice.Library, "kits/a/clang.so");
    EXPECT_FALSE(f.FindExecutable(f.Models[0], IbisPlatform::Parse("Windows_VisualStudio_64"), choice, error));
    EXPECT_EQ(error, "kits/a/m.ibs:3: [Model] m has no Executable line for 64-bit Windows (it has Linux_clang_64, "
                     "Linux_gcc_32, Linux_gcc_64)");
    EXPECT_FALSE(f.FindExecutable(f.Models[1], IbisPlatform::Parse("Linux_gcc_64"), choice, error));
    EXPECT_EQ(error, "kits/a/m.ibs:10: [Model] none has no Executable line for 64-bit Linux (it has none)");

    EXPECT_EQ(ReadOk("[IBIS Ver] 7.1\n[End]\n", "m.ibs").Resolve("a.so"), "a.so");
    EXPECT_EQ(ReadOk("[IBIS Ver] 7.1\n[End]\n", "/kit/m.ibs").Resolve("a.so"), "/kit/a.so");
}

TEST(IbisFile, ReadFileReadsFromDiskAndNamesTheFileItCannotRead)
{
    const std::string path = std::string(IBIS_TEST_DIR) + "/ibis_read_file.ibs";
    std::filesystem::create_directories(IBIS_TEST_DIR);
    std::string error;
    ASSERT_TRUE(WriteTestFile(path, KitText()));
    IbisFile file;
    ASSERT_TRUE(IbisFile::ReadFile(path, file, error)) << error;
    EXPECT_EQ(file.Path, path);
    IbisExecutableChoice choice;
    ASSERT_TRUE(file.FindExecutable(file.Models.at(0), IbisPlatform::Parse("Linux_gcc_64"), choice, error));
    EXPECT_EQ(choice.Library, std::string(IBIS_TEST_DIR) + "/Halvex_tx_x64.so");
    std::remove(path.c_str());
    EXPECT_FALSE(IbisFile::ReadFile(path, file, error));
    EXPECT_EQ(error, path + ": cannot read: No such file or directory");
    EXPECT_TRUE(file.Models.empty());
}

// A misspelt keyword is a finding at its own line; the section it hides is
// passed over, and the rest of the file reads (the keyword used to be read
// as unknown and the next model keyword refused, far below it).
TEST(IbisFile, AMisspeltKeywordIsKeptAtItsLineAndTheRestOfTheFileReads)
{
    std::string text = KitText();
    const std::string model = "[Model]           Halvex_tx";
    const std::size_t at = text.find(model);
    ASSERT_NE(at, std::string::npos);
    text.insert(at, "[Modle] other\nModel_type Input\n[Temperature Range] 25 0 85\nC_comp 1p 1p 1p\n");
    const IbisFile f = ReadOk(text);
    ASSERT_EQ(f.Unknown.size(), 1u);
    EXPECT_EQ(f.Unknown[0].Name, "Modle");
    EXPECT_EQ(f.Unknown[0].Line, LineOf(text, "[Modle]"));
    ASSERT_EQ(f.Models.size(), 1u); // the kit's own model, whole
    EXPECT_EQ(f.Models[0].Line, LineOf(text, model));
    EXPECT_EQ(f.Models[0].TemperatureRange.Typ, 25.0);
    EXPECT_EQ(f.Models[0].Algorithmic.Executables.size(), 2u);

    // The kit's own [Model] misspelt: found at its line, not at a keyword below.
    std::string typo = KitText();
    typo.replace(typo.find(model), 7, "[Modle]");
    const IbisFile lost = ReadOk(typo);
    ASSERT_EQ(lost.Unknown.size(), 1u);
    EXPECT_EQ(lost.Unknown[0].Line, LineOf(typo, "[Modle]"));
    EXPECT_TRUE(lost.Models.empty());
    EXPECT_EQ(lost.EndLine, LineOf(typo, "[End]"));

    // Inside a model, keywords the model already has belong to the unknown one.
    const IbisFile inside = ReadOk(InModel("[Ramp]\ndV/dt_r 1/1n 1/1n 1/1n\n[Ramq]\n[Ramp]\nR_load = 5\n[End]\n"));
    ASSERT_EQ(inside.Unknown.size(), 1u);
    EXPECT_EQ(inside.Unknown[0].Line, 5);
    EXPECT_FALSE(inside.Models.at(0).Ramp.RLoad.Value);
}

TEST(IbisFile, BytesOutsideAsciiAndControlCharactersAreKeptByLine)
{
    const IbisFile f = ReadOk("[IBIS Ver] 7.1\n| caf\xC3\xA9 \xC3\xA9\n|\ttab\x01\n[End]\n");
    ASSERT_EQ(f.BadBytes.size(), 2u); // one a line; the tab is allowed
    EXPECT_EQ(f.BadBytes[0].Line, 2);
    EXPECT_EQ(f.BadBytes[0].Byte, 0xC3);
    EXPECT_EQ(f.BadBytes[1].Line, 3);
    EXPECT_EQ(f.BadBytes[1].Byte, 0x01);
}
