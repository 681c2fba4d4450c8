// How a receiver after the channel is found and how it will be applied,
// from its .ami file, its symbols and, where given, its IBIS file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tools/amihost/host/Receiver.h"
#include "tools/amihost/signal/TextFile.h"

namespace {

const std::string Dir = std::string(AMIHOST_TEST_DIR) + "/receiver";

std::string Write(const std::string& name, const std::string& text)
{
    std::filesystem::create_directories(Dir);
    std::string error;
    EXPECT_TRUE(TextFile::Write(Dir + "/" + name, text, error)) << error;
    return Dir + "/" + name;
}

std::string ReadText(const std::string& path)
{
    std::string text;
    std::string error;
    EXPECT_TRUE(TextFile::Read(path, 1 << 20, text, error)) << error;
    return text;
}

// An .ami of root Rx with the given reserved flags.
std::string Ami(const std::string& name, const std::string& reserved)
{
    return Write(name, "(Rx (Reserved_Parameters " + reserved +
                           ") (Model_Specific (peaking (Usage In) (Type Float) (Range 6 0 40))))\n");
}

// Read and Load, returning the error ("" on success).
std::string Open(Receiver& rx, const std::string& model, const std::string& ami, const std::string& name = "")
{
    std::string error;
    if (rx.Read(model, ami, name, error) && rx.SetParameters({}, error) && rx.Load(error))
        return "";
    return error.empty() ? "failed with no reason" : error;
}

} // namespace

TEST(Receiver, ALibraryWithGetWaveIsAppliedThroughIt)
{
    Receiver rx;
    ASSERT_EQ(Open(rx, RX_CTLE_CDR_PATH, RX_CTLE_CDR_AMI), "");
    EXPECT_FALSE(rx.InitOnly);
    EXPECT_EQ(rx.Flow(), "its AMI_GetWave");
    EXPECT_EQ(rx.Parameters, "(Rx_ctle_cdr (peaking 6) (peak_ghz 6.4) (cdr_gain 0.015625))");
    EXPECT_EQ(rx.Ami.IgnoreBits, 100);
    EXPECT_TRUE(rx.Origin.empty());

    std::string error;
    EXPECT_TRUE(rx.SetParameters({{"peaking", "9.5"}}, error)) << error;
    EXPECT_EQ(rx.Parameters, "(Rx_ctle_cdr (peaking 9.5) (peak_ghz 6.4) (cdr_gain 0.015625))");
    EXPECT_FALSE(rx.SetParameters({{"peaking", "41"}}, error));
    EXPECT_NE(error.find("41 is outside the range 0 .. 40"), std::string::npos) << error;
}

// The .ami decides: a library that has AMI_GetWave but declares
// GetWave_Exists False is applied through its impulse, as a simulator would.
TEST(Receiver, WithoutGetWaveTheImpulseOfAmiInitIsApplied)
{
    Receiver initOnly;
    ASSERT_EQ(Open(initOnly, RX_CTLE_INIT_PATH, RX_CTLE_INIT_AMI), "");
    EXPECT_TRUE(initOnly.InitOnly);
    EXPECT_EQ(initOnly.Flow(), "the impulse response its AMI_Init returns");

    Receiver declared;
    ASSERT_EQ(Open(declared, RX_CTLE_CDR_PATH,
                   Ami("declared.ami", "(GetWave_Exists (Value False)) (Init_Returns_Impulse (Value True))")),
              "");
    EXPECT_TRUE(declared.InitOnly);
}

TEST(Receiver, AModelThatCannotBeAppliedIsRefused)
{
    Receiver rx;
    EXPECT_NE(Open(rx, RX_CTLE_INIT_PATH, Ami("promises.ami", "(GetWave_Exists (Value True))"))
                  .find("amihost_rx_ctle_init.so: the library has no AMI_GetWave, which " + Dir +
                        "/promises.ami declares (GetWave_Exists True)"),
              std::string::npos);
    Receiver neither;
    const std::string none = Open(neither, RX_CTLE_INIT_PATH, Ami("neither.ami", "(AMI_Version (Value \"7.0\"))"));
    EXPECT_NE(none.find(": a receiver without AMI_GetWave acts only through the impulse response its AMI_Init "
                        "returns, and " + Dir + "/neither.ami does not declare Init_Returns_Impulse True"),
              std::string::npos)
        << none;
    Receiver off;
    const std::string declaredOff = Open(off, RX_CTLE_CDR_PATH, Ami("off.ami", "(GetWave_Exists (Value False))"));
    EXPECT_NE(declaredOff.find("without AMI_GetWave (" + Dir + "/off.ami declares GetWave_Exists False)"),
              std::string::npos)
        << declaredOff;
    Receiver missing;
    EXPECT_NE(Open(missing, Dir + "/none.so", RX_CTLE_CDR_AMI).find("none.so: cannot open the model"),
              std::string::npos);
}

// The kit's way: the .ibs names the library and the .ami beside it.
TEST(Receiver, AnIbisFileNamesTheLibraryAndItsAmiFile)
{
    const std::string ibs = RX_CTLE_IBS;
    const std::string folder = ibs.substr(0, ibs.rfind('/') + 1);
    Receiver rx;
    ASSERT_EQ(Open(rx, ibs, "", "Rx_ctle"), "");
    EXPECT_EQ(rx.LibraryPath, folder + "amihost_rx_ctle_init.so");
    EXPECT_EQ(rx.AmiPath, folder + "rx_ctle_init.ami");
    EXPECT_EQ(rx.Origin, "[Model] Rx_ctle of " + ibs);
    EXPECT_TRUE(rx.InitOnly);

    Receiver unnamed;
    EXPECT_NE(Open(unnamed, ibs, "").find("2 models have an [Algorithmic Model] (Rx_ctle_cdr, Rx_ctle): name the "
                                          "one to run"),
              std::string::npos);
    Receiver wrong;
    EXPECT_NE(Open(wrong, ibs, "", "Rx_none")
                  .find("rx_ctle.ibs: no [Model] Rx_none; models with an [Algorithmic Model]: Rx_ctle_cdr, Rx_ctle"),
              std::string::npos);

    // The same file with its first model made a driver.
    std::string text = ReadText(ibs);
    const std::string input = "Model_type        Input";
    text.replace(text.find(input), input.size(), "Model_type        Output");
    const std::string driver = Write("driver.ibs", text);
    Receiver output;
    const std::string refused = Open(output, driver, "", "Rx_ctle_cdr");
    EXPECT_NE(refused.find("driver.ibs:30: [Model] Rx_ctle_cdr is Model_type Output, not a receiver (Input or I/O)"),
              std::string::npos)
        << refused;

    EXPECT_TRUE(Receiver::IsIbis("kit/RX.IBS"));
    EXPECT_FALSE(Receiver::IsIbis(".ibs"));
    EXPECT_FALSE(Receiver::IsIbis("rx.so"));
}
