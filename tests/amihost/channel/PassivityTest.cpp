#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <string>

#include "tests/amihost/channel/SharedTouchstone.h"
#include "tools/amihost/channel/findings/Passivity.h"

namespace {

// sigma_max of a 2 x 2 S in closed form: the larger eigenvalue of the
// Hermitian S^H S = [a b; conj(b) d] is (a + d) / 2 + sqrt(((a - d) / 2)^2 + |b|^2).
double ClosedForm(const TouchstoneData& data, std::size_t p)
{
    const std::complex<double> s11 = data.S(p, 1, 1), s12 = data.S(p, 1, 2), s21 = data.S(p, 2, 1),
                               s22 = data.S(p, 2, 2);
    const double a = std::norm(s11) + std::norm(s21);
    const double d = std::norm(s12) + std::norm(s22);
    const double b = std::abs(std::conj(s11) * s12 + std::conj(s21) * s22);
    return std::sqrt((a + d) / 2.0 + std::sqrt((a - d) * (a - d) / 4.0 + b * b));
}

} // namespace

// On two measured 2-ports, at every frequency, the power iteration gives
// the closed form; the largest over the file is where the closed form has
// it. The filter's data are not passive in a stop band (1.154 at 10.6 GHz).
TEST(Passivity, TheLargestSingularValueOfATwoPortIsItsClosedForm)
{
    const std::string dir = SharedDataDir("touchstone");
    if (dir.empty())
        GTEST_SKIP() << SharedDataMissing("touchstone");
    for (const char* name : {"P1-MSL_Thru_200-P2.s2p", "LFCN-2352+_Plus25degC.s2p"}) {
        const TouchstoneData data = SharedTouchstone(dir, name);
        ASSERT_FALSE(data.Frequencies.empty());
        double largest = 0.0;
        std::size_t at = 0;
        for (std::size_t p = 0; p < data.Frequencies.size(); ++p) {
            const double expected = ClosedForm(data, p);
            ASSERT_NEAR(Passivity::LargestSingularValue(data, p), expected, 1e-9 * expected) << name << " " << p;
            if (expected > largest) {
                largest = expected;
                at = p;
            }
        }
        const Passivity result = Passivity::Assess(data);
        EXPECT_NEAR(result.Largest, largest, 1e-9) << name;
        EXPECT_EQ(result.Point, at) << name;
        EXPECT_EQ(result.Frequency, data.Frequencies[at]);
        EXPECT_EQ(result.Passive, largest <= 1.0 + Passivity::Tolerance) << name;
    }
    const Passivity filter = Passivity::Assess(SharedTouchstone(dir, "LFCN-2352+_Plus25degC.s2p"));
    EXPECT_FALSE(filter.Passive);
    EXPECT_NEAR(filter.Frequency, 10.625e9, 1.0);
}

// Measured channels (a board trace, two board channels, a cable assembly)
// pass; each with its S21 scaled by 3 fails, at least 3 |S21| somewhere.
TEST(Passivity, MeasuredChannelsPassAndAThroughScaledByThreeFails)
{
    const std::string dir = SharedDataDir("touchstone");
    if (dir.empty())
        GTEST_SKIP() << SharedDataMissing("touchstone");
    for (const char* name : {"P1-MSL_Thru_200-P2.s2p", "TEC_SMT_IO_42GHz_Thru_B5B6_10in.s4p",
                             "TEC_SMT_IO_42GHz_Thru_B5B6_4in.s4p", "CABLE1_TX_pair.s4p"}) {
        TouchstoneData data = SharedTouchstone(dir, name);
        ASSERT_FALSE(data.Frequencies.empty());
        const Passivity measured = Passivity::Assess(data);
        EXPECT_TRUE(measured.Passive) << name << " " << measured.Largest;
        EXPECT_GT(measured.Largest, 0.9) << name;
        const std::size_t n = static_cast<std::size_t>(data.Ports);
        double through = 0.0;
        for (std::size_t p = 0; p < data.Frequencies.size(); ++p) {
            data.Parameters[p * n * n + n] *= 3.0; // S21
            through = std::max(through, std::abs(data.Parameters[p * n * n + n]));
        }
        const Passivity scaled = Passivity::Assess(data);
        EXPECT_FALSE(scaled.Passive) << name;
        EXPECT_GE(scaled.Largest, through * (1.0 - 1e-12)) << name;
    }
}
