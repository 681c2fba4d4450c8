#pragma once

#include <complex>
#include <vector>

// In-place discrete Fourier transform (kissfft underneath).
//
// Forward: X[k] = sum_n x[n] exp(-2 pi i k n / N); inverse: the same with
// +2 pi i and the result divided by N, so that Inverse(Forward(x)) == x up to
// rounding. N = data.size() must be a power of two (1 included); other sizes
// are refused with false and leave the data unchanged.
class Fft {
public:
    static bool Forward(std::vector<std::complex<double>>& data) { return Transform(data, false); }
    static bool Inverse(std::vector<std::complex<double>>& data) { return Transform(data, true); }

private:
    static bool Transform(std::vector<std::complex<double>>& data, bool inverse);
};
