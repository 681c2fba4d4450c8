#include "tools/amihost/signal/Resampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

// The piecewise-linear signal through (time, values) at t.
double Linear(const std::vector<double>& time, const std::vector<double>& values, double t)
{
    std::size_t i = 1;
    while (i + 1 < time.size() && time[i] < t)
        ++i;
    const double u = (t - time[i - 1]) / (time[i] - time[i - 1]);
    return values[i - 1] + u * (values[i] - values[i - 1]);
}

// Reference: the mean over each clipped box by a midpoint sum of 20000 steps.
std::vector<double> NaiveBoxMeans(const std::vector<double>& time, const std::vector<double>& values, double dt)
{
    std::vector<double> out;
    for (double centre = time.front(); centre <= time.back(); centre += dt) {
        const double low = std::fmax(time.front(), centre - dt / 2);
        const double high = std::fmin(time.back(), centre + dt / 2);
        const int steps = 20000;
        double sum = 0.0;
        for (int s = 0; s < steps; ++s)
            sum += Linear(time, values, low + (s + 0.5) * (high - low) / steps);
        out.push_back(sum / steps);
    }
    return out;
}

} // namespace

TEST(Resampler, BoxMeansMatchANaiveIntegralForUnevenFinerAndCoarserFiles)
{
    std::mt19937 random(3);
    std::uniform_real_distribution<double> step(0.2, 1.8), level(-1.0, 1.0);
    for (double dt : {0.37, 1.0, 3.3}) {
        std::vector<double> time = {0.0}, values = {level(random)};
        while (time.size() < 60) {
            time.push_back(time.back() + step(random));
            values.push_back(level(random));
        }
        const std::vector<double> expected = NaiveBoxMeans(time, values, dt);
        const std::vector<double> actual = Resampler::ToGrid(time, values, dt);
        ASSERT_EQ(actual.size(), static_cast<std::size_t>(std::floor(time.back() / dt)) + 1) << dt;
        for (std::size_t k = 0; k < actual.size() && k < expected.size(); ++k)
            EXPECT_NEAR(actual[k], expected[k], 1e-6) << "dt " << dt << " sample " << k;
    }
}

TEST(Resampler, AnImpulseNarrowerThanTheGridKeepsItsArea)
{
    // A triangle 0.2 grid steps wide between two grid points: sampling at the
    // grid would miss it; the box means keep its area.
    const double dt = 1e-12;
    const std::vector<double> time = {0.0, 2.4e-12, 2.5e-12, 2.6e-12, 6e-12};
    const std::vector<double> values = {0.0, 0.0, 1e12, 0.0, 0.0};
    const std::vector<double> h = Resampler::ToGrid(time, values, dt);
    double area = 0.0;
    for (double x : h)
        area += x * dt;
    EXPECT_NEAR(area, 0.5 * 0.2e-12 * 1e12, 1e-12);
}

TEST(Resampler, TheGridToleratesSixSignificantDigitsButNotAnotherRate)
{
    const double dt = 78.125e-12 / 32;
    std::vector<double> rounded, other;
    for (int i = 0; i < 1000; ++i) {
        char text[32];
        std::snprintf(text, sizeof text, "%.6g", 1e-9 + i * dt);
        rounded.push_back(std::atof(text));
        other.push_back(1e-9 + i * dt * 1.01);
    }
    EXPECT_TRUE(Resampler::OnGrid(rounded, dt));
    EXPECT_FALSE(Resampler::OnGrid(other, dt));
    EXPECT_EQ(Resampler::ToGrid({1.0}, {4.0}, 0.5), (std::vector<double>{4.0}));
}
