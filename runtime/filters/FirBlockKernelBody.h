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

#include "runtime/filters/FirBlockKernel.h"

namespace TorvaneModelBuilder {
namespace FirBlockBody {

// Outputs of `Rows` vectors of consecutive samples, sharing every tap load.
// Of the last vector only the first `lastLanes` lanes are stored (all Width
// of them but at the end of a block); the others read past the block's last
// sample and are thrown away.
template <typename Ops, int Rows>
inline void ConvolveRows(const double* taps, std::size_t numTaps, const double* x, double* y,
                         std::size_t lastLanes)
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
    for (int r = 0; r + 1 < Rows; ++r)
        Ops::Store(y + r * Ops::Width, acc[r]);
    double* last = y + (Rows - 1) * Ops::Width;
    if (lastLanes == Ops::Width) {
        Ops::Store(last, acc[Rows - 1]);
        return;
    }
    double lanes[Ops::Width];
    Ops::Store(lanes, acc[Rows - 1]);
    for (std::size_t lane = 0; lane < lastLanes; ++lane)
        last[lane] = lanes[lane];
}

// ConvolveRows with `rows` (1 .. Rows) chosen at run time.
template <typename Ops, int Rows>
inline void ConvolveSomeRows(std::size_t rows, const double* taps, std::size_t numTaps,
                             const double* x, double* y, std::size_t lastLanes)
{
    if constexpr (Rows > 1) {
        if (rows < static_cast<std::size_t>(Rows)) {
            ConvolveSomeRows<Ops, Rows - 1>(rows, taps, numTaps, x, y, lastLanes);
            return;
        }
    }
    ConvolveRows<Ops, Rows>(taps, numTaps, x, y, lastLanes);
}

// Block convolution: `Rows` vectors at a time (enough independent sums to
// hide the latency of the additions), then what is left in one pass with as
// many vectors side by side as it fills, the last one perhaps partial. A
// short block thus costs one walk over the taps, not one per output.
template <typename Ops, int Rows>
void Convolve(const double* taps, std::size_t numTaps, const double* x, double* y,
              std::size_t count)
{
    static_assert(Ops::Width - 1 <= FirBlockOverread, "a partial vector reads past the block");
    constexpr std::size_t Wide = static_cast<std::size_t>(Rows) * Ops::Width;
    std::size_t i = 0;
    for (; i + Wide <= count; i += Wide)
        ConvolveRows<Ops, Rows>(taps, numTaps, x + i, y + i, Ops::Width);
    const std::size_t left = count - i;
    if (left == 0)
        return;
    const std::size_t rows = (left + Ops::Width - 1) / Ops::Width;
    ConvolveSomeRows<Ops, Rows>(rows, taps, numTaps, x + i, y + i, left - (rows - 1) * Ops::Width);
}

} // namespace FirBlockBody
} // namespace TorvaneModelBuilder
