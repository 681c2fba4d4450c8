#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "tests/amihost/signal/RandomLevels.h"
#include "tools/amihost/signal/Convolution.h"

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
