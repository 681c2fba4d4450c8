#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/SharedData.h"
#include "tests/amihost/ModelAmiText.h"
#include "tools/amihost/amifile/AmiFile.h"
#include "tools/amihost/signal/TextFile.h"

namespace {

// A parameter file of another maker, with the older and newer forms mixed.
const char VendorFile[] = R"((Vendor_rx
  (Description "A receiver")
  (Reserved_Parameters
    (AMI_Version (Usage Info) (Type String) (Format Value "5.1"))
    (Init_Returns_Impulse (Usage Info) (Type Boolean) (Default True))
    (GetWave_Exists (Usage Info) (Type Boolean) (Value False))
  )
  (Model_Specific
    (gain (Usage In) (Type Float) (Format Range 0.5 0.0 1.0) (Description "gain"))
    (mode (Usage In) (Type String) (List "fast" "slow") (Default "slow"))
    (ctle (Usage InOut) (Type Integer) (Format List 0 3 6) )
    (taps
      (-1 (Usage In) (Type Tap) (Range -0.1 -0.25 0))
      (0 (Usage In) (Type Tap) (Value 1.0)))
    (corner (Usage In) (Type Float) (Corner 1 0.9 1.1))
    (step (Usage In) (Type UI) (Increment 0.5 0 1 0.25))
    (level (Usage In) (Type Float) (Steps 2 0 4 8))
    (enable (Usage In) (Type Boolean) (Default True) (Format List True False))
    (jitter (Usage Out) (Type Float) (Format Table (Labels a b) (1 2)))
    (vendor_note (Usage Info) (Type String) (Value "x"))
  )
))";

bool Read(const std::string& text, AmiFile& file, std::string& error)
{
    return AmiFile::Read(text, "m.ami", file, error);
}

std::string ErrorOf(const std::string& text)
{
    AmiFile file;
    std::string error;
    EXPECT_FALSE(Read(text, file, error)) << text;
    return error;
}

} // namespace

TEST(AmiFile, TheModelsOwnFileDeclaresDeFrom0To15)
{
    AmiFile file;
    std::string error;
    ASSERT_TRUE(AmiFile::Read(ModelAmiText(), "Halvex_tx.ami", file, error)) << error;
    EXPECT_EQ(file.RootName, "Halvex_tx");
    ASSERT_EQ(file.Parameters.size(), 1u);
    const AmiParameterDefinition& de = file.Parameters[0];
    EXPECT_EQ(de.DottedPath(), "de");
    EXPECT_EQ(de.Type, AmiKeywordInteger);
    EXPECT_EQ(de.Format, AmiKeywordRange);
    EXPECT_EQ(de.Default, "15");
    EXPECT_EQ(de.Describe(), "Integer, Range 0 .. 15, default 15");
    EXPECT_EQ(file.GetWaveExists, 1);
    EXPECT_EQ(file.InitReturnsImpulse, 0);
    EXPECT_EQ(file.IgnoreBits, 19);
}

// Ignore_Bits: a whole number of bits in any of the reserved forms; anything
// else counts as not declared.
TEST(AmiFile, IgnoreBitsIsAWholeNumberOfBitsOrNotDeclared)
{
    const std::pair<const char*, long> cases[] = {
        {"(Ignore_Bits (Usage Info) (Type Integer) (Value 200))", 200},
        {"(Ignore_Bits (Usage Info) (Type Integer) (Format Value 12))", 12},
        {"(Ignore_Bits 0)", 0},
        {"(Ignore_Bits (Usage Info) (Type Integer) (Value -3))", -1},
        {"(Ignore_Bits (Usage Info) (Type Float) (Value 1e3))", -1},
        {"(Ignore_Bits (Usage Info) (Type Integer) (Value 99999999999))", -1},
        {"(AMI_Version (Usage Info) (Type String) (Value \"7.0\"))", -1},
    };
    for (const auto& c : cases) {
        AmiFile file;
        std::string error;
        ASSERT_TRUE(Read(std::string("(Rx (Reserved_Parameters ") + c.first + "))", file, error)) << error;
        EXPECT_EQ(file.IgnoreBits, c.second) << c.first;
    }
}

TEST(AmiFile, TheCommonFormsOfOtherMakersAreUnderstood)
{
    AmiFile file;
    std::string error;
    ASSERT_TRUE(Read(VendorFile, file, error)) << error;
    EXPECT_EQ(file.RootName, "Vendor_rx");
    EXPECT_EQ(file.GetWaveExists, 0);
    EXPECT_EQ(file.InitReturnsImpulse, 1);
    std::vector<std::string> described;
    for (const AmiParameterDefinition& d : file.Parameters)
        described.push_back(d.DottedPath() + ": " + d.Describe());
    EXPECT_EQ(described, (std::vector<std::string>{
                             "gain: Float, Range 0.0 .. 1.0, default 0.5",
                             "mode: String, List fast slow, default \"slow\"",
                             "ctle: Integer, List 0 3 6, default 0",
                             "taps.-1: Tap, Range -0.25 .. 0, default -0.1",
                             "taps.0: Tap, Value 1.0, default 1.0",
                             "corner: Float, Corner 1 0.9 1.1, default 1",
                             "step: UI, Increment 0 .. 1 by 0.25, default 0.5",
                             "level: Float, Steps 0 .. 4 in 8 steps, default 2",
                             "enable: Boolean, List True False, default True",
                         }));
    EXPECT_EQ(file.Parameters[3].Line, 13);
}

TEST(AmiFile, ValuesAreCheckedAgainstTypeAndFormat)
{
    AmiFile file;
    std::string error;
    ASSERT_TRUE(Read(VendorFile, file, error)) << error;
    const struct {
        const char* key;
        const char* value;
        bool accepted;
        const char* reason;
    } cases[] = {
        {"gain", "1", true, ""},
        {"gain", "1.01", false, "1.01 is outside the range 0.0 .. 1.0"},
        {"gain", "x", false, "\"x\" is not a number"},
        {"ctle", "3", true, ""},
        {"ctle", "3.0", false, "\"3.0\" is not an integer"},
        {"ctle", "4", false, "4 is not one of 0, 3, 6"},
        {"mode", "fast", true, ""},
        {"mode", "Fast", false, "Fast is not one of fast, slow"},
        {"taps.0", "1", true, ""},
        {"taps.0", "0.9", false, "the value is fixed at 1.0"},
        {"step", "0.75", true, ""},
        {"step", "0.6", false, "0.6 is not on the grid 0 + k * 0.25"},
        {"level", "2.5", true, ""},
        {"level", "2.4", false, "2.4 is not on the grid 0 + k * (4 - 0) / 8"},
        {"enable", "false", false, "\"false\" is not True or False"},
    };
    for (const auto& c : cases) {
        const AmiParameterDefinition* d = file.Find(c.key, error);
        ASSERT_NE(d, nullptr) << error;
        std::string reason;
        EXPECT_EQ(d->Accepts(c.value, reason), c.accepted) << c.key << "=" << c.value;
        EXPECT_EQ(reason, c.reason);
    }
    EXPECT_EQ(file.Find("-1", error)->DottedPath(), "taps.-1");
    EXPECT_EQ(file.Find("jitter", error), nullptr); // Out parameters are not sent
    EXPECT_EQ(error, "no parameter \"jitter\" sent to the model in m.ami (it declares: gain, mode, ctle, taps.-1, "
                     "taps.0, corner, step, level, enable)");
}

TEST(AmiFile, DefinitionsCarryTheLineOfTheirGroupPastDroppedTables)
{
    AmiFile file;
    std::string error;
    ASSERT_TRUE(Read("(m (Model_Specific\n"
                     " (table (Usage Out) (Type Float) (Format Table (Labels a b)\n (1 2)\n (3 4)))\n"
                     " (note \"two\nlines\")\n"
                     " (g\n  (Usage In) (Type Float) (Range 1 0 2))))",
                     file, error))
        << error;
    ASSERT_EQ(file.Parameters.size(), 1u);
    EXPECT_EQ(file.Parameters[0].Line, 7); // the note spans lines 5 and 6
    EXPECT_EQ(ErrorOf("(m (Model_Specific\n (t (Usage Out) (Format Table (Labels a)\n (1 2)))\n (g (Usage In)\n"
                      "  (Type Float) (Range 3 0 2))))"),
              "m.ami:5: parameter g: the default does not fit: 3 is outside the range 0 .. 2");
}

namespace {

// An open-source receiver's .ami file from the shared data, or "" (with the
// reason in `skip`) where the shared data is absent.
std::string SharedReceiverAmi(std::string& skip)
{
    const std::string dir = SharedDataDir("ibis-corpus");
    if (dir.empty()) {
        skip = SharedDataMissing("ibis-corpus");
        return "";
    }
    std::string text;
    std::string error;
    EXPECT_TRUE(TextFile::Read(dir + "/pybert_example_rx.ami", AmiFile::MaxBytes, text, error)) << error;
    return text;
}

// `text` with line `line` (1-based) replaced by `replacement` lines.
std::string WithLine(const std::string& text, int line, const std::string& replacement)
{
    std::size_t begin = 0;
    for (int i = 1; i < line; ++i)
        begin = text.find('\n', begin) + 1;
    const std::size_t end = text.find('\n', begin) + 1;
    return text.substr(0, begin) + replacement + text.substr(end);
}

} // namespace

// The expected figures were read off the file by eye: every group's "(" on
// its own line, In parameters below Model_Specific and its debug group.
TEST(AmiFile, AnOpenSourceReceiversFileGivesEveryParameterAtItsLine)
{
    std::string skip;
    const std::string text = SharedReceiverAmi(skip);
    if (!skip.empty())
        GTEST_SKIP() << skip;
    AmiFile file;
    std::string error;
    ASSERT_TRUE(AmiFile::Read(text, "example_rx.ami", file, error)) << error;
    EXPECT_EQ(file.RootName, "example_rx");
    EXPECT_EQ(file.GetWaveExists, 1);
    EXPECT_EQ(file.InitReturnsImpulse, 1);
    EXPECT_EQ(file.IgnoreBits, -1);
    std::string sent;
    for (const AmiParameterDefinition& d : file.Parameters)
        sent += d.DottedPath() + "@" + std::to_string(d.Line) + " ";
    EXPECT_EQ(sent, "ctle_mode@26 ctle_freq@33 ctle_mag@39 ctle_bandwidth@45 ctle_dcgain@51 dfe_mode@57 "
                    "dfe_ntaps@64 dfe_tap1@70 dfe_tap2@76 dfe_tap3@82 dfe_tap4@88 dfe_tap5@94 dfe_vout@100 "
                    "dfe_gain@106 debug.dbg_enable@113 debug.dump_dfe_adaptation@119 "
                    "debug.dump_adaptation_input@125 ");
    std::string reserved;
    for (const AmiDeclarations::Entry& e : file.Declared)
        if (e.Reserved)
            reserved += e.Name + "@" + std::to_string(e.Line) + " ";
    EXPECT_EQ(reserved, "AMI_Version@6 Init_Returns_Impulse@12 GetWave_Exists@18 ");
    const AmiParameterDefinition* freq = file.Find("ctle_freq", error);
    ASSERT_NE(freq, nullptr) << error;
    EXPECT_EQ(freq->Describe(), "Float, Range 1000000000.0 .. 5000000000.0, default 5000000000.0");
    EXPECT_EQ(file.Find("dfe_mode", error)->Describe(), "Integer, List 0 1 2, default 0");
}

// The same file with a ")" taken away or one too many: the fault is named at
// the group left open or at the extra ")", not at the root's line.
TEST(AmiFile, AParenthesisMissingOrExtraInARealFileIsReportedAtItsLine)
{
    std::string skip;
    const std::string text = SharedReceiverAmi(skip);
    if (!skip.empty())
        GTEST_SKIP() << skip;
    AmiFile file;
    std::string error;
    // Line 38 closes ctle_freq (line 33); line 111 closes dfe_gain, the last
    // before the debug group.
    EXPECT_FALSE(AmiFile::Read(WithLine(text, 38, ""), "rx.ami", file, error));
    EXPECT_EQ(error, "rx.ami:33: unbalanced parentheses: this \"(\" is never closed");
    EXPECT_FALSE(AmiFile::Read(WithLine(text, 111, ""), "rx.ami", file, error));
    EXPECT_EQ(error, "rx.ami:106: unbalanced parentheses: this \"(\" is never closed");
    EXPECT_FALSE(AmiFile::Read(WithLine(text, 38, "         )\n         )\n"), "rx.ami", file, error));
    EXPECT_EQ(error, "rx.ami:39: unbalanced parentheses: extra \")\"");
    EXPECT_FALSE(AmiFile::Read(WithLine(text, 7, "             (Usage Info \n"), "rx.ami", file, error));
    EXPECT_EQ(error, "rx.ami:7: unbalanced parentheses: this \"(\" is never closed");
}
