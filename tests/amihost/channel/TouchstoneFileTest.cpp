#include <gtest/gtest.h>

#include <algorithm>
#include <complex>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tests/SharedData.h"
#include "tools/amihost/channel/TouchstoneFile.h"
#include "tools/amihost/signal/TextFile.h"

namespace {

using Complex = std::complex<double>;

TouchstoneData ReadOk(const std::string& name, const std::string& text)
{
    TouchstoneData data;
    std::string error;
    EXPECT_TRUE(TouchstoneFile::Read(text, name, data, error)) << error;
    EXPECT_EQ(error, "");
    return data;
}

void ExpectNear(Complex actual, Complex expected, const std::string& what)
{
    EXPECT_NEAR(actual.real(), expected.real(), 1e-12) << what;
    EXPECT_NEAR(actual.imag(), expected.imag(), 1e-12) << what;
}

// The text of the shared data file `name` (empty, with a failure, if unread).
std::string SharedText(const std::string& dir, const std::string& name)
{
    std::string text;
    std::string error;
    EXPECT_TRUE(TextFile::Read(dir + "/" + name, TouchstoneFile::MaxBytes, text, error)) << error;
    return text;
}

// The line (from 1) of the first number of `text`: neither blank, nor a
// comment, nor the option line.
int FirstDataLine(const std::string& text)
{
    int line = 1;
    for (std::size_t start = 0; start < text.size(); ++line) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::size_t first = text.find_first_not_of(" \t\r", start);
        if (first < end && text[first] != '!' && text[first] != '#')
            return line;
        start = end + 1;
    }
    return 0;
}

// `text` with the first field of line `line` (from 1) replaced by `field`.
std::string WithFirstField(const std::string& text, int line, const std::string& field)
{
    std::size_t start = 0;
    for (int i = 1; i < line; ++i)
        start = text.find('\n', start) + 1;
    const std::size_t first = text.find_first_not_of(' ', start);
    const std::size_t end = text.find(' ', first);
    return text.substr(0, first) + field + text.substr(end);
}

} // namespace

// One 2-port point, S11 = 0.1 at 180 degrees, S21 = 0.5 at -90, S12 = 0.5 at
// 0, S22 = 0.25 at 45, at 1 GHz, in every format and unit. Version 1 lists
// S21 before S12; version 2 says its order.
TEST(TouchstoneFile, EveryFormatAndUnitGivesTheSameParameters)
{
    const char* texts[] = {
        "# GHz S RI R 50\n1 -0.1 0 0 -0.5 0.5 0 0.1767766952966369 0.1767766952966369\n",
        "# MHZ S MA R 50\n1000 0.1 180 0.5 -90 0.5 0 0.25 45\n",
        "# db khz s\n1e6 -20 180 -6.020599913279624 -90 -6.020599913279624 0 -12.041199826559248 45\n",
        "# Hz\n1e9 0.1 180 0.5 -90 0.5 0 0.25 45\n",
        "1 0.1 180 0.5 -90 0.5 0 0.25 45\n", // no option line: GHZ S MA R 50
        ("[Version] 2.0\n# GHz S RI R 50\n[Number of Ports] 2\n[Two-Port Data Order] 12_21\n"
         "[Number of Frequencies] 1\n[Network Data]\n1 -0.1 0 0.5 0 0 -0.5 0.1767766952966369 0.1767766952966369\n"
         "[End]\n"),
        ("[Version] 2.0\n# GHz S MA R 50\n[Number of Ports] 2\n[Two-Port Data Order] 21_12\n"
         "[Number of Frequencies] 1\n[Network Data]\n1 0.1 180 0.5 -90 0.5 0 0.25 45\n"),
    };
    for (const char* text : texts) {
        const TouchstoneData data = ReadOk("t.s2p", text);
        ASSERT_EQ(data.Ports, 2) << text;
        ASSERT_EQ(data.Frequencies, std::vector<double>{1e9}) << text;
        EXPECT_EQ(data.Reference, (std::vector<double>{50.0, 50.0})) << text;
        ExpectNear(data.S(0, 1, 1), {-0.1, 0.0}, text);
        ExpectNear(data.S(0, 2, 1), {0.0, -0.5}, text);
        ExpectNear(data.S(0, 1, 2), {0.5, 0.0}, text);
        ExpectNear(data.S(0, 2, 2), {0.1767766952966369, 0.1767766952966369}, text);
    }
}

// Comments anywhere, points over several lines in any grouping, later
// option lines and the noise parameters of a 2-port left out.
TEST(TouchstoneFile, LayoutCommentsAndNoiseDataDoNotChangeTheNetwork)
{
    std::string rows;    // a 4-port, one matrix row per line
    std::string oneLine; // the same, all on the frequency's line
    for (int f = 1; f <= 3; ++f) {
        rows += std::to_string(f);
        oneLine += std::to_string(f);
        for (int i = 1; i <= 4; ++i) {
            for (int j = 1; j <= 4; ++j) {
                const std::string pair = " " + std::to_string(i + 0.1 * j + f) + " " + std::to_string(-i * j);
                rows += pair;
                oneLine += pair;
            }
            rows += " ! row " + std::to_string(i) + "\n";
        }
        oneLine += "\n";
    }
    const TouchstoneData a = ReadOk("rows.s4p", "! a 4-port\n# GHz S RI R 42.5\n" + rows);
    const TouchstoneData b = ReadOk("line.S4P", "# GHz S RI R 42.5\n# MHz S DB\n\n" + oneLine);
    ASSERT_EQ(a.Frequencies, (std::vector<double>{1e9, 2e9, 3e9}));
    EXPECT_EQ(a.Frequencies, b.Frequencies);
    EXPECT_EQ(a.Parameters, b.Parameters);
    EXPECT_EQ(a.Reference, std::vector<double>(4, 42.5));
    EXPECT_EQ(a.S(2, 3, 4), Complex(6.4, -12.0)); // written "6.400000"

    const std::string network = "# GHz S RI\n1 0 0 0.9 0 0.9 0 0 0\n2 0 0 0.8 0 0.8 0 0 0\n";
    const TouchstoneData plain = ReadOk("n.s2p", network);
    const TouchstoneData noisy = ReadOk("n.s2p", network + "! noise\n1 1.2 0.3 45 0.2\n2 1.4 0.3 50 0.2\n");
    const TouchstoneData v2 = ReadOk("n.ts", "[Version] 2.0\n# GHz S RI\n[Number of Ports] 2\n[Two-Port Data "
                                             "Order] 21_12\n[Number of Frequencies] 2\n[Number of Noise "
                                             "Frequencies] 1\n[Network Data]\n" +
                                                 network.substr(network.find('\n') + 1) +
                                                 "[Noise Data]\n1 1.2 0.3 45 0.2\n[End]\nanything");
    EXPECT_EQ(plain.Frequencies, (std::vector<double>{1e9, 2e9}));
    EXPECT_EQ(noisy.Parameters, plain.Parameters);
    EXPECT_EQ(v2.Parameters, plain.Parameters);
    EXPECT_EQ(v2.Frequencies, plain.Frequencies);
}

// Version 2: references per port over several lines, the information block
// skipped, and a triangle of a symmetric matrix mirrored.
TEST(TouchstoneFile, VersionTwoReadsReferencesAndTriangularMatrices)
{
    const std::string head = "[Version] 2.0\n# Hz S RI\n[Number of Ports] 3\n[Number of Frequencies] 1\n"
                             "[Reference] 50\n 60 ! ohms\n70\n[Begin Information]\n# not an option\n"
                             "[Whatever] 1\n[End Information]\n";
    const TouchstoneData full = ReadOk("m.ts", head + "[Matrix Format] Full\n[Network Data]\n5 "
                                                      "11 0 12 0 13 0\n12 0 22 0 23 0\n13 0 23 0 33 0\n");
    const TouchstoneData lower = ReadOk("m.s3p", head + "[Matrix Format] Lower\n[Network Data]\n5 "
                                                       "11 0\n12 0 22 0\n13 0 23 0 33 0\n[End]\n");
    const TouchstoneData upper = ReadOk("m.ts", head + "[Matrix Format] upper\n[Network Data]\n5 "
                                                       "11 0 12 0 13 0\n22 0 23 0\n33 0\n");
    EXPECT_EQ(full.Reference, (std::vector<double>{50.0, 60.0, 70.0}));
    EXPECT_EQ(full.Frequencies, std::vector<double>{5.0});
    EXPECT_EQ(full.S(0, 2, 3), Complex(23.0, 0.0));
    EXPECT_EQ(lower.Parameters, full.Parameters);
    EXPECT_EQ(upper.Parameters, full.Parameters);
    EXPECT_EQ(lower.Reference, full.Reference);
}

TEST(TouchstoneFile, ThePortCountComesFromTheName)
{
    EXPECT_EQ(TouchstoneFile::PortsFromName("dir.s9p/chan.s2p"), 2);
    EXPECT_EQ(TouchstoneFile::PortsFromName("CHAN.S4P"), 4);
    EXPECT_EQ(TouchstoneFile::PortsFromName("c.s12p"), 12);
    for (const char* name : {"c.ts", "c.sp", "c.s2", "s2p", "c.s2x", "c.sxp", "c.s1234p"})
        EXPECT_EQ(TouchstoneFile::PortsFromName(name), 0) << name;
}

TEST(TouchstoneFile, EveryFaultIsOneLineNamingTheFileAndLine)
{
    const std::string v2 = "[Version] 2.0\n# GHz S RI\n[Number of Ports] 1\n";
    const struct {
        const char* name;
        std::string text;
        const char* error;
    } cases[] = {
        {"a.txt", "1 0 0\n", "a.txt:1: cannot tell the number of ports: a Touchstone 1.x file is named .s1p, .s2p, "
                             "... (a 2.0 file begins with [Version] 2.0)"},
        {"y.s2p", "# GHz Y RI R 50\n", "y.s2p:1: only S-parameters are read; this file holds Y-parameters"},
        {"u.s1p", "# THz S RI\n", "u.s1p:1: unknown option \"THz\" (units HZ, KHZ, MHZ, GHZ; parameter S; formats "
                                  "DB, MA, RI; R ohms)"},
        {"r.s1p", "# GHz S RI R -50\n", "r.s1p:1: R needs the reference impedance in ohms, a number above 0"},
        {"n.s1p", "# GHz S RI\n1 0.5 nan\n", "n.s1p:2: \"nan\" is not a finite number"},
        {"f.s1p", "# GHz S RI\n1 0.5 0\n1 0.4 0\n",
         "f.s1p:3: frequency 1e+09 Hz does not increase (the one before is 1e+09 Hz)"},
        {"nf.s1p", "# GHz S RI\n-1 0.5 0\n", "nf.s1p:2: frequency -1 is not a finite number of at least 0"},
        {"i.s2p", "# GHz S RI\n1 0 0 1 0\n 0 0 0\n", "i.s2p:2: the frequency point has 8 of its 9 values"},
        {"o.s1p", "1 0.5 0\n# GHz S RI\n", "o.s1p:2: the option line must come before the data"},
        {"db.s1p", "# GHz S DB\n1 9999 0\n", "db.s1p:2: the value 9999 dB overflows"},
        {"h.s1p", "# GHz S RI\n", "h.s1p:1: no frequency points"},
        {"e.s1p", "! only a comment\n", "e.s1p:1: no data: the file holds no line but comments"},
        {"z.s1p", std::string("# GHz\n1 0.5\0 0\n", 15), "z.s1p:2: NUL byte in the text"},
        {"x.s33p", "1 0 0\n", "x.s33p:1: 33 ports, more than the 32 read"},
        {"nz.s2p", "# GHz S RI\n1 0 0 0 0 0 0 0 0\n0.5 1 2\n",
         "nz.s2p:3: frequency 5e+08 Hz does not increase (the one before is 1e+09 Hz)"},
        {"b1.s1p", "# GHz S RI\n1 0 0\n2 0 0\n1.5 0 0\n4 0 0\n5 0 0\n6 0 0\n7 0 0\n8 0 0\n9 0 0\n",
         "b1.s1p:4: frequency 1.5e+09 Hz does not increase (the one before is 2e+09 Hz)"},
        {"n5.s2p", "# GHz S RI\n1 0 0 0 0 0 0 0 0\n0.5 1 2 3 4\n0.6 1 2\n",
         "n5.s2p:4: a noise parameter line holds 5 values, this one 3"},
        {"k.s2p", "# GHz S RI\n[Number of Ports] 2\n", "k.s2p:2: keyword [Number of Ports] in a version 1.x file (a "
                                                        "2.0 file begins with [Version] 2.0)"},
        {"v.s2p", "[Version] 3.0\n", "v.s2p:1: [Version] 3.0 is not read (versions 1.x, 2.0 and 2.1 are)"},
        {"p.s2p", "[Version] 2.0\n[Number of Ports] 4\n", "p.s2p:2: [Number of Ports] 4 where the name says 2"},
        {"d.ts", "[Version] 2.0\n[Number of Ports] 2\n[Number of Frequencies] 1\n[Network Data]\n",
         "d.ts:4: a 2-port file needs [Two-Port Data Order] 12_21 or 21_12"},
        {"c.ts", v2 + "[Number of Frequencies] 2\n[Network Data]\n1 0.5 0\n[End]\n",
         "c.ts:7: 1 frequency points where [Number of Frequencies] says 2"},
        {"m.ts", v2 + "[Number of Frequencies] 1\n[Network Data]\n1 0.5 0\n2 0.5 0\n",
         "m.ts:7: more frequency points than [Number of Frequencies] 1"},
        {"mm.ts", "[Version] 2.0\n[Number of Ports] 4\n[Mixed-Mode Order] D2,1 D3,4 C2,1 C3,4\n",
         "mm.ts:3: mixed-mode data are not read: give the file of the single-ended ports"},
        {"b.ts", "[Version] 2.0\n[Bogus] 1\n", "b.ts:2: [Bogus] is not a keyword read here"},
        {"rf.ts", "[Version] 2.0\n[Number of Ports] 2\n[Reference] 50\n[Number of Frequencies] 1\n",
         "rf.ts:4: [Reference] needs 2 impedances, got 1"},
        {"o2.ts", "[Version] 2.0\n# GHz\n# MHz\n", "o2.ts:3: a second option line"},
        {"dn.ts", "[Version] 2.0\n1 2 3\n", "dn.ts:2: data before [Network Data]"},
        {"nd.ts", v2 + "[Number of Frequencies] 1\n[End]\n", "nd.ts:5: no [Network Data]"},
    };
    for (const auto& c : cases) {
        TouchstoneData data;
        std::string error;
        EXPECT_FALSE(TouchstoneFile::Read(c.text, c.name, data, error)) << c.name;
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(data.Ports, 0) << c.name;
        EXPECT_TRUE(data.Frequencies.empty() && data.Parameters.empty() && data.Reference.empty()) << c.name;
    }
}

// The writer's text, in either version, reads back to the same bits; more
// than four pairs a row wrap in version 1.
TEST(TouchstoneFile, WrittenFilesReadBackBitForBit)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    for (int ports : {1, 2, 4, 5}) {
        TouchstoneData data;
        data.Ports = ports;
        data.Reference.assign(static_cast<std::size_t>(ports), 50.0);
        for (int p = 0; p < 3; ++p) {
            data.Frequencies.push_back(p * 1.1e9 + 1e6 / 3.0);
            for (int k = 0; k < ports * ports; ++k)
                data.Parameters.emplace_back(value(random), value(random) * 1e-300);
        }
        const std::string name = "w.s" + std::to_string(ports) + "p";
        for (int version : {1, 2}) {
            const TouchstoneData back = ReadOk(name, TouchstoneFile::Write(data, version, "line one\nline two"));
            EXPECT_EQ(back.Frequencies, data.Frequencies) << ports << " " << version;
            EXPECT_EQ(back.Parameters, data.Parameters) << ports << " " << version;
            EXPECT_EQ(back.Reference, data.Reference) << ports << " " << version;
        }
    }
}

// Broken copies of measured files: a frequency that goes back, in the
// middle of a 2-port's data, is reported at its own line (not as noise
// parameters at the end); a 4-port named .s2p and a 2-port named .s4p say,
// at their first data line, which port count their rows fit.
TEST(TouchstoneFile, BrokenMeasuredFilesAreReportedAtTheCause)
{
    const std::string dir = SharedDataDir("touchstone");
    if (dir.empty())
        GTEST_SKIP() << SharedDataMissing("touchstone");
    const std::string thru = SharedText(dir, "P1-MSL_Thru_200-P2.s2p");
    const std::string cable = SharedText(dir, "CABLE1_TX_pair.s4p");
    ASSERT_EQ(ReadOk("P1-MSL_Thru_200-P2.s2p", thru).Frequencies.size(), 10000u);
    ASSERT_EQ(ReadOk("CABLE1_TX_pair.s4p", cable).Ports, 4);

    TouchstoneData data;
    std::string error;
    // Line 300 holds 0.292 GHz, after 0.291; 0.100 goes back.
    EXPECT_FALSE(TouchstoneFile::Read(WithFirstField(thru, 300, "0.100000000"), "thru.s2p", data, error));
    EXPECT_EQ(error, "thru.s2p:300: frequency 1e+08 Hz does not increase (the one before is 2.91e+08 Hz)");
    EXPECT_FALSE(TouchstoneFile::Read(cable, "cable.s2p", data, error));
    EXPECT_EQ(error, "cable.s2p:" + std::to_string(FirstDataLine(cable)) +
                         ": the data are rows of a 4-port (33 values a frequency), not of the 2 ports that the name says");
    EXPECT_FALSE(TouchstoneFile::Read(thru, "thru.s4p", data, error));
    EXPECT_EQ(error, "thru.s4p:" + std::to_string(FirstDataLine(thru)) +
                         ": the data are rows of a 2-port (9 values a frequency), not of the 4 ports that the name says");
    EXPECT_TRUE(data.Frequencies.empty());
}
