#pragma once

#include <cstddef>
#include <vector>

// Eye height and width of a received NRZ wave whose transmitted symbols are
// known.
//
// Bit k is looked at in sample k * spb + d, where the latency d (samples,
// 0 .. maxLatency) is unknown: the chain's delay plus the sampling phase.
// For each d, over the bits k >= skipBits whose sample exists:
//   height(d) = min over ones of w[k spb + d] - max over zeros of w[k spb + d]
// The eye height is the largest height(d), at the best latency dBest (the
// first if several tie). The eye width is the span of latencies around
// dBest over which height stays above 0, with the crossings interpolated
// linearly between samples, in UI, at most 1. A closed eye (height <= 0) has
// width 0. The decision threshold is the midpoint of the two levels at dBest.
struct EyeResult {
    bool Valid = false;        // some bits of each symbol were measured
    double Height = 0.0;       // signal units; <= 0 when closed
    double Width = 0.0;        // UI
    double Threshold = 0.0;    // signal units
    std::size_t Latency = 0;   // dBest, samples
    std::size_t FirstBit = 0;  // skipBits
    std::size_t BitCount = 0;  // bits measured at dBest
};

class EyeAnalysis {
public:
    static EyeResult Measure(const std::vector<double>& wave, const std::vector<int>& bits, int samplesPerBit,
                             std::size_t skipBits, std::size_t maxLatency);

    // The search and the width above over heights already measured:
    // height[j] at latency j0 + j (-inf where not measured), the best among
    // j = from .. to (inside height). Latency is that j (the caller adds
    // j0), Height its height; Threshold, FirstBit and BitCount are the
    // caller's to fill. Valid when the best height is finite.
    static EyeResult FromHeights(const std::vector<double>& height, std::size_t from, std::size_t to,
                                 int samplesPerBit);

    // height(d) as defined above; -inf when no bit of one symbol is there.
    static double HeightAt(const std::vector<double>& wave, const std::vector<int>& bits, int samplesPerBit,
                           std::size_t skipBits, std::size_t latency, std::size_t* count = nullptr,
                           double* threshold = nullptr);
};
