#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "model/Halvex_tx.h"
#include "params/AmiParameters.h"

namespace {

std::string ShippedAmiFile()
{
    std::ifstream in(HALVEX_AMI_FILE);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Values of the leaf at `path` joined by blanks.
std::string ValuesAt(const AmiParameters& parameters, const char* path)
{
    const AmiLeaf* leaf = parameters.FindLeaf(path);
    if (leaf == nullptr)
        return "<missing>";
    std::string joined;
    for (int i = 0; i < leaf->ValueCount; ++i)
        joined += (i ? " " : "") + std::string(leaf->Values[i].Text);
    return joined;
}

// Bits from a unit step at the model's input (at sample 0) until its output
// stays within 2 % of its final level, fired sample by sample at `bitTime`
// and 32 samples per bit; `bits` long enough for the responses' 5 ns.
int SettlingBits(int de, double bitTime, int bits)
{
    constexpr int SamplesPerBit = 32;
    Halvex_tx model;
    double ports[3] = {};
    model.InputPort.Attach(&ports[0], 1, 1, 0);
    model.OutputPort.Attach(&ports[1], 1, 1, 0);
    model.AuxOutputPort.Attach(&ports[2], 1, 1, 0);
    model.BitTime = bitTime;
    model.SamplesPerBit = SamplesPerBit;
    model.de = de;
    if (!model.Setup() || !model.Initialize())
        return -1;
    std::vector<double> out(static_cast<std::size_t>(bits) * SamplesPerBit);
    for (double& y : out) {
        ports[0] = 1.0;
        model.Run();
        y = ports[1];
    }
    model.Finalize();
    std::size_t last = 0;
    for (std::size_t n = 0; n < out.size(); ++n)
        if (!(std::fabs(out[n] / out.back() - 1.0) <= 0.02))
            last = n + 1;
    return static_cast<int>((last + SamplesPerBit - 1) / SamplesPerBit);
}

} // namespace

TEST(Halvex_txAmiFile, DeclaresTheReservedParametersThenDe)
{
    const std::string text = ShippedAmiFile();
    ASSERT_FALSE(text.empty());
    AmiParameters parameters(text.c_str());
    ASSERT_TRUE(parameters.Ok);

    const AmiBranch* root = static_cast<const AmiBranch*>(parameters.Tree->Entries[0].Record);
    EXPECT_STREQ(root->Name, "Halvex_tx");
    ASSERT_EQ(root->ChildCount, 2);
    EXPECT_STREQ(static_cast<const AmiBranch*>(root->Children[0].Record)->Name, "Reserved_Parameters");
    EXPECT_STREQ(static_cast<const AmiBranch*>(root->Children[1].Record)->Name, "Model_Specific");

    EXPECT_EQ(ValuesAt(parameters, "Halvex_tx.Reserved_Parameters.AMI_Version.Value"), "7.0");
    EXPECT_EQ(ValuesAt(parameters, "Halvex_tx.Reserved_Parameters.Init_Returns_Impulse.Value"), "False");
    EXPECT_EQ(ValuesAt(parameters, "Halvex_tx.Reserved_Parameters.GetWave_Exists.Value"), "True");
    EXPECT_EQ(ValuesAt(parameters, "Halvex_tx.Model_Specific.de.Usage"), "In");
    EXPECT_EQ(ValuesAt(parameters, "Halvex_tx.Model_Specific.de.Type"), "Integer");
    EXPECT_EQ(ValuesAt(parameters, "Halvex_tx.Model_Specific.de.Range"), "15 0 15");
    std::string description;
    EXPECT_TRUE(parameters.GetString(description, "Halvex_tx.Model_Specific.de.Description"));
    EXPECT_NE(description.find("de-emphasis"), std::string::npos);
    // The settings whose steady level misbehaves are named where users look.
    EXPECT_NE(description.find("Avoid 1, 7 and 9"), std::string::npos);
    EXPECT_NE(description.find("Check 8 and 11"), std::string::npos);
}

TEST(Halvex_txAmiFile, IgnoreBitsIsTheLongestSettlingAtTheDefaultRate)
{
    AmiParameters parameters(ShippedAmiFile().c_str());
    int32_t ignoreBits = -1;
    ASSERT_TRUE(parameters.GetInt(ignoreBits, "Halvex_tx.Reserved_Parameters.Ignore_Bits.Value"));
    EXPECT_EQ(ValuesAt(parameters, "Halvex_tx.Reserved_Parameters.Ignore_Bits.Usage"), "Info");
    const double defaultBitTime = Halvex_tx().BitTime;
    int longest = 0;
    for (int de = 0; de < Halvex_tx::NumFilters; ++de) {
        const int bits = SettlingBits(de, defaultBitTime, 80);
        ASSERT_GT(bits, 0) << "de " << de;
        longest = std::max(longest, bits);
    }
    EXPECT_EQ(ignoreBits, longest);
}

TEST(Halvex_txAmiFile, TheStringASimulatorBuildsFromItReachesDe)
{
    // Simulators send the In parameters flat under the root, with their defaults.
    AmiParameters file(ShippedAmiFile().c_str());
    int32_t typical = -1;
    ASSERT_TRUE(file.GetInt(typical, "Halvex_tx.Model_Specific.de.Range"));
    const std::string sent = "(Halvex_tx (de " + std::to_string(typical) + "))";
    EXPECT_EQ(sent, "(Halvex_tx (de 15))");
    AmiParameters parameters(sent.c_str());
    double de = -1.0;
    EXPECT_TRUE(parameters.GetDouble(de, "Halvex_tx.de"));
    EXPECT_EQ(de, 15.0);
}
