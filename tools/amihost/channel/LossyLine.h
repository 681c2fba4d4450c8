#pragma once

#include <string>
#include <vector>

// The built-in channel: a lossy transmission line given by its loss at the
// Nyquist frequency fN = 1 / (2 * bit time), as taps at the sample interval.
//
// Loss in dB at frequency f (conductor loss grows with sqrt(f), dielectric
// loss with f; their shares at fN are fixed):
//   A(f) = L * (SkinShare * sqrt(f / fN) + (1 - SkinShare) * f / fN)
// |H(f)| = 10^(-A(f) / 20), and the phase is the minimum phase of that
// magnitude (the causal response with the least delay; the line's flat
// propagation delay is left out), obtained through the real cepstrum on an
// FFT grid of N >= 8 * MaxLength points. H(0) = 1, so the line passes DC.
//
// Taps: h[n], n = 0 .. K-1, dimensionless, y[n] = sum_k h[k] x[n - k]; K is
// the shortest length whose dropped tail holds less than 1e-4 of sum |h|, at
// most maxLength. The impulse response in 1/s (what AMI_Init receives) is
// h[n] / sample interval.
class LossyLine {
public:
    static constexpr double SkinShare = 0.3;

    // Designs the taps. False with the reason for a loss outside 0 .. 100 dB,
    // a bit time or sample interval that is not positive, a sample interval
    // of more than half a bit, or a maxLength outside 1 .. 2^20.
    static bool Design(double lossDb, double bitTime, double sampleInterval, std::size_t maxLength,
                       std::vector<double>& taps, std::string& error);

    // The loss in dB that `taps` (at `sampleInterval`) have at frequency f:
    // -20 log10 |sum_n h[n] exp(-2 pi i f n dt)|, summed directly.
    static double LossAt(const std::vector<double>& taps, double sampleInterval, double frequency);
};
