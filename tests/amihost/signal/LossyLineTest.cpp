#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "tools/amihost/signal/Channel.h"
#include "tools/amihost/signal/Convolution.h"
#include "tools/amihost/signal/Fft.h"
#include "tools/amihost/signal/LossyLine.h"

namespace {

constexpr double BitTime = 7.8125e-11;
constexpr double Dt = BitTime / 32;

} // namespace

TEST(LossyLine, TheLossAtNyquistIsTheOneAskedFor)
{
    for (double loss : {3.0, 12.0, 25.0}) {
        std::vector<double> taps;
        std::string error;
        ASSERT_TRUE(LossyLine::Design(loss, BitTime, Dt, 256 * 32, taps, error)) << error;
        EXPECT_NEAR(LossyLine::LossAt(taps, Dt, 0.5 / BitTime), loss, 0.02) << loss;
        // The loss grows with frequency, and DC passes nearly whole (the
        // conductor loss's slow tail is cut at 256 UI).
        EXPECT_GT(LossyLine::LossAt(taps, Dt, 1.0 / BitTime), LossyLine::LossAt(taps, Dt, 0.5 / BitTime));
        EXPECT_LT(LossyLine::LossAt(taps, Dt, 0.25 / BitTime), loss * 0.6);
        EXPECT_LT(LossyLine::LossAt(taps, Dt, 0.0), 0.3);
    }
}

TEST(LossyLine, ALosslessLineIsASingleUnitTap)
{
    std::vector<double> taps;
    std::string error;
    ASSERT_TRUE(LossyLine::Design(0.0, BitTime, Dt, 1024, taps, error));
    ASSERT_EQ(taps.size(), 1u);
    EXPECT_NEAR(taps[0], 1.0, 1e-12);
}

TEST(LossyLine, BadArgumentsAreRefused)
{
    std::vector<double> taps;
    std::string error;
    EXPECT_FALSE(LossyLine::Design(-1.0, BitTime, Dt, 1024, taps, error));
    EXPECT_FALSE(LossyLine::Design(std::nan(""), BitTime, Dt, 1024, taps, error));
    EXPECT_FALSE(LossyLine::Design(10.0, BitTime, BitTime, 1024, taps, error));
    EXPECT_FALSE(LossyLine::Design(10.0, BitTime, Dt, 0, taps, error));
    EXPECT_TRUE(taps.empty());
}

TEST(Fft, InverseUndoesForwardAndOneBinIsOneTone)
{
    std::mt19937 random(2);
    std::uniform_real_distribution<double> level(-1.0, 1.0);
    for (std::size_t n : {1u, 2u, 8u, 1024u}) {
        std::vector<std::complex<double>> x(n);
        for (auto& v : x)
            v = {level(random), level(random)};
        std::vector<std::complex<double>> y = x;
        ASSERT_TRUE(Fft::Forward(y));
        // Against the defining sum at a few bins.
        for (std::size_t k = 0; k < n; k += std::max<std::size_t>(1, n / 4)) {
            std::complex<double> sum = 0.0;
            for (std::size_t i = 0; i < n; ++i)
                sum += x[i] * std::polar(1.0, -2.0 * std::acos(-1.0) * static_cast<double>(k * i % n) / n);
            EXPECT_NEAR(std::abs(y[k] - sum), 0.0, 1e-9) << n << " " << k;
        }
        ASSERT_TRUE(Fft::Inverse(y));
        for (std::size_t i = 0; i < n; ++i)
            EXPECT_NEAR(std::abs(y[i] - x[i]), 0.0, 1e-12);
    }
    std::vector<std::complex<double>> odd(6);
    EXPECT_FALSE(Fft::Forward(odd));
}

namespace {

std::vector<double> Levels(std::size_t n, std::mt19937& random)
{
    std::uniform_real_distribution<double> level(-1.0, 1.0);
    std::vector<double> v(n);
    for (double& x : v)
        x = level(random);
    return v;
}

} // namespace

TEST(Convolution, MatchesTheDefiningSumForAllLengths)
{
    std::mt19937 random(3);
    for (std::size_t n : {0u, 1u, 2u, 7u, 64u})
        for (std::size_t m : {1u, 2u, 5u, 80u}) {
            const std::vector<double> x = Levels(n, random);
            const std::vector<double> h = Levels(m, random);
            std::vector<double> y(n);
            ConvolveCausal(x.data(), n, h.data(), m, y.data());
            for (std::size_t i = 0; i < n; ++i) {
                double sum = 0.0;
                for (std::size_t k = 0; k < m && k <= i; ++k)
                    sum += h[k] * x[i - k];
                EXPECT_EQ(y[i], sum) << n << " " << m << " " << i;
            }
        }
}

TEST(Convolution, LongResponsesMatchTheDefiningSumUpToRounding)
{
    std::mt19937 random(4);
    for (std::size_t n : {300u, 5000u})
        for (std::size_t m : {257u, 1000u, 6000u}) {
            const std::vector<double> x = Levels(n, random);
            const std::vector<double> h = Levels(m, random);
            std::vector<double> y(n);
            ConvolveCausal(x.data(), n, h.data(), m, y.data());
            for (std::size_t i = 0; i < n; i += 7) {
                double sum = 0.0;
                double scale = 0.0;
                for (std::size_t k = 0; k < m && k <= i; ++k) {
                    sum += h[k] * x[i - k];
                    scale += std::fabs(h[k] * x[i - k]);
                }
                EXPECT_NEAR(y[i], sum, 1e-12 * (scale + 1.0)) << n << " " << m << " " << i;
            }
        }
}

TEST(Channel, ImpulseResponsesInPerSecondBecomeTapsAndBack)
{
    Channel channel;
    std::string error;
    EXPECT_TRUE(channel.IsNone());
    EXPECT_EQ(channel.Apply({1.0, 2.0}), (std::vector<double>{1.0, 2.0}));
    ASSERT_TRUE(Channel::FromImpulse({0.5 / Dt, 0.5 / Dt}, Dt, "h.csv", channel, error));
    EXPECT_EQ(channel.Apply({2.0, 0.0, 4.0}), (std::vector<double>{1.0, 1.0, 2.0}));
    const std::vector<double> matrix = channel.ImpulseMatrix(Dt);
    EXPECT_NEAR(matrix[0] * Dt, 0.5, 1e-15);
    EXPECT_FALSE(Channel::FromImpulse({}, Dt, "h.csv", channel, error));
    EXPECT_EQ(error, "h.csv: no impulse response samples");
}
