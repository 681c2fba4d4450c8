// Transfer functions whose impulse responses are known in closed form, made
// into taps, against those responses; tolerances as stated per test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <functional>
#include <string>
#include <vector>

#include "tools/amihost/channel/CausalImpulse.h"

namespace {

using Complex = std::complex<double>;

const double Pi = std::acos(-1.0);
constexpr double Dt = 1e-12; // 1 ps: Nyquist at 500 GHz

struct Data {
    std::vector<double> F;
    std::vector<Complex> H;
};

// H at first, first + step, ... up to last.
Data Sample(double first, double step, double last, const std::function<Complex(double)>& h)
{
    Data data;
    for (int i = 0; first + i * step <= last * (1 + 1e-12); ++i) {
        data.F.push_back(first + i * step);
        data.H.push_back(h(data.F.back()));
    }
    return data;
}

std::vector<double> Taps(const Data& data, std::size_t grid = 0, CausalImpulse::Report* report = nullptr)
{
    std::vector<double> taps;
    CausalImpulse::Report own;
    std::string error;
    const std::size_t n = grid ? grid : CausalImpulse::GridLength(data.F, Dt, std::size_t{1} << 20);
    EXPECT_TRUE(CausalImpulse::Design(data.F, data.H, Dt, n, std::size_t{1} << 20, taps, report ? *report : own,
                                      error))
        << error;
    return taps;
}

// The unit step response: the running sum of the taps.
std::vector<double> Step(const std::vector<double>& taps)
{
    std::vector<double> step(taps.size());
    double sum = 0.0;
    for (std::size_t i = 0; i < taps.size(); ++i)
        step[i] = sum += taps[i];
    return step;
}

std::string Refusal(const Data& data, double dt, std::size_t grid)
{
    std::vector<double> taps;
    CausalImpulse::Report report;
    std::string error;
    EXPECT_FALSE(CausalImpulse::Design(data.F, data.H, dt, grid, 1024, taps, report, error));
    EXPECT_TRUE(taps.empty());
    return error;
}

} // namespace

// H = a exp(-2 pi i f tau), 50 MHz .. 50 GHz: a step of a at tau, smoothed
// by the 50 GHz band over +-100 ps (5 / fTop), within 0.5 % of |a| outside
// that; the half-way crossing within 0.05 ps of tau. An inverting
// attenuator (a < 0) keeps its sign, and data from DC or from 20 GHz give
// the same taps.
TEST(CausalImpulse, AnAttenuatorWithDelayIsAStepOfItsGainAtItsDelay)
{
    const double tau = 103.3e-12;
    for (double a : {0.5, -0.5}) {
        const auto h = [&](double f) { return a * std::polar(1.0, -2.0 * Pi * f * tau); };
        const std::vector<double> taps = Taps(Sample(50e6, 50e6, 50e9, h));
        const std::vector<double> step = Step(taps);
        std::size_t crossing = 0;
        for (std::size_t i = 0; i < step.size(); ++i) {
            const double t = static_cast<double>(i) * Dt;
            if (t < tau - 100e-12) {
                ASSERT_LT(std::fabs(step[i]), 0.005 * std::fabs(a)) << i;
            }
            if (t > tau + 100e-12) {
                ASSERT_LT(std::fabs(step[i] - a), 0.005 * std::fabs(a)) << i;
            }
            if (crossing == 0 && std::fabs(step[i]) >= std::fabs(a) / 2)
                crossing = i;
        }
        EXPECT_NEAR(step.back(), a, 0.002 * std::fabs(a));
        // The continuous step reaches a / 2 at tau; the sampled one, whose
        // input steps between samples -1 and 0, half a sample earlier.
        const double before = std::fabs(step[crossing - 1]);
        const double after = std::fabs(step[crossing]);
        const double at = (static_cast<double>(crossing) - (after - std::fabs(a) / 2) / (after - before) + 0.5) * Dt;
        EXPECT_NEAR(at, tau, 0.05e-12) << a;

        // A delay's phase is linear and its magnitude flat, so extrapolating
        // to DC, even from 20 GHz (two turns of phase), is exact.
        for (double first : {0.0, 20e9}) {
            const std::vector<double> other = Taps(Sample(first, 50e6, 50e9, h));
            ASSERT_EQ(other.size(), taps.size());
            for (std::size_t i = 0; i < taps.size(); ++i)
                ASSERT_NEAR(other[i], taps[i], 1e-9) << i;
        }
    }
}

// H = 1 / (1 + 2 pi i f RC), RC = 20 ps, 50 MHz .. 100 GHz: the step
// 1 - exp(-t / RC) within 0.2 % from 5 / fTop = 50 ps on and within 3 %
// before (the band's smear of the corner at t = 0); the DC gain within 0.1 %.
TEST(CausalImpulse, AFirstOrderRcFollowsItsExponentialStep)
{
    const double rc = 20e-12;
    CausalImpulse::Report report;
    const std::vector<double> step =
        Step(Taps(Sample(50e6, 50e6, 100e9, [&](double f) { return 1.0 / Complex(1.0, 2.0 * Pi * f * rc); }), 0,
                  &report));
    EXPECT_NEAR(report.DcGain, 1.0, 1e-4); // extrapolated from 50 MHz
    EXPECT_GT(report.Folded, 0.0);         // the corner's smear before t = 0
    EXPECT_LT(report.NonCausalShare, 0.05);
    for (std::size_t i = 0; i < step.size(); ++i) {
        const double t = (static_cast<double>(i) + 0.5) * Dt; // see the attenuator
        const double expected = 1.0 - std::exp(-t / rc);
        ASSERT_NEAR(step[i], expected, t >= 50e-12 ? 0.002 : 0.03) << i;
    }
    EXPECT_NEAR(step.back(), 1.0, 1e-3);
}

// The radix-2 transform gives the inverse DFT of the same length, summed
// directly; and a grid four times longer (more zeros above the band edge,
// a finer spacing) gives the same taps: the power-of-two grid loses nothing.
TEST(CausalImpulse, ThePowerOfTwoGridIsTheDirectTransformAndItsLengthChangesNothing)
{
    const Data rc = Sample(50e6, 50e6, 100e9, [](double f) { return 1.0 / Complex(1.0, 2.0 * Pi * f * 20e-12); });
    for (std::size_t n : {32u, 64u, 512u}) {
        std::vector<Complex> bins;
        CausalImpulse::Report report;
        std::string error;
        ASSERT_TRUE(CausalImpulse::Spectrum(rc.F, rc.H, Dt, n, bins, report, error)) << error;
        ASSERT_EQ(bins.size(), n / 2 + 1);
        const std::vector<double> h = CausalImpulse::TimeResponse(bins);
        ASSERT_EQ(h.size(), n);
        for (std::size_t i = 0; i < n; ++i) {
            // h[i] = (1/N) sum over k of the Hermitian extension.
            double sum = bins[0].real() + bins[n / 2].real() * (i % 2 ? -1.0 : 1.0);
            for (std::size_t k = 1; k < n / 2; ++k)
                sum += 2.0 * (bins[k] * std::polar(1.0, 2.0 * Pi * static_cast<double>(k * i % n) / n)).real();
            ASSERT_NEAR(h[i], sum / static_cast<double>(n), 1e-15) << n << " " << i;
        }
    }
    const Data delayed =
        Sample(20e6, 20e6, 40e9, [](double f) { return 0.7 * std::polar(1.0, -2.0 * Pi * f * 1.3e-9); });
    for (const Data* data : {&rc, &delayed}) {
        const std::size_t n = CausalImpulse::GridLength(data->F, Dt, std::size_t{1} << 20);
        const std::vector<double> taps = Taps(*data, n);
        const std::vector<double> longer = Taps(*data, 4 * n);
        const double peak = std::fabs(*std::max_element(taps.begin(), taps.end(), [](double a, double b) {
            return std::fabs(a) < std::fabs(b);
        }));
        for (std::size_t i = 0; i < std::min(taps.size(), longer.size()); ++i)
            ASSERT_NEAR(taps[i], longer[i], 1e-6 * peak) << i;
    }
}

// The band edge is the data's end or the Nyquist frequency, whichever is
// lower; what no causal response can be is refused.
TEST(CausalImpulse, DataBeyondNyquistAreCutAndUnusableDataRefused)
{
    CausalImpulse::Report report;
    Taps(Sample(0.0, 1e9, 1e12, [](double f) { return std::polar(0.5, -2.0 * Pi * f * 50e-12); }), 0, &report);
    EXPECT_EQ(report.BandEdge, 500e9);
    Taps(Sample(0.0, 1e9, 40e9, [](double) { return Complex(0.5); }), 0, &report);
    EXPECT_EQ(report.BandEdge, 40e9);

    const Data advance = Sample(50e6, 50e6, 50e9, [](double f) { return std::polar(1.0, 2.0 * Pi * f * 200e-12); });
    EXPECT_EQ(Refusal(advance, Dt, 65536).substr(0, 26), "the response lies before t");
    EXPECT_NE(Refusal(advance, Dt, 65536).find("the data are not causal (a negative delay?)"), std::string::npos);
    const Data flat = Sample(600e9, 1e9, 700e9, [](double) { return Complex(1.0); });
    EXPECT_EQ(Refusal(flat, Dt, 64), "the data start at 600 GHz, at or above the Nyquist frequency of the sample "
                                     "interval (500 GHz)");
    const Data zero = Sample(0.0, 1e9, 10e9, [](double) { return Complex(0.0); });
    EXPECT_EQ(Refusal(zero, Dt, 64), "the transfer is 0 at every frequency");
    const Data huge = Sample(0.0, 1e9, 10e9, [](double f) { return Complex(f); });
    EXPECT_EQ(Refusal(huge, Dt, 64), "the transfer's magnitude 1e+09 at 1 GHz is not a channel's (above 1e+06)");
    const Data narrow = Sample(0.0, 1e6, 2e6, [](double) { return Complex(1.0); });
    EXPECT_EQ(Refusal(narrow, Dt, 64), "the data's band (to 0.002 GHz) is narrower than two steps of the 15.625 GHz "
                                       "grid: its response would outlast 32 samples");
    const Data one = Sample(0.0, 1e9, 0.0, [](double) { return Complex(1.0); });
    EXPECT_EQ(Refusal(one, Dt, 64), "the transfer needs at least 2 frequencies, each with one value");
    Data backwards = Sample(0.0, 1e9, 2e9, [](double) { return Complex(1.0); });
    std::swap(backwards.F[1], backwards.F[2]);
    EXPECT_EQ(Refusal(backwards, Dt, 64), "the frequencies must be finite, at least 0 and increasing");
    EXPECT_EQ(Refusal(flat, Dt, 1000), "the sample interval must be positive and the grid a power of two in 4 .. 2^24");
    EXPECT_EQ(Refusal(flat, std::nan(""), 64), Refusal(flat, Dt, 1000));
}
