#pragma once

#include <cstdint>
#include <random>
#include <vector>

// Seeded standard normal numbers that come out the same with every compiler
// and C++ library: the 64-bit Mersenne twister (std::mt19937_64, whose
// output sequence the C++ standard fixes), a uniform double on [-1, 1) from
// the top 53 bits of each output, and pairs of N(0, 1) numbers by
// Marsaglia's polar method (std::normal_distribution is not used: its
// algorithm is each library's own). The polar method needs only sqrt and
// log, so a sequence is the same wherever log rounds alike (Windows' C
// library differs from glibc in the last bit of a few).
class GaussianNoise {
public:
    explicit GaussianNoise(std::uint64_t seed);

    // The next N(0, 1) number.
    double Next();

    // wave[i] += rms * Next(), i = 0 .. size - 1, from a generator seeded
    // with `seed`: the receiver-referred noise of a simulation.
    static void Add(std::vector<double>& wave, double rms, std::uint64_t seed);

private:
    std::mt19937_64 engine_;
    double spare_ = 0.0;      // the second number of the last pair
    bool hasSpare_ = false;   // spare_ is still to be returned
};
