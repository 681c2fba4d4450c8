// Every finding of `amihost check`, each shown to pass on the built model and
// to fail, alone, on a stand-in model that has exactly that fault.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tests/amihost/ModelAmiText.h"
#include "tools/amihost/amifile/AmiFile.h"
#include "tools/amihost/amifile/ParameterString.h"
#include "tools/amihost/host/AmiModel.h"
#include "tools/amihost/host/Conformance.h"

namespace {

// The findings of one check run, by name: "PASS", "FAIL" or "SKIP", then the reason.
std::map<std::string, std::string> Findings(const std::string& modelPath, const std::string& amiText)
{
    AmiModel model;
    AmiFile file;
    std::string error;
    std::string parameters;
    EXPECT_TRUE(model.Load(modelPath, error)) << error;
    EXPECT_TRUE(AmiFile::Read(amiText, "m.ami", file, error)) << error;
    EXPECT_TRUE(ParameterString::Build(file, {}, parameters, error)) << error;
    ConformanceConfig config;
    config.Bits = 24;
    config.SamplesPerBit = 8;
    config.BlockSize = 256; // one call per wave but in the random cuts: a fault shows in one check only
    std::map<std::string, std::string> findings;
    for (const ConformanceResult& r : Conformance::Run(model, file, parameters, config))
        findings[r.Name] = std::string(r.Skipped ? "SKIP" : r.Pass ? "PASS" : "FAIL") + " " + r.Reason;
    return findings;
}

const char StubAmi[] = "(Stub (Model_Specific (gain (Usage In) (Type Float) (Range 1 0 2))))";

// Every finding passes but `failing`, whose reason must contain `reason`.
void ExpectOnlyFailure(const std::string& modelPath, const std::string& failing, const std::string& reason)
{
    const std::map<std::string, std::string> findings = Findings(modelPath, StubAmi);
    ASSERT_EQ(findings.size(), 6u);
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

TEST(Conformance, TheBuiltModelAndASoundStandInPassEveryCheck)
{
    for (const auto& [name, finding] : Findings(HALVEX_MODEL_PATH, ModelAmiText()))
        EXPECT_EQ(finding.substr(0, 5), "PASS ") << name << ": " << finding;
    for (const auto& [name, finding] : Findings(STUB_SOUND_PATH, StubAmi))
        EXPECT_EQ(finding.substr(0, 5), "PASS ") << name << ": " << finding;
}

TEST(Conformance, AMissingGetWaveFailsSymbolsUnlessTheAmiSaysSo)
{
    std::map<std::string, std::string> findings = Findings(STUB_NO_GETWAVE_PATH, StubAmi);
    EXPECT_EQ(findings["symbols"], "FAIL AMI_GetWave is missing although the .ami does not declare GetWave_Exists "
                                   "False");
    EXPECT_EQ(findings["init-defaults"].substr(0, 5), "PASS ");
    EXPECT_EQ(findings["clock-end-mark"], "SKIP skipped: the model has no AMI_GetWave");
    findings = Findings(STUB_NO_GETWAVE_PATH, "(Stub (Reserved_Parameters (GetWave_Exists (Usage Info) "
                                              "(Type Boolean) (Value False))) (Model_Specific (gain (Usage In) "
                                              "(Type Float) (Range 1 0 2))))");
    EXPECT_EQ(findings["symbols"].substr(0, 5), "PASS ");
}

TEST(Conformance, EachFaultFailsItsOwnCheck)
{
    ExpectOnlyFailure(STUB_CUTS_WAVE_PATH, "block-independence", "random block sizes change the output: sample");
    ExpectOnlyFailure(STUB_SHARED_STATE_PATH, "instances-independent", "the second instance's sample 0 ");
    ExpectOnlyFailure(STUB_LEAKS_SLOTS_PATH, "repeated-init-close",
                      "AMI_Init returned 0: stub model: no free instance slot");
    ExpectOnlyFailure(STUB_NO_END_MARK_PATH, "clock-end-mark", "clock_times[0] is nan, before any end mark -1");
    ExpectOnlyFailure(STUB_CLOCK_BACKWARDS_PATH, "clock-end-mark", "clock_times[1] is 1e-09, before any end mark -1");
}

TEST(Conformance, AModelWhoseInitFailsFailsInitDefaultsAndEveryWaveCheck)
{
    const std::map<std::string, std::string> findings = Findings(STUB_INIT_FAILS_PATH, StubAmi);
    EXPECT_EQ(findings.at("symbols").substr(0, 5), "PASS ");
    EXPECT_NE(findings.at("init-defaults").find("FAIL " STUB_INIT_FAILS_PATH ": AMI_Init returned 0: stub model: "
                                                "parameter gain is out of range"),
              std::string::npos)
        << findings.at("init-defaults");
    for (const char* name : {"block-independence", "instances-independent", "repeated-init-close", "clock-end-mark"})
        EXPECT_NE(findings.at(name).find("FAIL the one-call run failed"), std::string::npos) << name;
}
