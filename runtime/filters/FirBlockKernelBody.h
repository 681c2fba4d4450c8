#pragma once

// The kernel bodies, written once over an operations type and compiled in one
// translation unit per instruction set, each with its own compiler flags.
// Every translation unit passes an Ops type of its own anonymous namespace, so
// instantiations for different instruction sets never merge at link time.
//
// Ops provides: type V of Width doubles; Zero(); Broadcast(double);
// Load(const double*) and Store(double*, V), both unaligned; Mul(V, V);
// Add(V, V); a lane set Mask with Lanes(lo, hi) (lanes lo .. hi-1) and
// Select(Mask, V keep, V take) (take in the mask's lanes, keep elsewhere).
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
// from a zero-padded copy of the taps.
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

// The partial steps of one convolution, the same for every row: the W-1
// before the first full step (s < 0) and those after the last one, each with
// its tap vector (zeros where a lane has no tap) and the lanes that take it.
template <typename Ops>
struct EdgeSteps {
    static constexpr std::ptrdiff_t Width = static_cast<std::ptrdiff_t>(Ops::Width);
    static constexpr std::ptrdiff_t MaxSteps = 2 * (Width - 1) + 1;

    typename Ops::V Taps[MaxSteps] = {};
    typename Ops::Mask Lanes[MaxSteps] = {};
    std::ptrdiff_t Step[MaxSteps] = {};
    std::ptrdiff_t HeadCount = 0; // steps before the full ones
    std::ptrdiff_t Count = 0;     // all of them
    std::ptrdiff_t FullEnd = 0;   // full steps are s = 0 .. FullEnd-1

    EdgeSteps(const double* taps, std::ptrdiff_t numTaps)
    {
        FullEnd = numTaps >= Width ? numTaps - Width + 1 : 0;
        for (std::ptrdiff_t s = -(Width - 1); s < 0; ++s)
            Add(taps, numTaps, s);
        HeadCount = Count;
        for (std::ptrdiff_t s = FullEnd; s < numTaps; ++s)
            Add(taps, numTaps, s);
    }

private:
    void Add(const double* taps, std::ptrdiff_t numTaps, std::ptrdiff_t s)
    {
        const std::ptrdiff_t lo = s < 0 ? -s : 0;
        const std::ptrdiff_t hi = numTaps - s < Width ? numTaps - s : Width;
        if (lo >= hi)
            return; // no lane has a tap (only with no taps at all)
        double padded[Ops::Width];
        for (std::ptrdiff_t l = 0; l < Width; ++l)
            padded[l] = l >= lo && l < hi ? taps[s + l] : 0.0;
        Taps[Count] = Ops::Load(padded);
        Lanes[Count] = Ops::Lanes(static_cast<int>(lo), static_cast<int>(hi));
        Step[Count] = s;
        ++Count;
    }
};

// One partial step of every row: the sum taken only in the lanes that have a tap.
template <typename Ops, int Rows>
inline void EdgeStep(typename Ops::V (&acc)[Rows], const EdgeSteps<Ops>& edges, std::ptrdiff_t e,
                     const double* x)
{
    const typename Ops::V tap = edges.Taps[e];
    const double* xs = x - edges.Step[e];
    for (int r = 0; r < Rows; ++r)
        acc[r] = Ops::Select(edges.Lanes[e], acc[r],
                             Ops::Add(Ops::Mul(tap, Ops::Broadcast(xs[r * Ops::Width])), acc[r]));
}

// `Rows` rows of consecutive outputs y[0 .. Rows*W-1], every tap vector
// loaded once for all of them. Of the last row only the first `lastLanes`
// lanes are stored (all W of them but at the end of a block); the others
// read past the block's last sample and are thrown away.
template <typename Ops, int Rows>
inline void ConvolveRows(const double* taps, const EdgeSteps<Ops>& edges, const double* x,
                         double* y, std::size_t lastLanes)
{
    using V = typename Ops::V;
    V acc[Rows];
    for (int r = 0; r < Rows; ++r)
        acc[r] = Ops::Zero();
    for (std::ptrdiff_t e = 0; e < edges.HeadCount; ++e)
        EdgeStep<Ops, Rows>(acc, edges, e, x);
    for (std::ptrdiff_t s = 0; s < edges.FullEnd; ++s) {
        const V tap = Ops::Load(taps + s);
        const double* xs = x - s;
        for (int r = 0; r < Rows; ++r)
            acc[r] = Ops::Add(Ops::Mul(tap, Ops::Broadcast(xs[r * Ops::Width])), acc[r]);
    }
    for (std::ptrdiff_t e = edges.HeadCount; e < edges.Count; ++e)
        EdgeStep<Ops, Rows>(acc, edges, e, x);

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
inline void ConvolveSomeRows(std::size_t rows, const double* taps, const EdgeSteps<Ops>& edges,
                             const double* x, double* y, std::size_t lastLanes)
{
    if constexpr (Rows > 1) {
        if (rows < static_cast<std::size_t>(Rows)) {
            ConvolveSomeRows<Ops, Rows - 1>(rows, taps, edges, x, y, lastLanes);
            return;
        }
    }
    ConvolveRows<Ops, Rows>(taps, edges, x, y, lastLanes);
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
    const EdgeSteps<Ops> edges(taps, static_cast<std::ptrdiff_t>(numTaps));
    std::size_t rowsLeft = (count + Width - 1) / Width;
    std::size_t i = 0;
    while (rowsLeft > 0) {
        const std::size_t most = static_cast<std::size_t>(Rows);
        const std::size_t rows = rowsLeft <= most ? rowsLeft : rowsLeft < 2 * most ? rowsLeft / 2 : most;
        const std::size_t lastLanes = rows == rowsLeft ? count - i - (rows - 1) * Width : Width;
        ConvolveSomeRows<Ops, Rows>(rows, taps, edges, x + i, y + i, lastLanes);
        i += rows * Width;
        rowsLeft -= rows;
    }
}

} // namespace FirBlockBody
} // namespace TorvaneModelBuilder
