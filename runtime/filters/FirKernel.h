#pragma once

#include <complex>
#include <cstddef>

namespace TorvaneModelBuilder {

// Arithmetic of the FIR sum, kept apart from the block that owns the ports.
//
//   y = sum over k = 0 .. count-1 of taps[k * tapStride] * x[n - k]
//
// evaluated as acc := taps[k * tapStride] * x[n - k] + acc for increasing k
// (newest sample first), starting from acc = +0.0: every product is rounded
// before it is added, and the order of the additions is part of the result.
// Nothing here reorders, splits or fuses the sum, so a caller that feeds the
// same terms in the same order gets the same bits (the build uses
// -ffp-contract=off, so no multiply-add is fused either).
//
// The history is a ring of `capacity` elements that the caller owns; the
// newest sample sits at storage index newestIndex and older samples at lower
// indices, wrapping once from index 0 to capacity - 1. FirDotRing splits that
// walk into its two contiguous runs so that the inner loop carries no index
// wrap. A SIMD path that computes several consecutive outputs side by side
// keeps each lane's additions in this same order, with FirMultiplyAdd per term.

// One term: tap * sample + acc, the product rounded first.
inline double FirMultiplyAdd(double tap, double sample, double acc)
{
    return tap * sample + acc;
}

// Complex term, written out so that no library routine (with its own
// infinity and NaN recovery) decides the rounding:
// (tr*xr - ti*xi + yr, tr*xi + ti*xr + yi), each left to right.
inline std::complex<double> FirMultiplyAdd(const std::complex<double>& tap,
                                           const std::complex<double>& sample,
                                           const std::complex<double>& acc)
{
    const double tr = tap.real(), ti = tap.imag();
    const double xr = sample.real(), xi = sample.imag();
    return {tr * xr - ti * xi + acc.real(), tr * xi + ti * xr + acc.imag()};
}

// Adds taps[k * tapStride] * newest[-k] for k = 0 .. count-1 to acc, in
// increasing k. `newest` points at the newest sample of one contiguous run;
// the run extends count - 1 elements below it.
template <typename T>
inline T FirAccumulateRun(T acc, const T* taps, std::size_t tapStride, const T* newest,
                          std::size_t count)
{
    if (tapStride == 1) {
        // The only case of the transmitter model; a unit stride lets the
        // compiler walk both arrays with plain pointer steps.
        for (std::size_t k = 0; k < count; ++k)
            acc = FirMultiplyAdd(taps[k], newest[-static_cast<std::ptrdiff_t>(k)], acc);
        return acc;
    }
    for (std::size_t k = 0; k < count; ++k)
        acc = FirMultiplyAdd(taps[k * tapStride], newest[-static_cast<std::ptrdiff_t>(k)], acc);
    return acc;
}

// The whole sum over a ring history: `count` terms (count <= capacity), the
// first at ring[newestIndex] (newestIndex < capacity), then backwards through
// storage with one wrap. Returns the sum started from +0.0.
template <typename T>
inline T FirDotRing(const T* taps, std::size_t tapStride, std::size_t count, const T* ring,
                    std::size_t capacity, std::size_t newestIndex)
{
    const std::size_t first = count < newestIndex + 1 ? count : newestIndex + 1;
    T acc = FirAccumulateRun(T(), taps, tapStride, ring + newestIndex, first);
    if (first < count)
        acc = FirAccumulateRun(acc, taps + first * tapStride, tapStride, ring + capacity - 1,
                               count - first);
    return acc;
}

} // namespace TorvaneModelBuilder
