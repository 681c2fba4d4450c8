#pragma once

#include <string>
#include <vector>

// Whether a setting of a model misbehaves, judged on its steady level: the
// final value of the model's output for a unit step (0 to 1) at the input
// (SimulationResult::SteadyLevel), which is its gain for long runs of equal
// bits. A setting misbehaves
//   on its own, when that level is not finite, is inverted (below 0), is
//   more than MaxGain times the step or less than MinGain times it (40 dB
//   down: no de-emphasis or line that a link can use takes that much);
//   among the settings of a sweep, besides, when it departs from their median
//   by more than a factor of MaxRatio either way or has the other sign.
// A median of 0, or of no finite level, gives no comparison.
class SettingLevels {
public:
    static constexpr double MaxGain = 10.0;
    static constexpr double MinGain = 0.01;
    static constexpr double MaxRatio = 2.0;

    // Why `level` misbehaves on its own ("inverted against the input step",
    // ...); empty when it does not.
    static std::string Own(double level);

    // The median of the finite `levels` (the mean of the middle two for an
    // even count); NaN when none is finite.
    static double Median(std::vector<double> levels);

    // For each of `levels`, why it misbehaves, on its own or against the
    // median of all of them; empty when it does not.
    static std::vector<std::string> Sweep(const std::vector<double>& levels);
};
