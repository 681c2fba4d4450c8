#pragma once

#include <cstddef>
#include <random>
#include <vector>

// n levels uniform on [-1, 1) from `random`: signals and responses for the
// convolution tests.
inline std::vector<double> Levels(std::size_t n, std::mt19937& random)
{
    std::uniform_real_distribution<double> level(-1.0, 1.0);
    std::vector<double> v(n);
    for (double& x : v)
        x = level(random);
    return v;
}
