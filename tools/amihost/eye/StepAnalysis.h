#pragma once

#include <cstddef>
#include <vector>

// Figures of a unit step response s[n] (the input steps from 0 to 1 at
// sample `edge`), normalised by its final value G = s.back(): u = s / G.
//
// De-emphasis, in dB: a transmitter that sends a long run of equal bits and
// then a transition produces, for a linear model, a transition bit whose
// level (from the signal's midline) is 2 u(t1) - 1 times the steady level
// after several equal bits, where t1 is half a UI after the first time u
// reaches 1/2 (the middle of the first bit after the edge, times
// interpolated linearly between samples). So
//   DeemphasisDb = 20 log10(2 u(t1) - 1),
// 0 dB for a plain step, about 20 log10(3) for a transition three times the
// steady level. NaN when G is 0 or not finite, u never reaches 1/2, t1 lies
// past the data, or 2 u(t1) - 1 <= 0.
class StepAnalysis {
public:
    static double DeemphasisDb(const std::vector<double>& step, std::size_t edge, int samplesPerBit);

    // Pulse response of one UI: p[n] = s[n] - s[n - samplesPerBit] (s[n] = 0
    // before the data), exact for a linear chain.
    static std::vector<double> PulseFromStep(const std::vector<double>& step, int samplesPerBit);

    // Whole bits from the edge until u stays within `tolerance` of 1 (at
    // least 1); the memory of the chain as seen from its input.
    static std::size_t SettleBits(const std::vector<double>& step, std::size_t edge, int samplesPerBit,
                                  double tolerance);
};
