#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include "tests/amihost/channel/SharedTouchstone.h"
#include "tools/amihost/channel/TouchstoneChannel.h"
#include "tools/amihost/channel/findings/ImpulseSpan.h"

// A single tap at sample 40 is a delay of 40 dt, all of its energy there;
// a geometric decay h[n] = (1 - a) a^n holds a^(2 (n + 1)) of its energy
// after tap n, so its last tap is the first n where that falls below
// EnergyShare / 2, and its step crosses half at ln(1/2) / ln(a) - 1/2
// samples; an inverting channel's step crosses down.
TEST(ImpulseSpan, ClosedFormsOfADelayAndADecay)
{
    const double dt = 1e-12;
    std::vector<double> delay(100, 0.0);
    delay[40] = 1.0;
    const std::optional<ImpulseSpan> pure = ImpulseSpan::Assess(delay, dt);
    ASSERT_TRUE(pure);
    EXPECT_NEAR(pure->Delay, 40e-12, 1e-18);
    EXPECT_DOUBLE_EQ(pure->Start, 40e-12);
    EXPECT_DOUBLE_EQ(pure->End, 40e-12);

    const double a = 0.9;
    for (double sign : {1.0, -1.0}) {
        std::vector<double> decay(2000);
        for (std::size_t n = 0; n < decay.size(); ++n)
            decay[n] = sign * (1.0 - a) * std::pow(a, static_cast<double>(n));
        const std::optional<ImpulseSpan> span = ImpulseSpan::Assess(decay, dt);
        ASSERT_TRUE(span);
        const double last = std::ceil(std::log(ImpulseSpan::EnergyShare / 2.0) / (2.0 * std::log(a))) - 1.0;
        EXPECT_DOUBLE_EQ(span->End, last * dt);
        EXPECT_DOUBLE_EQ(span->Start, 0.0);
        EXPECT_NEAR(span->Final, sign, 1e-12);
        // The step 1 - a^(n+1) crosses 1/2 between samples; linear
        // interpolation there is within a few percent of a sample.
        EXPECT_NEAR(span->Delay, (std::log(0.5) / std::log(a) - 1.0 + 0.5) * dt, 0.05 * dt);
    }
    EXPECT_FALSE(ImpulseSpan::Assess({}, dt));
    EXPECT_FALSE(ImpulseSpan::Assess({0.0, 0.0}, dt));
}

// The measured cable assembly (8.7 dB at 6.4 GHz): its step arrives at the
// group delay that its own phase gives at low frequency (the slope of the
// unwrapped phase of Sdd21 from its first point to 1.25 GHz, 14.3 ns), and
// its energy lasts well beyond a window of 96 bits at 12.8 Gb/s (7.5 ns).
TEST(ImpulseSpan, AMeasuredCableArrivesAtTheGroupDelayOfItsPhase)
{
    const std::string dir = SharedDataDir("touchstone");
    if (dir.empty())
        GTEST_SKIP() << SharedDataMissing("touchstone");
    const std::string name = "CABLE1_TX_pair.s4p";
    const TouchstoneData data = SharedTouchstone(dir, name);
    ASSERT_EQ(data.Ports, 4);
    double phase = 0.0;
    double previous = 0.0;
    std::size_t top = 0;
    for (std::size_t p = 0; p < data.Frequencies.size() && data.Frequencies[p] <= 1.25e9; ++p) {
        const std::complex<double> h =
            0.5 * (data.S(p, 2, 1) - data.S(p, 2, 3) - data.S(p, 4, 1) + data.S(p, 4, 3));
        const double angle = std::arg(h);
        phase = p == 0 ? angle : phase + std::remainder(angle - previous, 2.0 * std::acos(-1.0));
        previous = angle;
        top = p;
    }
    const std::complex<double> first = 0.5 * (data.S(0, 2, 1) - data.S(0, 2, 3) - data.S(0, 4, 1) + data.S(0, 4, 3));
    const double groupDelay =
        -(phase - std::arg(first)) / (2.0 * std::acos(-1.0) * (data.Frequencies[top] - data.Frequencies[0]));
    ASSERT_GT(groupDelay, 14e-9);

    std::string text;
    std::string error;
    ASSERT_TRUE(TextFile::Read(dir + "/" + name, TouchstoneFile::MaxBytes, text, error)) << error;
    const double dt = 78.125e-12 / 32;
    Channel channel;
    ASSERT_TRUE(TouchstoneChannel::Make(text, name, {}, dt, channel, error)) << error;
    const std::optional<ImpulseSpan> span = ImpulseSpan::Assess(channel.Taps(), dt);
    ASSERT_TRUE(span);
    EXPECT_NEAR(span->Delay, groupDelay, 0.01 * groupDelay);
    EXPECT_LT(span->Start, span->Delay);
    EXPECT_GT(span->Start, 0.9 * groupDelay);
    EXPECT_GT(span->End - span->Start, 96 * 78.125e-12);
}
