#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "tools/amihost/signal/Fft.h"

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
