#include "params/AmiParameters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

// An .ami-style tree as a simulator sends it: reserved parameters, a
// Model_Specific branch, Range and List formats, quoted descriptions.
const char* const amiFile = R"ami((Halvex_tx
    (Reserved_Parameters
        (AMI_Version (Usage Info) (Type String) (Format Value "7.0")
            (Description "Version of the AMI format (IBIS 7.0)"))
        (Init_Returns_Impulse (Usage Info) (Type Boolean) (Format Value False))
        (GetWave_Exists (Usage Info) (Type Boolean) (Format Value True))
        (Max_Init_Aggressors (Usage Info) (Type Integer) (Value 0)))
    (Model_Specific
        (de (Usage In) (Type Integer) (Format Range 15 0 15) (Default 15)
            (Description "De-emphasis setting (0 = none, 15 = strongest)"))
        (swing (Usage In) (Type Float) (Format List 0.8 0.9 1.0) (Default 1.0)
            (Labels "800 mV" "900 mV" "1 V"))
        (enabled True)
        (tx_mode (Usage Info) (Type String) (Format Value "NRZ (PAM2)"))))
)ami";

} // namespace

TEST(AmiParameters, SimulatorStringAnswersOnlyTheFullNumericPath)
{
    AmiParameters params("(Halvex_tx (de 3))");
    ASSERT_TRUE(params.Ok);
    double de = 0.0;
    EXPECT_TRUE(params.GetDouble(de, "Halvex_tx.de"));
    EXPECT_EQ(de, 3.0);
    int32_t n = 0;
    EXPECT_TRUE(params.GetInt(n, "Halvex_tx.de"));
    EXPECT_EQ(n, 3);
    std::string s = "kept";
    bool b = false;
    EXPECT_FALSE(params.GetString(s, "Halvex_tx.de"));
    EXPECT_EQ(s, "kept");
    EXPECT_FALSE(params.GetBool(b, "Halvex_tx.de"));
    for (const char* miss : {"Halvex_tx", "de", "halvex_tx.de", "Halvex_tx.DE", "Halvex_tx.de.", "Halvex_tx.d",
                             ".Halvex_tx.de", "Halvex_tx..de", ""})
        EXPECT_EQ(params.FindLeaf(miss), nullptr) << miss;
    EXPECT_EQ(params.FindLeaf(nullptr), nullptr);
    EXPECT_FALSE(params.GetDouble(de, nullptr));
}

TEST(AmiParameters, NumbersConvertAndTruncateTowardZero)
{
    AmiParameters params("(r (a 2.6) (b -2.6) (c 3 7) (d abc) (e \" 5\") (f +7) (g -0.0))");
    int32_t n = 0;
    double x = 0.0;
    EXPECT_TRUE(params.GetInt(n, "r.a"));
    EXPECT_EQ(n, 2);
    EXPECT_TRUE(params.GetDouble(x, "r.a"));
    EXPECT_EQ(x, 2.6);
    EXPECT_TRUE(params.GetInt(n, "r.b"));
    EXPECT_EQ(n, -2);
    EXPECT_TRUE(params.GetDouble(x, "r.c")); // first value only
    EXPECT_EQ(x, 3.0);
    x = 42.0;
    EXPECT_FALSE(params.GetDouble(x, "r.d"));
    EXPECT_EQ(x, 42.0);
    std::string s = "old content that is replaced";
    EXPECT_TRUE(params.GetString(s, "r.d"));
    EXPECT_EQ(s, "abc");
    EXPECT_TRUE(params.GetInt(n, "r.e"));
    EXPECT_EQ(n, 5);
    EXPECT_TRUE(params.GetDouble(x, "r.f"));
    EXPECT_EQ(x, 7.0);
    EXPECT_TRUE(params.GetDouble(x, "r.g"));
    EXPECT_TRUE(std::signbit(x));
}

TEST(AmiParameters, NumbersBeyondTheRangesSaturate)
{
    AmiParameters params("(r (big 3e9) (small -3e9) (edge -2147483648.9) (max 2147483647.9) (huge 1e400) "
                         "(tiny -1e-400) (long 123456789012345678901234567890) (deep 0.000e99999999999999999999))");
    int32_t n = 0;
    double x = 0.0;
    const struct {
        const char* Path;
        int32_t Int;
    } ints[] = {{"r.big", INT32_MAX}, {"r.small", INT32_MIN}, {"r.edge", INT32_MIN}, {"r.max", INT32_MAX},
                {"r.huge", INT32_MAX}, {"r.tiny", 0}, {"r.long", INT32_MAX}, {"r.deep", 0}};
    for (const auto& c : ints) {
        EXPECT_TRUE(params.GetInt(n, c.Path)) << c.Path;
        EXPECT_EQ(n, c.Int) << c.Path;
    }
    EXPECT_TRUE(params.GetDouble(x, "r.huge"));
    EXPECT_EQ(x, HUGE_VAL);
    EXPECT_TRUE(params.GetDouble(x, "r.tiny"));
    EXPECT_EQ(x, 0.0);
    EXPECT_TRUE(std::signbit(x));
    EXPECT_TRUE(params.GetDouble(x, "r.long"));
    EXPECT_EQ(x, 1.2345678901234568e29);
}

TEST(AmiParameters, BooleansAreOnlyTheCapitalisedWords)
{
    AmiParameters params("(r (flag True) (off False) (other false) (n 1))");
    bool b = false;
    EXPECT_TRUE(params.GetBool(b, "r.flag"));
    EXPECT_TRUE(b);
    EXPECT_TRUE(params.GetBool(b, "r.off"));
    EXPECT_FALSE(b);
    b = true;
    EXPECT_FALSE(params.GetBool(b, "r.other"));
    EXPECT_FALSE(params.GetBool(b, "r.n"));
    EXPECT_TRUE(b);
    std::string s;
    EXPECT_TRUE(params.GetString(s, "r.other"));
    EXPECT_EQ(s, "false");
    EXPECT_FALSE(params.GetString(s, "r.flag"));
}

TEST(AmiParameters, EmptyValueIsNothing)
{
    AmiParameters params("(r (e \"\"))");
    ASSERT_NE(params.FindLeaf("r.e"), nullptr);
    std::string s = "kept";
    double x = 1.0;
    EXPECT_FALSE(params.GetString(s, "r.e"));
    EXPECT_FALSE(params.GetDouble(x, "r.e"));
    EXPECT_EQ(s, "kept");
}

TEST(AmiParameters, FirstLeafInDepthFirstTextOrderWins)
{
    AmiParameters nested("(r (g (a 1)) (a 2))");
    EXPECT_EQ(nested.FindLeaf("r.a")->Values[0].Text, std::string("2"));
    EXPECT_EQ(nested.FindLeaf("r.g.a")->Values[0].Text, std::string("1"));
    AmiParameters twice("(r (a 1) (a 2))");
    EXPECT_EQ(twice.FindLeaf("r.a")->Values[0].Text, std::string("1"));
    AmiParameters dotted("(r (a.b 1) (a (b 2)))");
    EXPECT_EQ(dotted.FindLeaf("r.a.b")->Values[0].Text, std::string("1"));
    AmiParameters dottedLater("(r (a (c 0)) (a (b 2)) (a.b 1))");
    EXPECT_EQ(dottedLater.FindLeaf("r.a.b")->Values[0].Text, std::string("2"));
    AmiParameters branchFirst("(r (g (x 1)) (g (y 2)) (gg (y 3)))");
    EXPECT_EQ(branchFirst.FindLeaf("r.g.y")->Values[0].Text, std::string("2"));
    EXPECT_EQ(branchFirst.FindLeaf("r.gg.y")->Values[0].Text, std::string("3"));
    EXPECT_EQ(branchFirst.FindLeaf("r.g"), nullptr);
}

TEST(AmiParameters, EmptyNamesLeaveOutTheDot)
{
    AmiParameters params("((a 1) (( (b 2)) (c 3)))");
    ASSERT_TRUE(params.Ok);
    EXPECT_NE(params.FindLeaf("a"), nullptr);
    EXPECT_EQ(params.FindLeaf(".a"), nullptr);
    EXPECT_NE(params.FindLeaf("b"), nullptr);
    EXPECT_NE(params.FindLeaf("c"), nullptr);
    AmiParameters named("(r ( (b 2)))");
    EXPECT_NE(named.FindLeaf("r..b"), nullptr);
}

TEST(AmiParameters, FailedParseAnswersNothing)
{
    for (const char* text : {"(de 3)", "(Halvex_tx (de 3)", "", "de 3", "(r (a 1) x (b 2))"}) {
        AmiParameters params(text);
        EXPECT_FALSE(params.Ok) << text;
        EXPECT_EQ(params.Tree, nullptr);
        double x = 9.0;
        EXPECT_FALSE(params.GetDouble(x, "Halvex_tx.de")) << text;
        EXPECT_EQ(x, 9.0);
        EXPECT_EQ(params.FindLeaf("de"), nullptr);
    }
    AmiParameters none(nullptr);
    EXPECT_FALSE(none.Ok);
    EXPECT_EQ(none.FindLeaf("a"), nullptr);
}

TEST(AmiParameters, AmiFileTreeAnswersReservedAndModelSpecificPaths)
{
    AmiParameters params(amiFile);
    ASSERT_TRUE(params.Ok);
    const AmiLeaf* format = params.FindLeaf("Halvex_tx.Model_Specific.de.Format");
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->NameKeyword, AmiNameFormat);
    ASSERT_EQ(format->ValueCount, 4);
    EXPECT_EQ(format->Values[0].Keyword, AmiKeywordRange);
    EXPECT_EQ(format->Values[3].Type, AmiValueInteger);

    std::string s;
    int32_t n = 0;
    double x = 0.0;
    bool b = false;
    EXPECT_TRUE(params.GetString(s, "Halvex_tx.Reserved_Parameters.AMI_Version.Description"));
    EXPECT_EQ(s, "Version of the AMI format (IBIS 7.0)");
    EXPECT_TRUE(params.GetString(s, "Halvex_tx.Model_Specific.de.Description"));
    EXPECT_EQ(s, "De-emphasis setting (0 = none, 15 = strongest)");
    EXPECT_TRUE(params.GetInt(n, "Halvex_tx.Model_Specific.de.Default"));
    EXPECT_EQ(n, 15);
    EXPECT_TRUE(params.GetDouble(x, "Halvex_tx.Model_Specific.swing.Default"));
    EXPECT_EQ(x, 1.0);
    EXPECT_TRUE(params.GetString(s, "Halvex_tx.Model_Specific.swing.Labels"));
    EXPECT_EQ(s, "800 mV");
    EXPECT_TRUE(params.GetString(s, "Halvex_tx.Model_Specific.swing.Format"));
    EXPECT_EQ(s, "List");
    EXPECT_TRUE(params.GetBool(b, "Halvex_tx.Model_Specific.enabled"));
    EXPECT_TRUE(b);
    EXPECT_TRUE(params.GetInt(n, "Halvex_tx.Reserved_Parameters.Max_Init_Aggressors.Value"));
    EXPECT_EQ(n, 0);
    const AmiLeaf* mode = params.FindLeaf("Halvex_tx.Model_Specific.tx_mode.Format");
    ASSERT_NE(mode, nullptr);
    EXPECT_STREQ(mode->Values[1].Text, "NRZ (PAM2)");
    // "de" is a branch here, so the model's own path finds nothing.
    EXPECT_FALSE(params.GetDouble(x, "Halvex_tx.de"));
    EXPECT_EQ(params.FindLeaf("Halvex_tx.Model_Specific.de"), nullptr);
}

TEST(AmiParameters, HundredThousandLevelsLookUpWithoutRecursion)
{
    const int depth = 100000;
    std::string text;
    std::string path;
    for (int i = 0; i < depth; ++i) {
        text += "(g (x 0) ";
        path += "g.";
    }
    text += "(de 3)" + std::string(depth, ')');
    AmiParameters params(text.c_str());
    ASSERT_TRUE(params.Ok);
    double x = 0.0;
    EXPECT_TRUE(params.GetDouble(x, (path + "de").c_str()));
    EXPECT_EQ(x, 3.0);
    EXPECT_EQ(params.FindLeaf((path + "zz").c_str()), nullptr);
    EXPECT_NE(params.FindLeaf((path + "x").c_str()), nullptr);
}
