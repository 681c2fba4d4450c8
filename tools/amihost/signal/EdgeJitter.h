#pragma once

#include <cstdint>
#include <string>
#include <vector>

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
struct EdgeJitter {
    double RjUi = 0.0;  // random jitter, rms, UI
    double SjUi = 0.0;  // sinusoidal jitter, amplitude (peak), UI
    double SjHz = 0.0;  // sinusoidal jitter frequency, Hz

    bool Any() const { return RjUi > 0.0 || SjUi > 0.0; }

    // Moves the edges of `wave`, the NRZ of `bits` at `samplesPerBit` with
    // the peak-to-peak `swing` (Stimulus::Nrz), in place; samples beyond
    // either end of the wave are left out.
    void Apply(const std::vector<int>& bits, int samplesPerBit, double bitTime, double swing, std::uint64_t seed,
               std::vector<double>& wave) const;

    // "RJ 0.01 UI rms, SJ 0.1 UI at 1e+08 Hz", the parts that are set.
    std::string Description() const;
};
