#pragma once

#include <cstddef>
#include <random>
#include <vector>

// A random NRZ wave at the model's default of 32 samples a bit: each bit is
// +0.5 or -0.5 for 32 samples, drawn from a Mersenne Twister seeded with
// `seed`, so every benchmark run feeds the same signal.
inline std::vector<double> NrzWave(std::size_t n, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<double> wave(n);
    double level = 0.5;
    for (std::size_t i = 0; i < n; ++i) {
        if (i % 32 == 0)
            level = (random() & 1) ? 0.5 : -0.5;
        wave[i] = level;
    }
    return wave;
}
