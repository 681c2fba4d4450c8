#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include "tests/SharedData.h"
#include "tools/amihost/channel/DifferentialStripline.h"
#include "tools/amihost/channel/LossyLine.h"
#include "tools/amihost/channel/TouchstoneChannel.h"
#include "tools/amihost/signal/TextFile.h"

namespace {

using Complex = std::complex<double>;

const double Pi = std::acos(-1.0);

// A 2-port whose through is `through` both ways and whose ports reflect
// nothing, at `frequencies`.
TouchstoneData Through(const std::vector<double>& frequencies, const std::vector<Complex>& through)
{
    TouchstoneData data;
    data.Ports = 2;
    data.Reference = {50.0, 50.0};
    data.Frequencies = frequencies;
    for (const Complex& h : through)
        data.Parameters.insert(data.Parameters.end(), {0.0, h, h, 0.0});
    return data;
}

Channel Make(const std::string& text, const std::string& name, const TouchstoneChannel::Options& options, double dt)
{
    Channel channel;
    std::string error;
    EXPECT_TRUE(TouchstoneChannel::Make(text, name, options, dt, channel, error)) << error;
    return channel;
}

// Sum of the taps over [from, to) seconds.
double Area(const std::vector<double>& taps, double dt, double from, double to)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < taps.size(); ++i)
        if (static_cast<double>(i) * dt >= from && static_cast<double>(i) * dt < to)
            sum += taps[i];
    return sum;
}

double Sum(const std::vector<double>& taps)
{
    double sum = 0.0;
    for (double tap : taps)
        sum += tap;
    return sum;
}

// `data` without its points below `from` Hz.
TouchstoneData From(const TouchstoneData& data, double from)
{
    TouchstoneData cut = data;
    cut.Frequencies.clear();
    cut.Parameters.clear();
    const std::size_t square = static_cast<std::size_t>(data.Ports * data.Ports);
    for (std::size_t p = 0; p < data.Frequencies.size(); ++p) {
        if (data.Frequencies[p] < from)
            continue;
        cut.Frequencies.push_back(data.Frequencies[p]);
        cut.Parameters.insert(cut.Parameters.end(), data.Parameters.begin() + static_cast<std::ptrdiff_t>(p * square),
                              data.Parameters.begin() + static_cast<std::ptrdiff_t>((p + 1) * square));
    }
    return cut;
}

} // namespace

// A measured 10-inch board channel from DC to 42 GHz, its points below
// 50 MHz and below 300 MHz dropped: the DC value extrapolated from the
// lowest points leaves the final level (the sum of the taps) within 1 % of
// the whole file's. A clamp of |H(0)| to |H(f_0)| loses 4.7 % at 300 MHz.
TEST(TouchstoneChannel, DataThatStartAboveDcKeepTheFinalLevelOfTheWholeFile)
{
    const std::string dir = SharedDataDir("touchstone");
    if (dir.empty())
        GTEST_SKIP() << SharedDataMissing("touchstone");
    const std::string name = "TEC_SMT_IO_42GHz_Thru_B5B6_10in.s4p";
    std::string text;
    std::string error;
    ASSERT_TRUE(TextFile::Read(dir + "/" + name, TouchstoneFile::MaxBytes, text, error)) << error;
    TouchstoneData data;
    ASSERT_TRUE(TouchstoneFile::Read(text, name, data, error)) << error;
    ASSERT_EQ(data.Frequencies.front(), 0.0);
    const double dt = 78.125e-12 / 32;
    const double whole = Sum(Make(text, name, {}, dt).Taps());
    // The file's own DC point: Sdd21 = (S21 - S23 - S41 + S43) / 2.
    const double dc = 0.5 * (data.S(0, 2, 1) - data.S(0, 2, 3) - data.S(0, 4, 1) + data.S(0, 4, 3)).real();
    EXPECT_NEAR(whole, dc, 0.01 * dc);
    for (double from : {50e6, 300e6}) {
        const std::string copy = TouchstoneFile::Write(From(data, from), 1, "cut");
        const double cut = Sum(Make(copy, "cut.s4p", {}, dt).Taps());
        EXPECT_NEAR(cut, whole, 0.01 * whole) << from;
    }
}

// The built-in line's own transfer, sum h[n] exp(-2 pi i f n dt), written
// as a .s2p from DC to 60 GHz (112 dB of loss there) every 10 MHz, comes
// back as the line's taps: each within 1e-3 of the largest, the step within
// 1e-3.
TEST(TouchstoneChannel, TheBuiltInLineWrittenAsAFileGivesBackItsTaps)
{
    const double bitTime = 78.125e-12;
    const double dt = bitTime / 32;
    std::vector<double> line;
    std::string error;
    ASSERT_TRUE(LossyLine::Design(15.0, bitTime, dt, 256 * 32, line, error)) << error;
    std::vector<double> frequencies;
    std::vector<Complex> through;
    for (int k = 0; k <= 6000; ++k) {
        const double f = k * 10e6;
        const Complex turn = std::polar(1.0, -2.0 * Pi * f * dt);
        Complex phasor = 1.0;
        Complex sum = 0.0;
        for (double h : line) {
            sum += h * phasor;
            phasor *= turn;
        }
        frequencies.push_back(f);
        through.push_back(sum);
    }
    const std::string text = TouchstoneFile::Write(Through(frequencies, through), 1, "the built-in line");
    const Channel channel = Make(text, "line.s2p", {}, dt);
    EXPECT_EQ(channel.Description(), "Touchstone line.s2p, S21, 0 .. 60 GHz, DC gain 0.986");
    const std::vector<double>& taps = channel.Taps();
    const double peak = *std::max_element(line.begin(), line.end());
    double step = 0.0;
    double expected = 0.0;
    for (std::size_t i = 0; i < std::max(taps.size(), line.size()); ++i) {
        const double tap = i < taps.size() ? taps[i] : 0.0;
        const double want = i < line.size() ? line[i] : 0.0;
        ASSERT_NEAR(tap, want, 1e-3 * peak) << i;
        step += tap;
        expected += want;
        ASSERT_NEAR(step, expected, 1e-3) << i;
    }
}

// A matched 50 ohm line of 200 ps between Rs = 25 ohm (Gs = -1/3) and
// RL = 150 ohm (GL = 1/2): the wave arrives at 200 ps with 2 Z0 / (Rs + Z0)
// (1 + GL) = 2, echoes at 600 ps with Gs GL = -1/6 of that and at 1 ns with
// 1/36, and settles at the divider's 2 RL / (Rs + RL). Areas within 2e-3.
TEST(TouchstoneChannel, MismatchedEndsEchoAsTheNetworkWould)
{
    const double dt = 1e-12;
    const double tau = 200e-12;
    std::vector<double> frequencies;
    std::vector<Complex> through;
    for (int k = 0; k <= 2000; ++k) {
        frequencies.push_back(k * 50e6);
        through.push_back(std::polar(1.0, -2.0 * Pi * frequencies.back() * tau));
    }
    TouchstoneChannel::Options options;
    options.Ends = {25.0, 150.0};
    const Channel channel = Make(TouchstoneFile::Write(Through(frequencies, through), 2, ""), "echo.ts", options, dt);
    const std::vector<double>& taps = channel.Taps();
    EXPECT_NEAR(Area(taps, dt, 0.0, tau - 100e-12), 0.0, 2e-3);
    EXPECT_NEAR(Area(taps, dt, tau - 100e-12, tau + 100e-12), 2.0, 2e-3);
    EXPECT_NEAR(Area(taps, dt, tau + 100e-12, 3 * tau - 100e-12), 0.0, 2e-3);
    EXPECT_NEAR(Area(taps, dt, 3 * tau - 100e-12, 3 * tau + 100e-12), -2.0 / 6, 2e-3);
    EXPECT_NEAR(Area(taps, dt, 5 * tau - 100e-12, 5 * tau + 100e-12), 2.0 / 36, 2e-3);
    EXPECT_NEAR(Area(taps, dt, 0.0, 1.0), 2.0 * 150.0 / 175.0, 2e-3);
    EXPECT_NE(channel.Description().find(", source 25 ohm and load 150 ohm on 50 and 50 ohm references"),
              std::string::npos)
        << channel.Description();
}

// A stripline's .s4p written in either port order gives the same channel
// when --s4p-order names that order, and another one when it does not.
TEST(TouchstoneChannel, ThePortOrderOptionReadsAFourPortWrittenInEitherOrder)
{
    std::vector<double> frequencies;
    for (int k = 1; k <= 1000; ++k)
        frequencies.push_back(k * 40e6);
    const DifferentialStripline line;
    const double dt = 78.125e-12 / 16;
    std::vector<std::vector<double>> taps;
    for (ThroughPath::PairOrder written : {ThroughPath::Through12And34, ThroughPath::Through13And24}) {
        const std::string text = TouchstoneFile::Write(line.Network(frequencies, written), 1, "");
        for (ThroughPath::PairOrder read : {ThroughPath::Through12And34, ThroughPath::Through13And24}) {
            TouchstoneChannel::Options options;
            options.Order = read;
            Channel channel;
            std::string error;
            const bool ok = TouchstoneChannel::Make(text, "pair.s4p", options, dt, channel, error);
            if (read == written) {
                ASSERT_TRUE(ok) << error;
                taps.push_back(channel.Taps());
                EXPECT_NE(channel.Description().find(std::string("Sdd21 (") + TouchstoneChannel::OrderName(read) +
                                                     ")"),
                          std::string::npos);
            } else {
                EXPECT_TRUE(!ok || channel.Taps() != taps.back()) << error;
            }
        }
    }
    EXPECT_EQ(taps[0], taps[1]);
}

TEST(TouchstoneChannel, FaultsNameTheFileAndWhereTheyCanTheLine)
{
    Channel channel;
    std::string error;
    EXPECT_FALSE(TouchstoneChannel::Make("# GHz S RI\n1 0.5 x\n", "bad.s1p", {}, 1e-12, channel, error));
    EXPECT_EQ(error, "bad.s1p:2: \"x\" is not a finite number");
    EXPECT_FALSE(TouchstoneChannel::Make("# GHz S RI\n1 0.5 0\n2 0.5 0\n", "one.s1p", {}, 1e-12, channel, error));
    EXPECT_EQ(error, "one.s1p: a channel needs a 2-port (.s2p) or a 4-port (.s4p) network, not 1 port");
    EXPECT_FALSE(TouchstoneChannel::Make("# GHz S RI\n600 0 0 1 0 1 0 0 0\n700 0 0 1 0 1 0 0 0\n", "far.s2p", {},
                                         1e-12, channel, error));
    EXPECT_EQ(error.substr(0, 32), "far.s2p: the data start at 600 G");
    EXPECT_TRUE(channel.IsNone());
}
