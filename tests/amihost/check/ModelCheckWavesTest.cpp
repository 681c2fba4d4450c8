// The wave checks of ModelCheck (init-defaults, block-independence,
// instances-independent, repeated-init-close, clock-end-mark), each shown to
// pass on the built model and to fail, alone, on a stand-in model that has
// exactly that fault.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tests/amihost/ModelAmiText.h"
#include "tools/amihost/amifile/AmiFile.h"
#include "tools/amihost/amifile/ParameterString.h"
#include "tools/amihost/check/ModelCheck.h"
#include "tools/amihost/signal/TextFile.h"

namespace {

const char* const WaveChecks[] = {"init-defaults", "block-independence", "instances-independent",
                                  "repeated-init-close", "clock-end-mark"};

// The wave checks of one run, by name: "PASS", "FAIL" or "SKIP", then the
// summary, or the first finding of a failure.
std::map<std::string, std::string> Findings(const std::string& modelPath, const std::string& amiText)
{
    AmiFile file;
    std::string error;
    EXPECT_TRUE(AmiFile::Read(amiText, "m.ami", file, error)) << error;
    ModelCheckConfig config;
    config.Bits = 24;
    config.SamplesPerBit = 8;
    config.BlockSize = 256; // one call per wave but in the random cuts: a fault shows in one check only
    KitCheckReport report;
    ModelCheck::Run(modelPath, file, config, report);
    std::map<std::string, std::string> findings;
    for (const KitCheckItem& item : report.Items)
        for (const char* name : WaveChecks)
            if (item.Name == name)
                findings[name] = std::string(item.Status()) + " " +
                                 (item.Findings.empty() ? item.Summary : item.Findings[0].Text());
    return findings;
}

const char StubAmi[] = "(Stub (Reserved_Parameters (GetWave_Exists (Usage Info) (Type Boolean) (Value True)) "
                       "(Init_Returns_Impulse (Usage Info) (Type Boolean) (Value False))) "
                       "(Model_Specific (gain (Usage In) (Type Float) (Range 1 0 2))))";

// Every wave check passes but `failing`, whose finding must contain `reason`.
void ExpectOnlyFailure(const std::string& modelPath, const std::string& failing, const std::string& reason)
{
    const std::map<std::string, std::string> findings = Findings(modelPath, StubAmi);
    ASSERT_EQ(findings.size(), 5u);
    for (const auto& [name, finding] : findings) {
        if (name == failing) {
            EXPECT_EQ(finding.substr(0, 5), "FAIL ") << name << ": " << finding;
            EXPECT_NE(finding.find(reason), std::string::npos) << name << ": " << finding;
        } else {
            EXPECT_EQ(finding.substr(0, 5), "PASS ") << modelPath << " " << name << ": " << finding;
        }
    }
}

} // namespace

TEST(ModelCheckWaves, TheBuiltModelAndASoundStandInPassEveryWaveCheck)
{
    for (const auto& [name, finding] : Findings(HALVEX_MODEL_PATH, ModelAmiText()))
        EXPECT_EQ(finding.substr(0, 5), "PASS ") << name << ": " << finding;
    const std::map<std::string, std::string> stub = Findings(STUB_SOUND_PATH, StubAmi);
    EXPECT_EQ(stub.size(), 5u);
    for (const auto& [name, finding] : stub)
        EXPECT_EQ(finding.substr(0, 5), "PASS ") << name << ": " << finding;
}

TEST(ModelCheckWaves, WithoutGetWaveTheWaveChecksAreSkipped)
{
    const std::map<std::string, std::string> findings = Findings(STUB_NO_GETWAVE_PATH, StubAmi);
    EXPECT_EQ(findings.at("init-defaults").substr(0, 5), "PASS ");
    EXPECT_EQ(findings.at("clock-end-mark"), "SKIP skipped: the model has no AMI_GetWave");
}

TEST(ModelCheckWaves, EachFaultFailsItsOwnCheck)
{
    ExpectOnlyFailure(STUB_CUTS_WAVE_PATH, "block-independence", "random block sizes change the output: sample");
    ExpectOnlyFailure(STUB_SHARED_STATE_PATH, "instances-independent", "the second instance's sample 0 ");
    ExpectOnlyFailure(STUB_LEAKS_SLOTS_PATH, "repeated-init-close",
                      "AMI_Init returned 0: stub model: no free instance slot");
    ExpectOnlyFailure(STUB_NO_END_MARK_PATH, "clock-end-mark", "clock_times[0] is nan, before any end mark -1");
    ExpectOnlyFailure(STUB_CLOCK_BACKWARDS_PATH, "clock-end-mark", "clock_times[1] is 1e-09, before any end mark -1");
}

TEST(ModelCheckWaves, AModelWhoseInitFailsFailsInitDefaultsAndEveryWaveCheck)
{
    const std::map<std::string, std::string> findings = Findings(STUB_INIT_FAILS_PATH, StubAmi);
    EXPECT_NE(findings.at("init-defaults").find("FAIL " STUB_INIT_FAILS_PATH ": " STUB_INIT_FAILS_PATH
                                                ": AMI_Init returned 0: stub model: parameter gain is out of range"),
              std::string::npos)
        << findings.at("init-defaults");
    for (const char* name : {"block-independence", "instances-independent", "repeated-init-close", "clock-end-mark"})
        EXPECT_NE(findings.at(name).find("the one-call run failed"), std::string::npos) << name;
}

// Both builds pass every wave check a simulator relies on (skipped without
// AMI_GetWave): block independence,
// independent instances, repeated cycles, the end mark after the clock times.
TEST(ModelCheckWaves, BothBuildsOfTheTestReceiverKeepTheAmiContract)
{
    for (const auto& build : {std::pair<const char*, const char*>{RX_CTLE_CDR_PATH, RX_CTLE_CDR_AMI},
                              std::pair<const char*, const char*>{RX_CTLE_INIT_PATH, RX_CTLE_INIT_AMI}}) {
        AmiFile file;
        std::string text;
        std::string parameters;
        std::string error;
        ASSERT_TRUE(TextFile::Read(build.second, AmiFile::MaxBytes, text, error)) << error;
        ASSERT_TRUE(AmiFile::Read(text, build.second, file, error)) << error;
        ASSERT_TRUE(ParameterString::Build(file, {}, parameters, error)) << error;
        ModelCheckConfig config;
        config.Bits = 64;
        config.BlockSize = 100;
        KitCheckReport report;
        ModelCheck::Run(build.first, file, config, report);
        std::size_t checked = 0;
        for (const KitCheckItem& item : report.Items)
            for (const char* name : {"init-defaults", "block-independence", "instances-independent",
                                     "repeated-init-close", "clock-end-mark"})
                if (item.Name == name) {
                    ++checked;
                    EXPECT_STRNE(item.Status(), "FAIL") << build.first << ": " << name << ": "
                                                        << (item.Findings.empty() ? "" : item.Findings[0].Text());
                }
        EXPECT_EQ(checked, 5u) << build.first;
    }
}
