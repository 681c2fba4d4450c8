#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "tools/amihost/signal/StreamConvolver.h"

// Causal convolution of a finite signal with a finite response, as a channel
// acts on a wave that starts from rest:
//   y[i] = sum_{k=0}^{min(i, m-1)} h[k] * x[i-k],   i = 0 .. n-1,
// summed in ascending k for responses of up to 256 values, and through FFT
// overlap-add (equal up to rounding, relative error near 1e-15 of the
// largest partial sums) for longer ones. x and y hold n values, h holds m;
// all are the caller's, and y must not overlap x or h. The whole wave in one
// piece through StreamConvolver, which holds the arithmetic.
inline void ConvolveCausal(const double* x, std::size_t n, const double* h, std::size_t m, double* y)
{
    if (n == 0)
        return;
    std::copy(x, x + n, y);
    StreamConvolver convolver(std::vector<double>(h, h + m));
    convolver.Process(y, n);
}
