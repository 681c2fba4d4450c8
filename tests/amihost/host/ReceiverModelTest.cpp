// The test receiver that the chain tests rely on, checked against what its
// headers state: the CTLE's peak and DC gain, the clock recovery's lock on
// an eye whose crossings are known, and the AMI contract.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include "tools/amihost/amifile/AmiFile.h"
#include "tools/amihost/amifile/ParameterString.h"
#include "tools/amihost/eye/ClockedEye.h"
#include "tools/amihost/host/AmiModel.h"
#include "tools/amihost/host/AmiSession.h"
#include "tools/amihost/signal/Prbs.h"
#include "tools/amihost/signal/TextFile.h"

namespace {

constexpr int Spb = 32;
constexpr double BitTime = 1e-10;
constexpr double Dt = BitTime / Spb;

AmiModel& Loaded(AmiModel& model, const char* path)
{
    std::string error;
    EXPECT_TRUE(model.Load(path, error)) << error;
    return model;
}

// |G(f)| of taps g at the sample interval Dt, summed directly.
double Gain(const std::vector<double>& g, double f)
{
    const double pi = std::acos(-1.0);
    std::complex<double> sum = 0.0;
    for (std::size_t n = 0; n < g.size(); ++n)
        sum += g[n] * std::polar(1.0, -2.0 * pi * f * static_cast<double>(n) * Dt);
    return std::abs(sum);
}

// The CTLE's taps, from the Init-only build handed a unit impulse.
std::vector<double> CtleTaps(const std::string& parameters)
{
    AmiModel model;
    AmiSession session(Loaded(model, RX_CTLE_INIT_PATH));
    std::vector<double> impulse(8192, 0.0);
    impulse[0] = 1.0 / Dt;
    std::string error;
    EXPECT_TRUE(session.Init(impulse, Dt, BitTime, parameters, error)) << error;
    std::vector<double> g = session.ImpulseOut();
    for (double& v : g)
        v *= Dt;
    return g;
}

// NRZ of +-0.5 whose transition from bit k-1 to bit k is a raised cosine of
// half a UI centred on (k + delay) UI: the crossings are known exactly.
std::vector<double> KnownEye(const std::vector<int>& bits, double delay)
{
    const double pi = std::acos(-1.0);
    auto level = [&](long long k) { return k < 0 ? -0.5 : bits[static_cast<std::size_t>(k)] ? 0.5 : -0.5; };
    std::vector<double> wave(bits.size() * Spb);
    for (std::size_t n = 0; n < wave.size(); ++n) {
        const double t = static_cast<double>(n) / Spb - delay; // UI from the first crossing
        const long long k = static_cast<long long>(std::floor(t + 0.5)); // the nearest crossing
        const double d = t - static_cast<double>(k);
        if (k >= static_cast<long long>(bits.size()) || d >= 0.25)
            wave[n] = level(std::min<long long>(k, static_cast<long long>(bits.size()) - 1));
        else if (d <= -0.25)
            wave[n] = level(k - 1);
        else
            wave[n] = level(k - 1) + (level(k) - level(k - 1)) * (1.0 - std::cos(pi * (d + 0.25) / 0.5)) / 2.0;
    }
    return wave;
}

} // namespace

// The peak lies where the .ami says, with the gain it says; prewarping puts
// the digital peak exactly there.
TEST(ReceiverModel, TheCtlePeaksByItsPeakingAtItsFrequencyAndPassesDcUnchanged)
{
    for (const double peaking : {3.0, 8.0, 14.0}) {
        const double peak = 5e9;
        char parameters[96];
        std::snprintf(parameters, sizeof parameters, "(Rx_ctle (peaking %g) (peak_ghz 5))", peaking);
        const std::vector<double> g = CtleTaps(parameters);
        EXPECT_NEAR(Gain(g, 0.0), 1.0, 1e-9) << peaking;
        EXPECT_NEAR(Gain(g, peak), std::pow(10.0, peaking / 20.0), 1e-9) << peaking;
        EXPECT_LT(Gain(g, peak * 0.97), Gain(g, peak)) << peaking;
        EXPECT_LT(Gain(g, peak * 1.03), Gain(g, peak)) << peaking;
    }
    const std::vector<double> off = CtleTaps("(Rx_ctle (peaking 0))");
    EXPECT_EQ(off[0], 1.0);
    for (std::size_t n = 1; n < off.size(); ++n)
        ASSERT_EQ(off[n], 0.0) << n;
}

// From 0.37 UI off, the loop walks to the crossings in steps of the gain and
// then dithers within one step; sampled half a UI after its clock times,
// the known eye is open by its whole swing.
TEST(ReceiverModel, TheClockRecoveryLocksOnAKnownEyeAndSamplesItsMiddle)
{
    const double delay = 0.37;
    const double gain = 1.0 / 64;
    const std::vector<int> bits = Prbs(7).Take(600);
    std::vector<double> wave = KnownEye(bits, delay);
    AmiModel model;
    AmiSession session(Loaded(model, RX_CTLE_CDR_PATH));
    std::string error;
    ASSERT_TRUE(session.Init({}, Dt, BitTime, "(Rx_ctle_cdr (peaking 0) (cdr_gain 0.015625))", error)) << error;
    std::vector<double> clock;
    ASSERT_TRUE(session.Process(wave, 37, nullptr, error, &clock)) << error;
    EXPECT_EQ(wave, KnownEye(bits, delay)); // peaking 0: the CTLE passes the wave unchanged
    ASSERT_GE(clock.size(), bits.size() - 2);
    ASSERT_LE(clock.size(), bits.size());
    for (std::size_t j = 150; j < clock.size(); ++j) {
        const double t = clock[j] / BitTime - delay;
        ASSERT_LE(std::fabs(t - std::round(t)), gain + 1e-9) << "clock " << j << " at " << clock[j];
    }
    std::vector<double> instants;
    for (double t : clock)
        instants.push_back((t + BitTime / 2) / Dt);
    const std::size_t middle = static_cast<std::size_t>(std::lround((delay + 0.5) * Spb));
    const EyeResult eye = ClockedEye::Measure(wave, bits, Spb, instants, middle, 150);
    ASSERT_TRUE(eye.Valid);
    EXPECT_EQ(eye.Height, 1.0);
    EXPECT_EQ(eye.Threshold, 0.0);
    EXPECT_GE(eye.Width, 1.0 - 2.0 * gain - 1.0 / Spb);
    EXPECT_NEAR(static_cast<double>(eye.Latency), (delay + 0.5) * Spb, 1.0);
}

TEST(ReceiverModel, AmiInitRefusesSettingsOutsideTheirRanges)
{
    AmiModel model;
    Loaded(model, RX_CTLE_CDR_PATH);
    const std::pair<const char*, const char*> cases[] = {
        {"(Rx_ctle_cdr (peaking 41))", "peaking must be 0 .. 40 dB"},
        {"(Rx_ctle_cdr (peak_ghz 160))", "half the sample rate"},
        {"(Rx_ctle_cdr (cdr_gain 0.5))", "cdr_gain must lie between 0 and 0.5 UI"}};
    for (const auto& c : cases) {
        AmiSession session(model);
        std::string error;
        EXPECT_FALSE(session.Init({}, Dt, BitTime, c.first, error));
        EXPECT_NE(error.find(c.second), std::string::npos) << error;
    }
}
