#pragma once

#include <complex>
#include <cstddef>
#include <string>
#include <vector>

// The causal impulse response, as taps at the sample interval dt, of a
// transfer function H known at M >= 2 frequencies f_m (Hz, increasing, not
// necessarily uniform, not necessarily from DC, possibly ending below or
// beyond the Nyquist frequency 1 / (2 dt)).
//
// 1. Magnitude and phase. The phase is unwrapped along the data (steps of
//    at most pi between neighbours), then shifted by a whole number of
//    turns so that its extrapolation to DC lands nearest to 0 or pi.
// 2. DC. H(0) of a real response is real: where the data do not start at
//    0, it is taken from the lowest points, those up to DcFitSpan f_0 (at
//    least DcFitMinPoints of them): the magnitude from the least-squares
//    parabola |H| = c0 + c1 f + c2 f^2 through them (a line through two
//    points; the parabola keeps the curvature of a line's loss), c0 held in 0 ..
//    passiveGain, the most a passive network can pass; the unwrapped phase
//    from the least-squares line through them (their mean group delay),
//    whose value at f = 0 picks 0 or pi and so the sign of H(0). Between 0
//    and f_0 both are interpolated.
// 3. The uniform grid f_k = k / (N dt), k = 0 .. N/2, N a power of two
//    (GridLength): magnitude and unwrapped phase interpolated linearly
//    between the points, which keeps a delay's linear phase exact where
//    real and imaginary parts, turning quickly, would not be.
// 4. Band edge. Above fTop = min(f_{M-1}, 1 / (2 dt)) nothing is known (or
//    representable): H is 0 there. A hard cut would ring (a sinc in time,
//    seen as pre- and post-cursor ripple), so a raised-cosine taper
//    w(f) = (1 + cos(pi (f - fa) / (fTop - fa))) / 2 takes H from its value
//    at fa = (1 - TaperShare) fTop down to 0 at fTop.
// 5. Time: h[n] = (1/N) sum_k H_k exp(2 pi i k n / N) over the Hermitian
//    extension (real h), n = 0 .. N-1; these are the taps, dimensionless
//    (y[n] = sum h[k] x[n-k]; h(t) in 1/s is h[n] / dt).
// 6. Causality. The second half of the period, n >= N/2, is t < 0: what a
//    band limit, a window, the interpolation between the points or a
//    measurement's own non-causality put before the response. It is
//    dropped, which leaves the nearest causal response in the least-squares
//    sense, except that the sum of its last SmearPeriods / (fTop dt)
//    samples is added to the first tap: there the band limit smears an edge
//    at t = 0 (an RC's) to both sides, and t = 0 is the nearest causal
//    instant, so such a response keeps its area. The dropped share of the
//    energy sum h^2 is reported, and a response whose energy lies mostly
//    before t = 0 (above MaxNonCausalShare) is refused. The taps end after
//    the last one whose tail still holds TailShare of sum |h|, at most
//    maxTaps.
//
// The grid's period N dt is at least twice 1 / (mean data spacing), the
// longest response that the data resolve, so that a causal response does
// not wrap into the negative half; N lies in 64 .. 2 max(maxTaps, 32).
class CausalImpulse {
public:
    static constexpr double TaperShare = 0.2;
    static constexpr double TailShare = 1e-4;
    static constexpr double MaxNonCausalShare = 0.5;
    static constexpr double SmearPeriods = 4.0; // of the band edge, folded back to t = 0
    static constexpr double MaxGain = 1e6; // |H| above this is not a channel's
    static constexpr double DcFitSpan = 3.0;          // the DC fit's points: f_0 .. 3 f_0
    static constexpr std::size_t DcFitMinPoints = 5;  // or the lowest 5, if more

    struct Report {
        double DcGain = 0.0;         // H(0), extrapolated where the data do not start at DC
        double BandEdge = 0.0;       // fTop, Hz
        double NonCausalShare = 0.0; // energy share dropped at t < 0
        double Folded = 0.0;         // sum of the smear before t = 0, added to the first tap
        std::size_t GridLength = 0;  // N
    };

    // N for these frequencies, sample interval and tap limit (>= 32).
    static std::size_t GridLength(const std::vector<double>& frequencies, double sampleInterval,
                                  std::size_t maxTaps);

    // Steps 1 to 4: H_k for k = 0 .. N/2. False with the reason for data
    // that are not usable (see Design).
    static bool Spectrum(const std::vector<double>& frequencies, const std::vector<std::complex<double>>& response,
                         double sampleInterval, std::size_t gridLength, std::vector<std::complex<double>>& bins,
                         Report& report, std::string& error, double passiveGain = 1.0);

    // `passiveGain` (default 1: |S21| <= 1) bounds the extrapolated |H(0)|;
    // a terminated path's is sqrt(RL / Rs), its available-power limit.

    // Step 5: the N real samples of the inverse transform of `bins` (N/2 + 1
    // values, N a power of two).
    static std::vector<double> TimeResponse(const std::vector<std::complex<double>>& bins);

    // Every step. False with the reason for fewer than 2 frequencies or a
    // different count of values, frequencies that are not finite, >= 0 and
    // increasing, a first frequency at or above 1 / (2 dt), a value that is
    // not finite or above MaxGain, a transfer that is 0 everywhere, a grid
    // length that is not a power of two in 4 .. 2^24, a band narrower than
    // two grid steps (a response longer than N/2), or a response that is
    // mostly non-causal.
    static bool Design(const std::vector<double>& frequencies, const std::vector<std::complex<double>>& response,
                       double sampleInterval, std::size_t gridLength, std::size_t maxTaps,
                       std::vector<double>& taps, Report& report, std::string& error,
                       double passiveGain = 1.0);
};
