// Opening a kit from its .ibs: the test receivers' file (two AMI models, both
// receivers) and the transmitter's kit, for each way of choosing.
#include <gtest/gtest.h>

#include <string>

#include "tools/amihost/host/Kit.h"

TEST(Kit, AnAmiModelIsChosenByNameOrAsTheOnlyOne)
{
    Kit kit;
    std::string error;
    ExitStatus status = ExitOk;
    ASSERT_TRUE(kit.Open(RX_CTLE_IBS, "Rx_ctle", Kit::ReceiverModel, error, status)) << error;
    EXPECT_EQ(kit.Model->Name, "Rx_ctle");
    EXPECT_EQ(kit.Line.Library, std::string(RX_CTLE_IBS).substr(0, std::string(RX_CTLE_IBS).rfind('/') + 1) +
                                    "amihost_rx_ctle_init.so");
    EXPECT_EQ(kit.Description().rfind(std::string(RX_CTLE_IBS) + ": [Model] Rx_ctle, Executable Linux_gcc_64 (line ",
                                      0),
              0u);

    // Two AMI models and no name: nothing to choose, and no name to blame.
    EXPECT_FALSE(kit.Open(RX_CTLE_IBS, "", Kit::AmiModel, error, status));
    EXPECT_EQ(status, ExitFailure);
    EXPECT_NE(error.find("2 models have an [Algorithmic Model]"), std::string::npos) << error;
    EXPECT_FALSE(kit.Open(RX_CTLE_IBS, "Rx_none", Kit::AmiModel, error, status));
    EXPECT_EQ(status, ExitUsage);
}

TEST(Kit, AReceiverMustReceive)
{
    Kit kit;
    std::string error;
    ExitStatus status = ExitOk;
    const std::string ibs = std::string(HALVEX_SOURCE_DIR) + "/model/Halvex_tx.ibs";
    EXPECT_FALSE(kit.Open(ibs, "", Kit::ReceiverModel, error, status));
    EXPECT_NE(error.find(": [Model] Halvex_tx is Model_type Output, not a receiver (Input or I/O)"), std::string::npos)
        << error;
    EXPECT_EQ(status, ExitFailure);
    ASSERT_TRUE(kit.Open(ibs, "", Kit::AmiModel, error, status)) << error;
    EXPECT_EQ(kit.Line.ParameterFile, std::string(HALVEX_SOURCE_DIR) + "/model/Halvex_tx.ami");
}

// For its I-V tables any [Model] will do, AMI or not; no Executable line is taken.
TEST(Kit, AnyModelTakesTheOnlyOneOrTheNamedOneWithoutAnExecutable)
{
    Kit kit;
    std::string error;
    ExitStatus status = ExitOk;
    ASSERT_TRUE(kit.Open(std::string(HALVEX_SOURCE_DIR) + "/model/Halvex_tx.ibs", "", Kit::AnyModel, error, status))
        << error;
    EXPECT_EQ(kit.Model->Name, "Halvex_tx");
    EXPECT_EQ(kit.Line.Executable, nullptr);
    EXPECT_EQ(kit.Description(), "");
    EXPECT_FALSE(kit.Open(RX_CTLE_IBS, "", Kit::AnyModel, error, status));
    EXPECT_NE(error.find("2 models and no single one with an [Algorithmic Model]: name the one with --model"),
              std::string::npos)
        << error;
    EXPECT_FALSE(kit.Open(RX_CTLE_IBS, "Tx", Kit::AnyModel, error, status));
    EXPECT_EQ(status, ExitUsage);
    EXPECT_EQ(error, std::string(RX_CTLE_IBS) + ": no [Model] Tx");
}
