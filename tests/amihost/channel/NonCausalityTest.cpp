#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include "tests/amihost/channel/SharedTouchstone.h"
#include "tools/amihost/channel/ThroughPath.h"
#include "tools/amihost/channel/findings/NonCausality.h"

namespace {

const double Pi = std::acos(-1.0);
constexpr double Dt = 1e-12;

// Two equal pulses, one `late` seconds after t = 0 and one `early` before:
// H = (exp(-2 pi i f late) + exp(2 pi i f early)) / 2, 10 MHz .. 200 GHz.
std::optional<NonCausality> TwoPulses(double late, double early)
{
    std::vector<double> f;
    std::vector<std::complex<double>> h;
    for (int k = 1; k <= 20000; ++k) {
        f.push_back(k * 10e6);
        h.push_back(0.5 * (std::polar(1.0, -2.0 * Pi * f.back() * late) + std::polar(1.0, 2.0 * Pi * f.back() * early)));
    }
    std::string error;
    std::optional<NonCausality> result = NonCausality::Assess(f, h, Dt, 1 << 16, error);
    EXPECT_TRUE(result.has_value()) << error;
    return result;
}

} // namespace

// A delay is causal (share 0); two pulses of equal energy, one after
// t = 0 and one before, have half their energy before (closed form 1/2);
// a measured channel has almost none.
TEST(NonCausality, TheShareBeforeTimeZeroIsTheEnergyThere)
{
    const std::optional<NonCausality> delay = TwoPulses(200e-12, -300e-12); // both after t = 0
    ASSERT_TRUE(delay);
    EXPECT_LT(delay->Share, 1e-4);
    EXPECT_FALSE(delay->Flagged);
    const std::optional<NonCausality> split = TwoPulses(200e-12, 300e-12);
    ASSERT_TRUE(split);
    EXPECT_NEAR(split->Share, 0.5, 0.01);
    EXPECT_TRUE(split->Flagged);

    const std::string dir = SharedDataDir("touchstone");
    if (dir.empty())
        GTEST_SKIP() << SharedDataMissing("touchstone");
    const TouchstoneData data = SharedTouchstone(dir, "TEC_SMT_IO_42GHz_Thru_B5B6_4in.s4p");
    ThroughPath::Result path;
    std::string error;
    ASSERT_TRUE(ThroughPath::Transfer(data, ThroughPath::Through12And34, {}, path, error)) << error;
    const std::optional<NonCausality> measured = NonCausality::Assess(data.Frequencies, path.Transfer, 78.125e-12 / 32,
                                                                      std::size_t{1} << 20, error);
    ASSERT_TRUE(measured) << error;
    EXPECT_LT(measured->Share, 1e-4);
    EXPECT_FALSE(measured->Flagged);
    EXPECT_FALSE(NonCausality::Assess({1e9}, {1.0}, Dt, 1024, error));
    EXPECT_FALSE(error.empty());
}
