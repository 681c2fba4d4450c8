#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include "tools/amihost/channel/CausalImpulse.h"
#include "tools/amihost/channel/DifferentialStripline.h"

namespace {

using Complex = std::complex<double>;

const double Pi = std::acos(-1.0);

double LossDb(const DifferentialStripline& line, double frequency)
{
    Complex s11, s21;
    line.ModeParameters(DifferentialStripline::Odd, frequency, s11, s21);
    return -20.0 * std::log10(std::abs(s21));
}

} // namespace

// Without loss and matched to its references the line is a pure delay of
// Length sqrt(Permittivity) / c.
TEST(DifferentialStripline, ALosslessMatchedLineIsADelayAtTheSpeedOfLightInItsDielectric)
{
    DifferentialStripline line;
    line.OddImpedance = 50.0;
    line.LossTangent = 0.0;
    line.Conductivity = 1e300;
    const double delay = line.Length * std::sqrt(line.Permittivity) / 299792458.0;
    for (double f : {1e6, 1e9, 7.7e9, 40e9}) {
        Complex s11, s21;
        line.ModeParameters(DifferentialStripline::Odd, f, s11, s21);
        EXPECT_NEAR(std::abs(s11), 0.0, 1e-9) << f;
        EXPECT_NEAR(std::abs(s21 - std::polar(1.0, -2.0 * Pi * f * delay)), 0.0, 1e-9) << f;
    }
}

// Dielectric loss alone grows in proportion to f (nearly flat loss
// tangent), the skin effect alone as sqrt(f); together the loss rises, and
// at DC only the copper's resistance is left.
TEST(DifferentialStripline, LossGrowsAsItsMechanismsDo)
{
    DifferentialStripline dielectric;
    dielectric.Conductivity = 1e300;
    EXPECT_NEAR(LossDb(dielectric, 20e9) / LossDb(dielectric, 10e9), 2.0, 0.1);
    DifferentialStripline copper;
    copper.LossTangent = 0.0;
    EXPECT_NEAR(LossDb(copper, 20e9) / LossDb(copper, 10e9), std::sqrt(2.0), 0.1);

    const DifferentialStripline line;
    for (double f = 1e9; f < 50e9; f *= 1.5)
        EXPECT_GT(LossDb(line, 1.5 * f), LossDb(line, f)) << f;
    Complex s11, s21;
    line.ModeParameters(DifferentialStripline::Even, 0.0, s11, s21);
    const double r = line.Length / (line.Conductivity * line.TraceWidth * line.TraceThickness);
    EXPECT_NEAR(s21.real(), 100.0 / (r + 100.0), 1e-15);
    EXPECT_NEAR(s11.real(), r / (r + 100.0), 1e-15);
}

// The single-ended 4-port is reciprocal and passive (no column carries out
// more power than goes in), its differential through is the odd mode's in
// either port numbering, and its impulse response is causal: nothing before
// the dielectric's delay.
TEST(DifferentialStripline, ItsNetworkIsReciprocalPassiveAndCausal)
{
    const DifferentialStripline line;
    std::vector<double> frequencies;
    for (int i = 0; i <= 4000; ++i)
        frequencies.push_back(i * 25e6);
    for (ThroughPath::PairOrder order : {ThroughPath::Through12And34, ThroughPath::Through13And24}) {
        const TouchstoneData data = line.Network(frequencies, order);
        for (std::size_t p = 0; p < frequencies.size(); p += 97) {
            for (int j = 1; j <= 4; ++j) {
                double power = 0.0;
                for (int i = 1; i <= 4; ++i) {
                    EXPECT_EQ(data.S(p, i, j), data.S(p, j, i));
                    power += std::norm(data.S(p, i, j));
                }
                EXPECT_LE(power, 1.0) << p << " " << j;
            }
        }
        ThroughPath::Result path;
        std::string error;
        ASSERT_TRUE(ThroughPath::Transfer(data, order, {}, path, error)) << error;
        for (std::size_t p = 0; p < frequencies.size(); p += 97) {
            Complex s11, s21;
            line.ModeParameters(DifferentialStripline::Odd, frequencies[p], s11, s21);
            EXPECT_NEAR(std::abs(path.Transfer[p] - s21), 0.0, 1e-15) << p;
        }

        const double dt = 1e-12;
        std::vector<double> taps;
        CausalImpulse::Report report;
        ASSERT_TRUE(CausalImpulse::Design(frequencies, path.Transfer, dt,
                                          CausalImpulse::GridLength(frequencies, dt, 1 << 20), 1 << 20, taps, report,
                                          error))
            << error;
        EXPECT_LT(report.NonCausalShare, 1e-6);
        const double delay = line.Length * std::sqrt(line.Permittivity) / 299792458.0;
        double early = 0.0;
        double total = 0.0;
        for (std::size_t i = 0; i < taps.size(); ++i) {
            (static_cast<double>(i) * dt < delay - 100e-12 ? early : total) += std::fabs(taps[i]);
        }
        EXPECT_LT(early, 1e-3 * total);
    }
}
