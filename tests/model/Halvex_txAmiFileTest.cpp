#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

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
