#pragma once

#include <cstddef>

namespace TorvaneModelBuilder {

// Elements past a block that a kernel may read (one vector of 8 lanes less one).
constexpr std::size_t FirBlockOverread = 7;

// Block convolution for a FIR with one input and one output per firing,
// computing many consecutive outputs at once with SIMD lanes, one lane per
// output sample:
//
//   y[i] = sum over k = 0 .. numTaps-1 of taps[k] * x[i - k],  i = 0 .. count-1
//
// Every y[i] is accumulated as acc := taps[k] * x[i - k] + acc for increasing
// k from acc = +0.0, the product rounded before the addition: the same terms in
// the same order as the per-sample FIR, so the same bits. Lanes never combine
// with each other, and the build never fuses a multiply with an add.
//
// `x` points at the first new sample; x[-1] .. x[-(numTaps-1)] must be readable
// history (oldest lowest), and so must x[count] .. x[count + FirBlockOverread
// - 1]: a block that ends inside a vector computes that vector's other lanes
// from them and throws those lanes away (y[count] and on are never written).
// `taps`, `x` and `y` belong to the caller; y must not overlap x.
using FirBlockConvolveFn = void (*)(const double* taps, std::size_t numTaps, const double* x,
                                    double* y, std::size_t count);

// Instruction sets the kernels are built for, weakest first.
enum class SimdLevel { Portable, Sse2, Avx2, Avx512 };

struct FirBlockKernels {
    SimdLevel Level;
    const char* Name;            // "portable", "SSE2", "AVX2", "AVX-512"
    FirBlockConvolveFn Convolve; // block convolution
};

// The strongest level that this processor (and its operating system) runs.
SimdLevel BestSimdLevel();

// The kernels of `level`, or null when this build or this processor lacks it.
const FirBlockKernels* FirBlockKernelsFor(SimdLevel level);

} // namespace TorvaneModelBuilder
