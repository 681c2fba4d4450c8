#pragma once

// The kernel bodies, written once over an operations type and compiled in one
// translation unit per instruction set, each with its own compiler flags.
// Every translation unit passes an Ops type of its own anonymous namespace, so
// instantiations for different instruction sets never merge at link time.
//
// Ops provides: type V of Width doubles; Zero(); Broadcast(double);
// Load(const double*) and Store(double*, V), both unaligned; Mul(V, V);
// Add(V, V). Each lane's sum is acc := Mul(tap, sample) + acc, never fused.

#include <cstddef>

#include "runtime/filters/FirKernel.h"

namespace TorvaneModelBuilder {
namespace FirBlockBody {

// Outputs of `Rows` vectors of consecutive samples, sharing every tap load.
template <typename Ops, int Rows>
inline void ConvolveRows(const double* taps, std::size_t numTaps, const double* x, double* y)
{
    using V = typename Ops::V;
    V acc[Rows];
    for (int r = 0; r < Rows; ++r)
        acc[r] = Ops::Zero();
    for (std::size_t k = 0; k < numTaps; ++k) {
        const V tap = Ops::Broadcast(taps[k]);
        const double* xk = x - k;
        for (int r = 0; r < Rows; ++r)
            acc[r] = Ops::Add(Ops::Mul(tap, Ops::Load(xk + r * Ops::Width)), acc[r]);
    }
    for (int r = 0; r < Rows; ++r)
        Ops::Store(y + r * Ops::Width, acc[r]);
}

// Block convolution: `Rows` vectors at a time (enough independent sums to
// hide the latency of the additions), then single vectors, then single
// samples for what is left.
template <typename Ops, int Rows>
void Convolve(const double* taps, std::size_t numTaps, const double* x, double* y,
              std::size_t count)
{
    constexpr std::size_t Wide = static_cast<std::size_t>(Rows) * Ops::Width;
    std::size_t i = 0;
    for (; i + Wide <= count; i += Wide)
        ConvolveRows<Ops, Rows>(taps, numTaps, x + i, y + i);
    for (; i + Ops::Width <= count; i += Ops::Width)
        ConvolveRows<Ops, 1>(taps, numTaps, x + i, y + i);
    for (; i < count; ++i)
        y[i] = FirAccumulateRun(0.0, taps, 1, x + i, numTaps);
}

} // namespace FirBlockBody
} // namespace TorvaneModelBuilder
