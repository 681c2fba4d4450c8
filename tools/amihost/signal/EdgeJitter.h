#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/amihost/signal/GaussianNoise.h"

// Transmitter jitter on an NRZ stimulus, applied in the time domain by
// moving its edges.
//
// The NRZ wave is the sum of its transitions: every bit k >= 1 that differs
// from bit k - 1 adds a step of +-swing (rising for a 1) at its nominal
// time k T. Jitter moves that step to k T + j_k T, with
//   j_k = RjUi g_k + SjUi sin(2 pi SjHz k T)      (UI)
// where g_k ~ N(0, 1) is drawn per transition, in order, from
// GaussianNoise(seed). Sample n of the wave stands for the interval
// [n dt, (n + 1) dt) and holds the mean of the continuous wave over it, so a
// step moved by a fraction of a sample moves the sample it lands in by that
// fraction of the step: the timing keeps any resolution (a lossy channel
// turns it into the right crossing time), and with no jitter the wave is
// the plain NRZ bit for bit. Steps that jitter makes cross simply add, as
// the superposition says (a runt, where a real driver would do much the
// same). Only the NRZ stimuli carry edges; a wave read from a file has none
// that amihost knows of.
//
// EdgeAt and AddEdge are that arithmetic, once: Apply runs them over a whole
// wave, StimulusStream over the pieces it fills.
struct EdgeJitter {
    double RjUi = 0.0;  // random jitter, rms, UI
    double SjUi = 0.0;  // sinusoidal jitter, amplitude (peak), UI
    double SjHz = 0.0;  // sinusoidal jitter frequency, Hz

    bool Any() const { return RjUi > 0.0 || SjUi > 0.0; }

    // Above any |g_k| that GaussianNoise gives: its polar method scales a
    // uniform pair (u, v), each a multiple of 2^-52, by sqrt(-2 ln s / s)
    // with s = u^2 + v^2 >= 2^-104, so |g| <= sqrt(-2 ln s) <= sqrt(208 ln 2)
    // = 12.007; 13 leaves room for rounding.
    static constexpr double MaxDraw = 13.0;

    // The most an edge moves, in UI: |j_k| <= SjUi + RjUi MaxDraw.
    double MaxShiftUi() const { return SjUi + RjUi * MaxDraw; }

    // One transition's step, in samples: at Nominal = k spb, moved to
    // Moved = (k + j_k) spb, of height Step (+swing rising, -swing
    // falling); it changes samples [First, End) only (clipped to the wave).
    struct Edge {
        double Nominal = 0.0;
        double Moved = 0.0;
        double Step = 0.0;
        std::size_t First = 0;
        std::size_t End = 0;
    };

    // The edge of a transition into `bit` at bit k >= 1 of a wave of `size`
    // samples; draws g_k from `random` when RjUi > 0 (so edges must be made
    // in bit order, one per transition, to follow the sequence).
    Edge EdgeAt(std::size_t k, int bit, int samplesPerBit, double bitTime, double swing, std::size_t size,
                GaussianNoise& random) const;

    // Adds `edge`'s change to the samples [from, to) that it reaches;
    // out[0] is sample `from` (out, borrowed, holds to - from samples).
    static void AddEdge(const Edge& edge, std::size_t from, std::size_t to, double* out);

    // Moves the edges of `wave`, the NRZ of `bits` at `samplesPerBit` with
    // the peak-to-peak `swing` (Stimulus::Nrz), in place; samples beyond
    // either end of the wave are left out.
    void Apply(const std::vector<int>& bits, int samplesPerBit, double bitTime, double swing, std::uint64_t seed,
               std::vector<double>& wave) const;

    // "RJ 0.01 UI rms, SJ 0.1 UI at 1e+08 Hz", the parts that are set.
    std::string Description() const;
};
