#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include "tools/amihost/channel/ThroughPath.h"

namespace {

using Complex = std::complex<double>;

const double Pi = std::acos(-1.0);

// A lossless line of impedance zc and electrical length theta (radians) as
// its ABCD matrix.
struct Abcd {
    Complex A, B, C, D;
};

Abcd Line(double zc, double theta)
{
    return {std::cos(theta), Complex(0.0, zc * std::sin(theta)), Complex(0.0, std::sin(theta) / zc), std::cos(theta)};
}

// The 2-port's S on references z1, z2 from its ABCD matrix (the textbook
// conversion, written out for unequal real references).
void AddPoint(TouchstoneData& data, double frequency, const Abcd& m, double z1, double z2)
{
    const Complex d = m.A * z2 + m.B + m.C * z1 * z2 + m.D * z1;
    const double root = 2.0 * std::sqrt(z1 * z2);
    data.Frequencies.push_back(frequency);
    data.Parameters.push_back((m.A * z2 + m.B - m.C * z1 * z2 - m.D * z1) / d);
    data.Parameters.push_back(root * (m.A * m.D - m.B * m.C) / d);
    data.Parameters.push_back(root / d);
    data.Parameters.push_back((-m.A * z2 + m.B - m.C * z1 * z2 + m.D * z1) / d);
}

} // namespace

// A 75 ohm line between a source and a load, on references 50 and 60 ohm:
// H against 2 V2 / Vs of the circuit solved from the ABCD matrix,
// Vs = V2 (A + B / RL) + Rs V2 (C + D / RL), to 1e-12.
TEST(ThroughPath, TerminationsActAsOnTheCircuitOfALine)
{
    TouchstoneData data;
    data.Ports = 2;
    data.Reference = {50.0, 60.0};
    std::vector<Abcd> lines;
    for (int i = 0; i < 5; ++i) {
        lines.push_back(Line(75.0, 0.37 * i));
        AddPoint(data, 1e9 * i, lines.back(), 50.0, 60.0);
    }
    const struct {
        double rs, rl;
    } ends[] = {{50.0, 60.0}, {25.0, 150.0}, {1e-3, 1e9}, {300.0, 10.0}};
    for (const auto& e : ends) {
        ThroughPath::Result result;
        std::string error;
        ASSERT_TRUE(ThroughPath::Transfer(data, ThroughPath::Through12And34, {e.rs, e.rl}, result, error)) << error;
        EXPECT_EQ(result.Name, "S21");
        EXPECT_EQ(result.Source, e.rs);
        EXPECT_EQ(result.Load, e.rl);
        for (std::size_t p = 0; p < lines.size(); ++p) {
            const Abcd& m = lines[p];
            const Complex expected = 2.0 / (m.A + m.B / e.rl + e.rs * (m.C + m.D / e.rl));
            EXPECT_NEAR(std::abs(result.Transfer[p] - expected), 0.0, 1e-12) << e.rs << " " << e.rl << " " << p;
        }
    }
    // Matched (0 for both): S21 sqrt(Z2 / Z1).
    ThroughPath::Result matched;
    std::string error;
    ASSERT_TRUE(ThroughPath::Transfer(data, ThroughPath::Through12And34, {}, matched, error));
    EXPECT_EQ(matched.Source, 50.0);
    EXPECT_EQ(matched.Load, 60.0);
    for (std::size_t p = 0; p < lines.size(); ++p)
        EXPECT_NEAR(std::abs(matched.Transfer[p] - data.S(p, 2, 1) * std::sqrt(1.2)), 0.0, 1e-15);
}

// Line P carries 0.9 and line N 0.7 from one end to the other, ports
// numbered 1-2/3-4: Sdd21 is their mean, 0.8, on 100 ohm; the same file read
// as 1-3/2-4 finds no through at all (ports 1 and 2 are then a pair).
TEST(ThroughPath, AFourPortGivesTheDifferentialThroughOfItsPortOrder)
{
    TouchstoneData data;
    data.Ports = 4;
    data.Reference.assign(4, 50.0);
    data.Frequencies = {0.0, 1e9};
    data.Parameters.assign(32, Complex());
    for (std::size_t p = 0; p < 2; ++p) {
        data.Parameters[p * 16 + 1 * 4 + 0] = data.Parameters[p * 16 + 0 * 4 + 1] = 0.9; // S21, S12
        data.Parameters[p * 16 + 3 * 4 + 2] = data.Parameters[p * 16 + 2 * 4 + 3] = 0.7; // S43, S34
    }
    ThroughPath::Result result;
    std::string error;
    ASSERT_TRUE(ThroughPath::Transfer(data, ThroughPath::Through12And34, {}, result, error)) << error;
    EXPECT_EQ(result.Name, "Sdd21");
    EXPECT_EQ(result.SourceReference, 100.0);
    EXPECT_EQ(result.Transfer, (std::vector<Complex>{0.8, 0.8}));
    ASSERT_TRUE(ThroughPath::Transfer(data, ThroughPath::Through13And24, {}, result, error)) << error;
    EXPECT_EQ(result.Transfer, (std::vector<Complex>{0.0, 0.0}));

    data.Reference[2] = 75.0;
    EXPECT_FALSE(ThroughPath::Transfer(data, ThroughPath::Through12And34, {}, result, error));
    EXPECT_EQ(error, "ports 1 and 3 form a pair but differ in reference impedance (50 and 75 ohm)");
    EXPECT_TRUE(result.Transfer.empty());
    data.Ports = 3;
    EXPECT_FALSE(ThroughPath::Transfer(data, ThroughPath::Through12And34, {}, result, error));
    EXPECT_EQ(error, "a channel needs a 2-port (.s2p) or a 4-port (.s4p) network, not 3 ports");
    data.Ports = 2;
    data.Reference = {50.0, 50.0};
    EXPECT_FALSE(ThroughPath::Transfer(data, ThroughPath::Through12And34, {-5.0, 0.0}, result, error));
    EXPECT_EQ(error, "the source resistance -5 ohm is not a positive number");
    EXPECT_FALSE(ThroughPath::Transfer(data, ThroughPath::Through12And34, {0.0, std::nan("")}, result, error));
    EXPECT_EQ(error, "the load resistance nan ohm is not a positive number");
}
