#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/CircularBuffer.h"
#include "runtime/ConstUnTimed.h"
#include "runtime/DFModel.h"
#include "runtime/Fork.h"
#include "runtime/Gain.h"
#include "runtime/Mux.h"
#include "runtime/TypeConverter.h"
#include "runtime/filters/FirBlockKernel.h"
#include "runtime/filters/TimeResponseFIR.h"

// The transmitter's equalisation as a fixed dataflow graph. Per firing:
//   x = InputPort[0];  s = x * 1.1;  every Filters[j] convolves s with the taps
//   built from step response j;  OutputPort[0] = output of the filter that the
//   rounded de selects (FilterSelectedBy);  AuxOutputPort[0] = s.
// All 16 filters run every firing so that each history stays current.
//
// Caller's obligations: write BitTime, SamplesPerBit and de and attach at
// least one element of storage to each of the three ports before Setup; call
// Initialize only after a successful Setup; Finalize once at the end. The
// model never owns its ports' storage. It owns the 32 response copies handed
// to its filters and the 38 one-element link arrays.
//
// Whole waves: RunBlock filters n samples at once with the outputs that n
// Runs would give, bit for bit, whenever BlockPathApplies. Afterwards every
// member holds what the n Runs leave (the three ports, every link, the
// selector's control, the constant source's count) but two kinds, which
// nobody reads before they are brought up to date:
//   - the output links of the 15 filters that the selector does not pass on
//     (Filters[j].Output, LinkArrays[FilterOutputLink(j)]) keep older values.
//     Their sums would cost as much as the selected one; each Run writes all
//     16 before the selector reads any, the caller reads only the ports, and
//     Finalize frees them unread. Filters[j].NewestOutput() gives on demand
//     the value a Run would have left there (after CatchUpDelayLines).
//   - the 16 delay lines lag behind the window (below). All of them take the
//     same input, which the window already holds, so writing each call's
//     samples into 16 rings (15 of them never read by the block path) is
//     put off until something reads a ring: Run and Setup call
//     CatchUpDelayLines first, and Initialize and Finalize replace the rings.
// The caller chooses the instruction set (the kernel); the per-sample Run
// stays the reference.
//
// The block path keeps the filters' common input history in one piece, the
// window: the newest samples, oldest first (at least as many as the longest
// delay line holds), with room after them for a chunk, so that no call
// copies the history out of a ring (at 2047 taps that copy was about a
// seventh of a 32-sample call). Initialize makes it (zeros, as the delay
// lines); RunBlock appends each chunk and moves the history back to the start
// only when the room runs out. Run, Setup and Finalize mark it stale, and the
// next RunBlock reads it again from a delay line, so firings of either kind
// may follow each other in any order. The sub-blocks are the model's own: a
// caller who fires a filter directly must not call RunBlock before the next
// Initialize.
class Halvex_tx : public TorvaneModelBuilder::DFModel {
public:
    using DoubleBuffer = TorvaneModelBuilder::CircularBuffer<double>;
    using IntBuffer = TorvaneModelBuilder::CircularBuffer<int>;

    static constexpr int NumFilters = 16;
    static constexpr int NumLinks = 38;

    // Connection numbers: the index of each link's storage in LinkArrays.
    static constexpr int InputLink = 0;      // InputBridge -> InputGain
    static constexpr int OutputLink = 1;     // Selector -> OutputBridge
    static constexpr int AuxOutputLink = 2;  // Splitter output 16 -> AuxOutputBridge
    static constexpr int DeRoundLink = 19;   // DeRound -> SelectorControl, the one of int elements
    static constexpr int DeSourceLink = 20;  // DeSource -> DeRound
    static constexpr int GainLink = 21;      // InputGain -> Splitter
    // Filters[j] -> Selector input SelectorInputOf[j].
    static constexpr int FilterOutputLink(int j) { return 3 + j; }
    // Splitter output j -> Filters[j].
    static constexpr int FilterInputLink(int j) { return 22 + j; }

    DoubleBuffer InputPort;      // one input sample per Run, written by the caller
    DoubleBuffer OutputPort;     // one output sample per Run, read by the caller
    DoubleBuffer AuxOutputPort;  // 1.1 times the input, filled by every Run
    double BitTime = 7.8125e-11; // seconds
    double SamplesPerBit = 32.0; // always an integer value
    double de = 15.0;            // de-emphasis setting, 0..15 after rounding; read by Setup

    TorvaneModelBuilder::TimeResponseFIR Filters[NumFilters]; // Filters[j] from table entry j
    TorvaneModelBuilder::ScalarToScalar<DoubleBuffer, IntBuffer,
                                        TorvaneModelBuilder::TypeConverterRound>
        DeRound;                                        // de -> selector control
    TorvaneModelBuilder::Mux<DoubleBuffer> Selector;    // passes on one of 16 filters
    IntBuffer SelectorControl;                          // receives DeRound's output
    TorvaneModelBuilder::ConstUnTimed<double> DeSource; // emits de every firing
    TorvaneModelBuilder::Gain<double> InputGain;        // times 1.1
    TorvaneModelBuilder::Fork<DoubleBuffer> Splitter;   // scaled input to 17 places
    DoubleBuffer InputBridge;     // internal end of InputPort (InputLink)
    DoubleBuffer OutputBridge;    // internal end of OutputPort (OutputLink)
    DoubleBuffer AuxOutputBridge; // internal end of AuxOutputPort (AuxOutputLink)
    void* LinkArrays[NumLinks] = {}; // owned one-element connection storage, null when released

    // Selector input that filter j feeds: the rounded de that selects table
    // entry j. The one statement of the model's wiring.
    static constexpr int SelectorInputOf[NumFilters] = {0, 9, 10, 11, 12, 13, 14, 15,
                                                        1, 2, 3,  4,  5,  6,  7,  8};

    // The filter (and table entry) that selector input `input`, the rounded
    // de, passes on; -1 for an input outside 0 .. 15.
    static constexpr int FilterSelectedBy(int input)
    {
        for (int j = 0; j < NumFilters; ++j)
            if (SelectorInputOf[j] == input)
                return j;
        return -1;
    }

    // Samples per RunBlock chunk: the kernel's block, sized for the window.
    static constexpr std::size_t BlockChunk = 4096;

    Halvex_tx();
    ~Halvex_tx() override;
    Halvex_tx(const Halvex_tx&) = delete;
    Halvex_tx& operator=(const Halvex_tx&) = delete;

    bool Setup() override;
    bool Initialize() override;
    bool Run() override;
    bool Finalize() override;

    // True when RunBlock equals Run once per sample: every filter a plain
    // convolution with its delay line in place (so all 16 hold one common
    // history, fired together since Initialize), the links, ports and window
    // in place, the constant source past its delay and the rounded de a
    // valid selector input. Otherwise (an out-of-range de above all) the
    // caller fires Run per sample.
    bool BlockPathApplies() const;
    // Filters wave[0 .. n-1] in place as n Runs would (see above for the
    // output links it leaves unrealised), with `convolve` (the caller's
    // choice of instruction set). Call only when BlockPathApplies.
    void RunBlock(double* wave, std::size_t n, TorvaneModelBuilder::FirBlockConvolveFn convolve);
    // Brings the 16 delay lines to what the firings so far leave there, from
    // the window; nothing to do unless RunBlock ran since the last call.
    void CatchUpDelayLines();

private:
    // Runs `operation` on Filters[0..15], DeRound, Selector, DeSource,
    // InputGain and Splitter in this order, every one even after a failure,
    // and returns the AND of the results.
    bool EverySubBlock(bool (DFModel::*operation)());
    // A firing before the filters: the input inward, scaled, forked.
    bool FireInput();
    // A firing after the filters: de emitted and rounded, the selected
    // filter's output passed on, both outputs copied outward.
    bool FireSelection();
    void ReleaseLinks();
    void ReleaseResponses();
    // Frees the window and marks it stale.
    void ReleaseWindow();
    // The window's history read again from the delay line of a filter with
    // the most taps, placed at the window's start.
    void RefreshWindow();
    // The window's start for a chunk of m samples: where the history now
    // begins, or 0 after moving it there when the chunk would not fit.
    std::size_t WindowRoomFor(std::size_t m);

    double* window_ = nullptr;       // owned: windowHistory_ + 2 chunks + overread doubles
    std::size_t windowSize_ = 0;     // doubles in window_
    std::size_t windowHistory_ = 0;  // samples of history kept: the longest delay line's length
    std::size_t windowStart_ = 0;    // index of the oldest sample of that history
    int windowSource_ = 0;           // a filter with the most taps, whose delay line refreshes it
    bool windowCurrent_ = false;     // the history equals the delay lines' newest samples
    std::size_t linesBehind_ = 0;    // newest window samples that no delay line has taken in yet
};
