#pragma once

#include <cstddef>

// Deconvolution of a causal response, as a host needs it to exchange one
// stage of an impulse response that a model returned for another: given x
// and y = x (*) r (both n values, y cut to n as AMI_Init returns it) and a
// third response c (m values), the n values of z = c (*) r are found on an
// FFT grid of M >= 2 max(n, m) points (a power of two) with Tikhonov
// regularisation, in one step:
//   Z(k) = Y(k) C(k) conj(X(k)) / (|X(k)|^2 + (epsilon max_k |X(k)|)^2),
//   z[i] = IDFT(Z)[i],   i = 0 .. n-1.
// c = {1} gives r itself. Where |X| stands well above epsilon max|X|,
// Z = Y C / X up to rounding; where X nearly vanishes, r cannot be seen
// through x and Z falls towards 0 instead of growing without bound.
// One step matters when x = c (*) t holds c: C conj(X) / |X|^2 = 1 / T, so
// the deep dips of c (a truncated line has them, 1e-8 of its peak and
// less) cancel rather than magnify the rounding of y, which dividing first
// and cutting r to n values before convolving would not let them do. The
// result is exact (up to rounding) when x (*) r has died out within the n
// samples, which is why the caller hands the model an impulse with room to
// spare. All arrays are the caller's; z must not overlap the others. n = 0
// does nothing; an x of zeros gives z = 0.
void DeconvolveCausal(const double* y, const double* x, std::size_t n, const double* c, std::size_t m,
                      double epsilon, double* z);
