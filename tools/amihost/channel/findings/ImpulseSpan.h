#pragma once

#include <optional>
#include <vector>

// Where a channel's impulse response arrives and how long it lasts, from
// its taps h[n] at the sample interval dt (tap n at time n dt).
//
// Delay: the time at which the step response s[n] = sum_{k <= n} h[k]
// first reaches half of its final value s[N-1], interpolated linearly
// between samples; the sampled step's input rises between samples -1 and
// 0, so the crossing at fractional sample x is the time (x + 1/2) dt. For
// a pure delay tau this is tau; for a lossy line, its 50 % step delay.
// Start and End: the times of the first and the last tap of the shortest
// run from the left and right ends holding all but EnergyShare of the
// energy E = sum h^2: the energy before Start is below EnergyShare E / 2,
// as is the energy after End. A response window that runs to End holds
// all of the response that matters; the settling after the arrival is
// End - Delay.
struct ImpulseSpan {
    static constexpr double EnergyShare = 1e-4;

    double Delay = 0.0;  // seconds
    double Start = 0.0;  // seconds
    double End = 0.0;    // seconds
    double Final = 0.0;  // s[N-1], the step's final level (dimensionless)

    // Nothing for no taps, a response with no energy, or one whose final
    // level is 0 (no step to cross half of).
    static std::optional<ImpulseSpan> Assess(const std::vector<double>& taps, double sampleInterval);
};
