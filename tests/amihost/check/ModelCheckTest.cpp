// Each check of ModelCheck on the built model, which passes them all, and
// on a stand-in model or .ami file with exactly the fault it must find.
#include <gtest/gtest.h>

#include <csignal>
#include <stdexcept>
#include <string>

#include "tests/amihost/ModelAmiText.h"
#include "tools/amihost/amifile/AmiFile.h"
#include "tools/amihost/check/ModelCheck.h"
#include "tools/amihost/host/guard/IsolatedRun.h"

namespace {

// A stand-in's .ami: the reserved flags (empty: not declared), then `specific`
// inside Model_Specific.
std::string StubAmi(const std::string& getWave, const std::string& initImpulse,
                    const std::string& specific = "(gain (Usage In) (Type Float) (Range 1 0.9 1.1))")
{
    std::string reserved;
    if (!getWave.empty())
        reserved += "\n  (GetWave_Exists (Usage Info) (Type Boolean) (Value " + getWave + "))";
    if (!initImpulse.empty())
        reserved += "\n  (Init_Returns_Impulse (Usage Info) (Type Boolean) (Value " + initImpulse + "))";
    return "(Stub\n (Reserved_Parameters" + reserved + ")\n (Model_Specific\n  " + specific + "))\n";
}

KitCheckReport Check(const std::string& library, const std::string& amiText,
                     const std::vector<ParameterString::Setting>& settings = {})
{
    AmiFile ami;
    std::string error;
    EXPECT_TRUE(AmiFile::Read(amiText, "m.ami", ami, error)) << error;
    ModelCheckConfig config;
    config.Bits = 24;
    config.SamplesPerBit = 8;
    config.Settings = settings;
    KitCheckReport report;
    ModelCheck::Run(library, ami, config, report);
    return report;
}

const KitCheckItem* Find(const KitCheckReport& report, const std::string& name)
{
    for (const KitCheckItem& item : report.Items)
        if (item.Name == name)
            return &item;
    return nullptr;
}

std::string Listed(const KitCheckReport& report)
{
    std::string list;
    for (const KitCheckItem& item : report.Items) {
        list += std::string(item.Status()) + " " + item.Name + " " + item.Summary + "\n";
        for (const Finding& f : item.Findings)
            list += "    " + std::string(Finding::Name(f.Severity)) + " " + f.Text() + "\n";
    }
    return list;
}

// The findings of item `name`, one "LEVEL text" per line.
std::string FindingsOf(const KitCheckReport& report, const std::string& name)
{
    const KitCheckItem* item = Find(report, name);
    if (!item)
        return "no item " + name + " in\n" + Listed(report);
    std::string list;
    for (const Finding& f : item->Findings)
        list += std::string(Finding::Name(f.Severity)) + " " + f.Text() + "\n";
    return list;
}

} // namespace

TEST(ModelCheck, TheBuiltModelPassesEveryCheckAndTellsWhatAStatisticalFlowSees)
{
    const KitCheckReport report = Check(HALVEX_MODEL_PATH, ModelAmiText());
    const char* const names[] = {"parameter-names",    "library",        "getwave-exists",
                                 "init-defaults",      "block-independence", "instances-independent",
                                 "repeated-init-close", "clock-end-mark", "init-returns-impulse",
                                 "declared-values",    "setting-levels"};
    ASSERT_EQ(report.Items.size(), 11u) << Listed(report);
    for (std::size_t i = 0; i < 11; ++i)
        EXPECT_EQ(report.Items[i].Name, names[i]);
    // Every check passes but the settings' steady levels: the measured
    // responses of a few settings are off at some sample intervals, as the
    // model's .ami tells (SettingLevelsCheckTest holds which).
    for (std::size_t i = 0; i < 10; ++i)
        EXPECT_STREQ(report.Items[i].Status(), "PASS") << Listed(report);
    EXPECT_STREQ(report.Items[10].Status(), "WARN") << Listed(report);
    EXPECT_FALSE(report.Failed());
    EXPECT_EQ(FindingsOf(report, "init-returns-impulse"),
              "NOTE m.ami:10: AMI_Init returns no impulse: a statistical (Init-only) flow sees none of this model's "
              "equalisation\n");
    EXPECT_EQ(Find(report, "declared-values")->Summary, "2 declared values tried (de 0, 15)");
}

TEST(ModelCheck, GetWaveExistsMustBeDeclaredAndAgreeWithTheExports)
{
    EXPECT_EQ(FindingsOf(Check(STUB_NO_GETWAVE_PATH, StubAmi("True", "False")), "getwave-exists"),
              "ERROR m.ami:3: GetWave_Exists is True, but the library exports no AMI_GetWave\n");
    EXPECT_EQ(FindingsOf(Check(STUB_SOUND_PATH, StubAmi("False", "False")), "getwave-exists"),
              "WARNING m.ami:3: GetWave_Exists is False, but the library exports AMI_GetWave, which simulators then "
              "never call\n");
    EXPECT_EQ(FindingsOf(Check(STUB_SOUND_PATH, StubAmi("", "False")), "getwave-exists"),
              "ERROR m.ami: GetWave_Exists is not declared; IBIS-AMI requires it in Reserved_Parameters\n");
    EXPECT_EQ(FindingsOf(Check(STUB_NO_GETWAVE_PATH, StubAmi("False", "True")), "getwave-exists"), "");
}

TEST(ModelCheck, InitReturnsImpulseMustAgreeWithWhatAmiInitDoesToTheImpulse)
{
    const KitCheckReport equalising = Check(STUB_EQUALISES_PATH, StubAmi("True", "True"));
    EXPECT_EQ(FindingsOf(equalising, "init-returns-impulse"), "");
    EXPECT_EQ(Find(equalising, "init-returns-impulse")->Summary,
              "Init_Returns_Impulse True, AMI_Init changes the impulse");
    const std::string changed =
        FindingsOf(Check(STUB_EQUALISES_PATH, StubAmi("True", "False")), "init-returns-impulse");
    EXPECT_EQ(changed.rfind("ERROR m.ami:4: Init_Returns_Impulse is False, but AMI_Init changes the impulse it is "
                            "handed (sample 0: ",
                            0),
              0u)
        << changed;
    EXPECT_EQ(FindingsOf(Check(STUB_SOUND_PATH, StubAmi("True", "True")), "init-returns-impulse"),
              "WARNING m.ami:4: Init_Returns_Impulse is True, but AMI_Init returns the channel's impulse unchanged "
              "(with the defaults): a statistical flow sees no equalisation\n");
    EXPECT_EQ(FindingsOf(Check(STUB_SOUND_PATH, StubAmi("True", "")), "init-returns-impulse"),
              "ERROR m.ami: Init_Returns_Impulse is not declared; IBIS-AMI requires it in Reserved_Parameters\n");
    const KitCheckReport refused = Check(STUB_INIT_FAILS_PATH, StubAmi("True", "True"));
    EXPECT_STREQ(Find(refused, "init-returns-impulse")->Status(), "SKIP");
}

// The picky stand-in refuses a gain below 0.5, replaces one above 1.5 by 1,
// remarks on 1.2 and fails AMI_GetWave with 1.25.
TEST(ModelCheck, EveryDeclaredValueMustBeTakenByAmiInitAndAmiGetWave)
{
    const KitCheckReport range = Check(STUB_PICKY_GAIN_PATH, StubAmi("True", "False", "(gain (Usage In) (Type Float) "
                                                                                     "(Range 1 0 2))"));
    EXPECT_EQ(FindingsOf(range, "declared-values"),
              "ERROR m.ami:6: gain=0: " STUB_PICKY_GAIN_PATH ": AMI_Init returned 0: stub model: a gain below 0.5 "
              "is refused\n"
              "ERROR m.ami:6: gain=2: AMI_Init does not take the value: stub model: gain above 1.5, the default 1 is "
              "used instead\n");
    EXPECT_EQ(Find(range, "declared-values")->Summary, "3 declared values tried (gain 0, 2, 1)");
    const KitCheckReport list = Check(STUB_PICKY_GAIN_PATH, StubAmi("True", "False", "(gain (Usage In) (Type Float) "
                                                                                    "(List 1 1.2 1.25 0.9))"));
    EXPECT_EQ(FindingsOf(list, "declared-values"),
              "ERROR m.ami:6: gain=1.25: AMI_Init takes the value, but " STUB_PICKY_GAIN_PATH
              ": AMI_GetWave returned 0 on samples 0 .. 63 of the wave\n"
              "NOTE m.ami:6: gain=1.2: AMI_Init says: stub model: gain 1.2 selected\n");
    // Every other check passes: the faults are of those values alone.
    for (const KitCheckItem& item : list.Items)
        EXPECT_STREQ(item.Status(), item.Name == "declared-values" ? "FAIL" : "PASS") << Listed(list);
}

TEST(ModelCheck, ALongListIsTriedUpToItsLimit)
{
    std::string list;
    for (int i = 0; i < 40; ++i)
        list += " " + std::to_string(100 + i);
    const KitCheckReport report =
        Check(STUB_SOUND_PATH, StubAmi("True", "False", "(gain (Usage In) (Type Integer) (List" + list + "))"));
    EXPECT_EQ(FindingsOf(report, "declared-values"), "NOTE m.ami:6: gain declares 40 values; the first 32 are tried\n");
    EXPECT_EQ(Find(report, "declared-values")->Summary.substr(0, 28), "32 declared values tried (ga");
}

TEST(ModelCheck, AParameterDeclaredTwiceUnderOnePathIsAnError)
{
    const std::string names = FindingsOf(
        Check(STUB_SOUND_PATH, StubAmi("True", "False",
                                       "(gain (Usage In) (Type Float) (Range 1 0.9 1.1))\n"
                                       "  (a (level (Usage Info) (Type Float) (Value 1)))\n"
                                       "  (b (level (Usage Info) (Type Float) (Value 2)))\n"
                                       "  (gain (Usage Info) (Type Float) (Value 3))")),
        "parameter-names");
    EXPECT_EQ(names, "ERROR m.ami:9: parameter gain is declared again (first on line 6): a simulator may send either\n"
                     "NOTE m.ami: the name level is declared as a.level, b.level: --set and simulators need the "
                     "dotted path\n");
}

TEST(ModelCheck, ALibraryThatDoesNotLoadStopsTheModelChecks)
{
    const KitCheckReport report = Check(STUB_NO_CLOSE_PATH, StubAmi("True", "False"));
    ASSERT_EQ(report.Items.size(), 3u) << Listed(report);
    EXPECT_EQ(FindingsOf(report, "library").rfind("ERROR " STUB_NO_CLOSE_PATH ": the model has no symbol AMI_Close", 0),
              0u)
        << Listed(report);
    EXPECT_STREQ(report.Items[2].Status(), "SKIP");
    EXPECT_TRUE(report.Failed());
}

TEST(ModelCheck, ASettingThatDoesNotFitIsTheCommandLinesFault)
{
    const KitCheckReport report = Check(STUB_SOUND_PATH, StubAmi("True", "False"), {{"gain", "7"}});
    EXPECT_TRUE(report.Items.empty());
    EXPECT_EQ(report.UsageError.rfind("--set: ", 0), 0u) << report.UsageError;
}

TEST(ModelCheck, TheValuesOfEachFormatAreItsEndsEntriesAndDefault)
{
    const struct {
        const char* Definition;
        const char* Values;
    } cases[] = {
        {"(Range 15 0 15)", "0 15"},
        {"(Format Range 1 0 2) (Default 0.5)", "0 2 0.5"},
        {"(List 3 1 2)", "3 1 2"},
        {"(Corner 1 0.9 1.1)", "1 0.9 1.1"},
        {"(Increment 0.5 0 1 0.25)", "0 1 0.5"},
        {"(Steps 2 0 4 8)", "0 4 2"},
        {"(Value 7)", "7"},
    };
    for (const auto& c : cases) {
        AmiFile file;
        std::string error;
        ASSERT_TRUE(AmiFile::Read(std::string("(M (x (Usage In) (Type Float) ") + c.Definition + "))", "m.ami", file,
                                  error))
            << error;
        std::string values;
        for (const std::string& value : ModelCheck::DeclaredValues(file.Parameters.at(0)))
            values += (values.empty() ? "" : " ") + value;
        EXPECT_EQ(values, c.Values) << c.Definition;
    }
}

TEST(ModelCheck, MessagesOfFallingBackAreToldFromOthers)
{
    for (const char* message :
         {"The IBIS-AMI model, Halvex_tx, is unable to initialize the parameter de from the AMI_Init arguments.  The "
          "model will use the default setting. ",
          "mode \"turbo\" unknown", "Gain OUT OF RANGE", "ignoring tap 3", "value invalid", "falls back to 1"})
        EXPECT_TRUE(ModelCheck::SaysFallback(message)) << message;
    for (const char* message : {"", "model version 2.1", "gain 1.2 selected"})
        EXPECT_FALSE(ModelCheck::SaysFallback(message)) << message;
}

TEST(KitCheckReport, AnExceptionInACheckIsAProgramBugOfThatCheck)
{
    KitCheckReport report;
    report.Run("fine", [](KitCheckItem& item) { item.Add(Finding::Note, "", "noted"); });
    report.Run("broken", [](KitCheckItem&) { throw std::runtime_error("index out of range"); });
    report.Skip("later", "not run");
    ASSERT_EQ(report.Items.size(), 3u);
    EXPECT_STREQ(report.Items[0].Status(), "PASS");
    EXPECT_STREQ(report.Items[1].Status(), "FAIL");
    EXPECT_EQ(report.Items[1].Findings.at(0).What, "the check stopped: index out of range");
    EXPECT_EQ(report.Items[1].Findings.at(0).Severity, Finding::ProgramBug);
    EXPECT_STREQ(report.Items[2].Status(), "SKIP");
    EXPECT_TRUE(report.Failed());
    const auto counts = report.Counts();
    EXPECT_EQ(counts[Finding::Note], 1u);
    EXPECT_EQ(counts[Finding::ProgramBug], 1u);
    EXPECT_EQ(counts[Finding::Error], 0u);
}

#if !defined(_WIN32)
TEST(ModelCheck, AModelThatCrashesBecomesAnErrorNamingItsEntryPointAndTheOtherChecksStillRun)
{
    // The trap kills only the child that ran the check; the checks that
    // follow run in children of their own and report as usual.
    const std::string library = STUB_CRASHES_IN_INIT_PATH;
    const KitCheckReport init = Check(library, StubAmi("True", "False"));
    EXPECT_EQ(FindingsOf(init, "init-defaults"),
              "ERROR " + library + ": AMI_Init crashed: signal " + std::to_string(SIGILL) + " (" +
                  IsolatedRun::SignalName(SIGILL) + ")\n");
    EXPECT_NE(Find(init, "declared-values"), nullptr) << Listed(init);
    EXPECT_TRUE(init.Failed());

    const std::string wave = STUB_CRASHES_IN_GETWAVE_PATH;
    const KitCheckReport getWave = Check(wave, StubAmi("True", "False"));
    EXPECT_EQ(FindingsOf(getWave, "init-defaults"), "");
    EXPECT_EQ(FindingsOf(getWave, "block-independence"),
              "ERROR " + wave + ": AMI_GetWave crashed: signal " + std::to_string(SIGILL) + " (" +
                  IsolatedRun::SignalName(SIGILL) + ")\n");
    EXPECT_NE(FindingsOf(getWave, "clock-end-mark").find("AMI_GetWave crashed"), std::string::npos);
}
#endif
