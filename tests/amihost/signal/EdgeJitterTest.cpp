#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tools/amihost/signal/EdgeJitter.h"
#include "tools/amihost/signal/Prbs.h"
#include "tools/amihost/signal/Stimulus.h"

namespace {

constexpr int Spb = 8;
constexpr double BitTime = 1e-10;

// Where each transition's step lies, in samples, recovered from the wave by
// its area: over a window [a, b) that holds only that step, from level L0
// to L1, sum (w[n] - L0) = (L1 - L0) (b - e). The window is half a UI on
// either side of the nominal edge. The displacement e - k Spb per
// transition, in UI.
std::vector<double> EdgeShifts(const std::vector<int>& bits, const std::vector<double>& wave)
{
    std::vector<double> shifts;
    for (std::size_t k = 1; k + 1 < bits.size(); ++k) {
        if (bits[k] == bits[k - 1])
            continue;
        const double before = bits[k - 1] ? 0.5 : -0.5;
        const double after = bits[k] ? 0.5 : -0.5;
        const std::size_t a = k * Spb - Spb / 2;
        const std::size_t b = k * Spb + Spb / 2;
        double area = 0.0;
        for (std::size_t n = a; n < b; ++n)
            area += (wave[n] - before) / (after - before);
        shifts.push_back((static_cast<double>(b) - area - static_cast<double>(k * Spb)) / Spb);
    }
    return shifts;
}

} // namespace

TEST(EdgeJitter, SinusoidalJitterMovesEachEdgeByTheSineAtItsTime)
{
    const std::vector<int> bits = Prbs(7).Take(600);
    std::vector<double> wave = Stimulus::Nrz(bits, Spb, 1.0);
    EdgeJitter jitter;
    jitter.SjUi = 0.3;
    jitter.SjHz = 1.0 / (37.0 * BitTime);
    jitter.Apply(bits, Spb, BitTime, 1.0, 1, wave);
    const std::vector<double> shifts = EdgeShifts(bits, wave);
    std::size_t t = 0;
    for (std::size_t k = 1; k + 1 < bits.size(); ++k) {
        if (bits[k] != bits[k - 1]) {
            EXPECT_NEAR(shifts[t++], 0.3 * std::sin(2.0 * M_PI * k / 37.0), 1e-12) << k;
        }
    }
    // Levels between edges stay where they were.
    const std::vector<double> clean = Stimulus::Nrz(bits, Spb, 1.0);
    for (std::size_t k = 1; k < bits.size(); ++k)
        EXPECT_EQ(wave[k * Spb - Spb / 2], clean[k * Spb - Spb / 2]);
}

TEST(EdgeJitter, RandomJitterSpreadsEdgesByItsRmsAroundTheirPlace)
{
    const std::vector<int> bits = Prbs(15).Take(32767);
    std::vector<double> wave = Stimulus::Nrz(bits, Spb, 1.0);
    EdgeJitter jitter;
    jitter.RjUi = 0.05;
    jitter.Apply(bits, Spb, BitTime, 1.0, 5, wave);
    double sum = 0.0;
    double squares = 0.0;
    const std::vector<double> shifts = EdgeShifts(bits, wave);
    for (double s : shifts) {
        sum += s;
        squares += s * s;
    }
    const double n = static_cast<double>(shifts.size());
    // About 16000 edges: within four standard errors.
    EXPECT_NEAR(sum / n, 0.0, 0.0016);
    EXPECT_NEAR(std::sqrt(squares / n), 0.05, 0.0012);
}

TEST(EdgeJitter, EdgesMovedPastEitherEndOfTheWaveStayInside)
{
    // Transitions at the first and the last bit, moved by up to many UI.
    const std::vector<int> bits = {0, 1, 0, 1, 1, 0, 1};
    for (std::uint64_t seed = 0; seed < 200; ++seed) {
        std::vector<double> wave = Stimulus::Nrz(bits, 2, 2.0);
        EdgeJitter jitter;
        jitter.RjUi = 0.2;
        jitter.SjUi = 1.0;
        jitter.SjHz = 0.5 / BitTime;
        jitter.Apply(bits, 2, BitTime, 2.0, seed, wave);
        ASSERT_EQ(wave.size(), bits.size() * 2);
        for (double v : wave)
            EXPECT_TRUE(std::isfinite(v));
    }
    EXPECT_EQ(EdgeJitter().Description(), "");
}
