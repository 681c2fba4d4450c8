#pragma once

// The kernel bodies, written once over an operations type and compiled in one
// translation unit per instruction set, each with its own compiler flags.
// Every translation unit passes an Ops type of its own anonymous namespace, so
// instantiations for different instruction sets never merge at link time.
//
// Ops provides: type V of Width doubles; Zero(); Broadcast(double);
// Load(const double*) and Store(double*, V), both unaligned; Mul(V, V);
// Add(V, V); a lane set Mask with Lanes(lo, hi) (lanes lo .. hi-1),
// Select(Mask, V keep, V take) (take in the mask's lanes, keep elsewhere) and
// LoadLanes(p, s, lo, hi) (p[s + lane] in lanes lo .. hi-1, zero elsewhere,
// reading nothing else; s may be negative).
// Each lane's sum is acc := Mul(tap, sample) + acc, never fused.
//
// Layout of the work. A vector of W = Width consecutive outputs y[j .. j+W-1]
// is one row; lane l of a row holds y[j + l]. At step s every lane of the row
// takes one term, lane l the term of tap s + l:
//
//   acc[l] := taps[s + l] * x[j + l - (s + l)] + acc[l] = taps[s + l] * x[j - s] + acc[l]
//
// so the row needs the W taps taps[s .. s+W-1] (one contiguous load) and one
// sample, x[j - s], the same in every lane (one broadcast). Steps run
// s = -(W-1) .. numTaps-1, so lane l meets its taps 0, 1, ..., numTaps-1 in
// increasing order, as the serial sum does. A step where some lanes have no
// tap (the first and last W-1) takes the sum only in the lanes that have one,
// and loads only their taps.
//
// Why this way round: the rows of a group load each tap vector once and share
// it, and each row's sample is a scalar broadcast (folded into the multiply
// where the instruction set allows), which never splits across cache lines.
// Loading shifted sample vectors instead (a broadcast tap per step) costs a
// full-width unaligned load per row and step, seven in eight of them split
// across two lines with 512-bit vectors: that, not the arithmetic, bounds it.

#include <cstddef>

#include "runtime/filters/FirBlockKernel.h"

namespace TorvaneModelBuilder {
namespace FirBlockBody {

// One partial step s of every row: lanes lo .. hi-1 have a tap (s + lane in
// 0 .. numTaps-1) and take the sum, the others keep theirs. The taps of the
// other lanes are neither read nor used.
template <typename Ops, int Rows>
inline void EdgeStep(typename Ops::V (&acc)[Rows], const double* taps, std::ptrdiff_t numTaps,
                     std::ptrdiff_t s, const double* x)
{
    constexpr std::ptrdiff_t Width = static_cast<std::ptrdiff_t>(Ops::Width);
    const int lo = static_cast<int>(s < 0 ? -s : 0);
    const int hi = static_cast<int>(numTaps - s < Width ? numTaps - s : Width);
    const typename Ops::Mask lanes = Ops::Lanes(lo, hi);
    const typename Ops::V tap = Ops::LoadLanes(taps, s, lo, hi);
    const double* xs = x - s;
    for (int r = 0; r < Rows; ++r)
        acc[r] = Ops::Select(lanes, acc[r],
                             Ops::Add(Ops::Mul(tap, Ops::Broadcast(xs[r * Ops::Width])), acc[r]));
}

// `Rows` rows of consecutive outputs y[0 .. Rows*W-1], every tap vector
// loaded once for all of them. Of the last row only the first `lastLanes`
// lanes are stored (all W of them but at the end of a block); the others
// read past the block's last sample and are thrown away.
template <typename Ops, int Rows>
inline void ConvolveRows(const double* taps, std::ptrdiff_t numTaps, const double* x, double* y,
                         std::size_t lastLanes)
{
    using V = typename Ops::V;
    constexpr std::ptrdiff_t Width = static_cast<std::ptrdiff_t>(Ops::Width);
    V acc[Rows];
    for (int r = 0; r < Rows; ++r)
        acc[r] = Ops::Zero();
    // Full steps s = 0 .. fullEnd-1; before them W-1 partial ones, after
    // them the rest (all partial with fewer taps than lanes).
    const std::ptrdiff_t fullEnd = numTaps >= Width ? numTaps - Width + 1 : 0;
    for (std::ptrdiff_t s = numTaps > 0 ? 1 - Width : 0; s < 0; ++s)
        EdgeStep<Ops, Rows>(acc, taps, numTaps, s, x);
    for (std::ptrdiff_t s = 0; s < fullEnd; ++s) {
        const V tap = Ops::Load(taps + s);
        const double* xs = x - s;
        for (int r = 0; r < Rows; ++r)
            acc[r] = Ops::Add(Ops::Mul(tap, Ops::Broadcast(xs[r * Ops::Width])), acc[r]);
    }
    for (std::ptrdiff_t s = fullEnd; s < numTaps; ++s)
        EdgeStep<Ops, Rows>(acc, taps, numTaps, s, x);

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
inline void ConvolveSomeRows(std::size_t rows, const double* taps, std::ptrdiff_t numTaps,
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

// Block convolution in groups of at most `Rows` rows, each group one walk over
// the taps. `Rows` independent sums per lane cover the adders' latency times
// their count on the widest core the level meets; a group of fewer rows may
// wait on that latency, so the rows are shared out so that no group but a
// block's only one has fewer than Rows/2. The last row may be partial.
template <typename Ops, int Rows>
void Convolve(const double* taps, std::size_t numTaps, const double* x, double* y,
              std::size_t count)
{
    static_assert(Ops::Width - 1 <= FirBlockOverread, "a partial row reads past the block");
    constexpr std::size_t Width = Ops::Width;
    if (count == 1) {
        // One sum is one chain of dependent additions whatever the width; a
        // scalar chain has the shortest latency and no partial steps.
        double acc = 0.0;
        for (std::size_t k = 0; k < numTaps; ++k)
            acc = taps[k] * x[-static_cast<std::ptrdiff_t>(k)] + acc;
        y[0] = acc;
        return;
    }
    std::size_t rowsLeft = (count + Width - 1) / Width;
    std::size_t i = 0;
    while (rowsLeft > 0) {
        const std::size_t most = static_cast<std::size_t>(Rows);
        const std::size_t rows = rowsLeft <= most ? rowsLeft : rowsLeft < 2 * most ? rowsLeft / 2 : most;
        const std::size_t lastLanes = rows == rowsLeft ? count - i - (rows - 1) * Width : Width;
        ConvolveSomeRows<Ops, Rows>(rows, taps, static_cast<std::ptrdiff_t>(numTaps), x + i, y + i,
                                    lastLanes);
        i += rows * Width;
        rowsLeft -= rows;
    }
}

} // namespace FirBlockBody
} // namespace TorvaneModelBuilder
