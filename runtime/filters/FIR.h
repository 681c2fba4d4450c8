#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/CircularBuffer.h"
#include "runtime/DFModel.h"

namespace TorvaneModelBuilder {

// Multirate FIR block in direct polyphase form.
//
// Each firing takes D = Decimation samples from Input (offset 0 is the oldest)
// and writes I = Interpolation samples to Output (offsets 0 .. I-1). The
// output stream is the input with I-1 zeros inserted after every sample,
// convolved with Taps and kept at every D-th sample from DecimationPhase on;
// the zero-stuffed stream is never formed. For the output of phase a that
// belongs to input sample x[n]:
//
//   y = sum over k = 0 .. P-1 of Taps[a + k*I] * x[n - k],  P = ceil(NumTaps / I)
//
// with terms whose tap index reaches NumTaps left out, x before the first
// sample after Initialize taken as 0, each product rounded before it is added
// and the terms added in increasing k onto +0.0 (FirKernel.h). With
// D = I = 1 and phase 0 this is the plain convolution
// y[n] = Taps[0]*x[n] + Taps[1]*x[n-1] + ... + Taps[N-1]*x[n-N+1].
//
// Valid ranges, checked by Setup: NumTaps >= 1, Decimation >= 1,
// 0 <= DecimationPhase < Decimation, Interpolation >= 1.
//
// Delay line: a ring of exactly L = floor(NumTaps / I) + D + 1 elements
// (DelayLine.MaxSize after Setup, DelayLine.Capacity after Initialize). Run
// stores the D new samples at logical offsets L-D .. L-1, reads the history
// backwards from there in at most two contiguous runs, then moves Position
// forward by D. So after a Run the newest sample sits at logical offset
// L-D-1 (L-2 for D = I = 1), the one before it at L-D-2, and so on; the
// history is never shifted. Offsets read are never below 1.
//
// Ownership: the block owns DelayStorage (made by Initialize, freed by
// Finalize or the destructor). Taps belong to whoever set them. The storage
// behind Input and Output belongs to the owner of the graph, who attaches it
// before the first Run and moves the ports' positions between firings.
//
// Lifecycle: Setup, Initialize, Run..., Finalize; Initialize again restarts
// from a zero history. Run before Initialize, after Finalize, or after a
// Setup that changed the sizes without a new Initialize is the caller's
// fault and is not detected.
//
// Whole blocks: a plain convolution (D = I = 1, phase 0; IsPlainConvolution)
// can also take n samples at once. FilterBlock gives the n outputs that n
// firings would write and PushBlock only their history (PushNewest from the
// newest samples alone); each leaves the delay line exactly as the n firings
// would. The outputs are the same sums in the same order, so the same bits,
// whichever kernel computes them (FirBlockKernel.h). Neither touches Input or Output: the owner decides
// what the ports hold. NewestOutput is what the last firing wrote, or would
// have written, to Output[0].
//
// `mode` selects nothing; the three instantiations FIR<double,0>,
// FIR<double,1> and FIR<std::complex<double>,0> are compiled in FIR.cpp.
template <typename T, int mode>
class FIR : public DFModel {
public:
    CircularBuffer<T> Input;      // D samples per firing, oldest at offset 0
    CircularBuffer<T> Output;     // I samples per firing at offsets 0 .. I-1
    CircularBuffer<T> DelayLine;  // ring view of DelayStorage, L elements
    T* DelayStorage = nullptr;    // owned backing array of DelayLine; null when not held
    T* Taps = nullptr;            // NumTaps coefficients, not owned; Taps[0] multiplies the newest sample
    std::int32_t NumTaps = 0;         // elements in Taps
    std::int32_t Decimation = 1;      // D: input samples consumed per firing
    std::int32_t DecimationPhase = 0; // which of the D phases of the filtered stream is kept
    std::int32_t Interpolation = 1;   // I: output samples written per firing
    std::int32_t TapsPerPhase = 0;    // P = ceil(NumTaps / I), set by Setup

    FIR() = default;
    // The block owns DelayStorage through a plain pointer; a copy would free it twice.
    FIR(const FIR&) = delete;
    FIR& operator=(const FIR&) = delete;

    // Checks the members (every message of the first four checks is written,
    // in order; Interpolation < 1 stops at once) and sizes the ports and the
    // delay line. A failure changes no buffer and no derived member.
    bool Setup() override;
    // Replaces DelayStorage by L zeros and attaches it with Position 0.
    bool Initialize() override;
    // One firing: D loads, I sums of at most P terms, no allocation.
    bool Run() override;
    // Frees DelayStorage and detaches the delay line.
    bool Finalize() override;
    ~FIR() override;

    // The block convolution a caller chooses for FilterBlock: y[i] for
    // i = 0 .. count-1 from x[i], x[i-1], ... (FirBlockConvolveFn for double).
    using BlockConvolveFn = void (*)(const T* taps, std::size_t numTaps, const T* x, T* y,
                                     std::size_t count);

    // True when the block operations equal firings: D = I = 1, phase 0, taps
    // set, and the delay line that Initialize made still in place.
    // Inline: the model asks it of 16 filters on every call of a wave.
    bool IsPlainConvolution() const
    {
        // L = NumTaps / I + D + 1 = NumTaps + 2 for a plain convolution.
        return Decimation == 1 && Interpolation == 1 && DecimationPhase == 0 && NumTaps >= 1 &&
               TapsPerPhase == NumTaps && Taps != nullptr && DelayStorage != nullptr &&
               DelayLine.Data == DelayStorage &&
               DelayLine.Capacity == static_cast<std::size_t>(NumTaps) + 2 &&
               DelayLine.Size == 1 && DelayLine.Position < DelayLine.Capacity;
    }
    // Elements of scratch that FilterBlock needs for blocks of up to `count`
    // samples: the history, the block and what a kernel may read past it
    // (FirBlockOverread).
    std::size_t BlockScratchSize(std::size_t count) const;
    // n firings fed in[0 .. n-1]: out[i] is what firing i writes to Output[0].
    // `scratch` holds BlockScratchSize(n) elements and overlaps neither in
    // nor out; out may be in. Needs IsPlainConvolution().
    void FilterBlock(const T* in, T* out, std::size_t n, BlockConvolveFn convolve, T* scratch);
    // FilterBlock over a history that the caller keeps in one piece: x[-1],
    // x[-2], ... x[-(NumTaps-1)] are the newest NumTaps - 1 samples of the
    // delay line (what the firings so far leave there), x[0 .. n-1] the new
    // ones, and x[n .. n + FirBlockOverread - 1] readable. No copy of the
    // history is made. out overlaps nothing of x. Needs IsPlainConvolution().
    void FilterHistory(const T* x, T* out, std::size_t n, BlockConvolveFn convolve);
    // FilterHistory's outputs alone: the delay line is left as it is, for a
    // caller that keeps the history itself and brings the line up later
    // (PushNewest).
    void ConvolveHistory(const T* x, T* out, std::size_t n, BlockConvolveFn convolve) const;
    // The delay line as n firings fed in[0 .. n-1] leave it, without their
    // outputs. Needs IsPlainConvolution().
    void PushBlock(const T* in, std::size_t n);
    // PushBlock for n firings of which only the newest are at hand: `end`
    // points one past the newest sample, and the min(n, L) samples before it
    // are readable (L = DelayLine.Capacity). The older ones would be
    // overwritten anyway. Needs IsPlainConvolution().
    void PushNewest(const T* end, std::size_t n);
    // The sum a firing writes to Output[0], over the newest NumTaps samples of
    // the delay line. Needs IsPlainConvolution().
    T NewestOutput() const;
};

} // namespace TorvaneModelBuilder
