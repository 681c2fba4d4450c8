#pragma once

#include <complex>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// How much of a transfer's impulse response lies before t = 0: the share
// of the energy sum h^2 in the second half of the period of the grid that
// CausalImpulse designs on (t < 0 there), which CausalImpulse drops.
// Measured data are never exactly causal; a share above Threshold means
// the taps leave out enough of the response to change the eye (a phase
// reference off, a de-embedding error, a delay removed from the data).
struct NonCausality {
    static constexpr double Threshold = 0.01;

    double Share = 0.0;    // 0 .. 1
    bool Flagged = false;  // Share > Threshold

    // For the transfer H (dimensionless) at `frequencies` (Hz), taps at
    // sampleInterval (s), at most maxTaps. Nothing, with the reason, for a
    // transfer CausalImpulse cannot use at all (too few points, a band
    // narrower than its grid); a mostly non-causal one is measured.
    static std::optional<NonCausality> Assess(const std::vector<double>& frequencies,
                                              const std::vector<std::complex<double>>& transfer,
                                              double sampleInterval, std::size_t maxTaps, std::string& error);
};
