#pragma once

#include <cstddef>
#include <vector>

// A signal given at time stamps t[0] < t[1] < ... < t[n-1] (seconds), put
// onto the simulation's grid t_k = t[0] + k dt.
//
// On the grid already: every t[i] lies within rounding of t[0] + i dt, that
// is within the larger of a thousandth of dt and half a unit in the sixth
// significant digit of t[i] (files are often written with six significant
// digits), but never half a step or more. The values are then taken as they
// are, row i as sample i, even where rounding made two stamps equal.
//
// Otherwise (another rate, or uneven steps) the file's samples joined by
// straight lines give x(t) on [t[0], t[n-1]], and output sample k is the mean
// of x over [t_k - dt/2, t_k + dt/2] clipped to that span, for k = 0 ..
// floor((t[n-1] - t[0]) / dt). The mean rather than the value at t_k: it keeps
// what a finer file holds between grid points, so an impulse response h(t)
// keeps its area (the gain at DC, sum of h_k dt = the integral of x over the
// span) and a peak narrower than dt still counts; for a coarser file it is
// linear interpolation smoothed over one dt.
class Resampler {
public:
    // True when `time` lies on the grid of `dt` as described above.
    static bool OnGrid(const std::vector<double>& time, double dt);

    // The box means described above; `time` strictly increasing, at least
    // one sample, `dt` > 0. Output length floor((t[n-1] - t[0]) / dt) + 1.
    static std::vector<double> ToGrid(const std::vector<double>& time, const std::vector<double>& values,
                                      double dt);
};
