#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tools/amihost/signal/GaussianNoise.h"

TEST(GaussianNoise, DrawsAreStandardNormalUpToTheirTails)
{
    GaussianNoise noise(7);
    const int n = 1000000;
    double sum = 0.0;
    double squares = 0.0;
    int beyond2 = 0;
    int beyond3 = 0;
    for (int i = 0; i < n; ++i) {
        const double x = noise.Next();
        sum += x;
        squares += x * x;
        beyond2 += std::fabs(x) > 2.0;
        beyond3 += std::fabs(x) > 3.0;
    }
    // Each figure within about four standard errors of its expectation.
    EXPECT_NEAR(sum / n, 0.0, 0.004);
    EXPECT_NEAR(squares / n, 1.0, 0.006);
    EXPECT_NEAR(beyond2 / double(n), 0.045500, 0.0009);
    EXPECT_NEAR(beyond3 / double(n), 0.0026998, 0.0002);
}

TEST(GaussianNoise, TheSeedAloneDecidesTheSequence)
{
    std::vector<double> a(1001, 1.0);
    std::vector<double> b(1001, 1.0);
    GaussianNoise::Add(a, 0.25, 42);
    GaussianNoise::Add(b, 0.25, 42);
    EXPECT_EQ(a, b);
    GaussianNoise reference(42);
    for (double v : a)
        EXPECT_EQ(v, 1.0 + 0.25 * reference.Next());
    std::vector<double> c(1001, 1.0);
    GaussianNoise::Add(c, 0.25, 43);
    EXPECT_NE(a, c);
}
