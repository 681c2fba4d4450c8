#pragma once

#include <cstdint>

namespace TorvaneModelBuilder {

// Interpolation helpers that turn a sampled time response into FIR taps.

// Fits the cubic spline through the n points (x[i], y[i]) and writes its
// coefficients to b, c, d (n elements each, owned by the caller), so that on
// [x[i], x[i+1]], with u = t - x[i]:
//
//   s(t) = y[i] + b[i]*u + c[i]*u^2 + d[i]*u^3
//
// Default ends (any condition other than 1) match the spline's third
// derivative to the third divided differences of the first four and of the
// last four points; with exactly four points the spline is the cubic through
// them, with three the parabola, with two the straight line. A condition of
// 1 prescribes the first derivative (startSlope, endSlope) at that end.
// Returns 0 when done, 1 for fewer than 2 points, 2 when the x values are not
// strictly increasing (a NaN counts as out of order); b, c, d are then
// untouched.
int FitCubicSpline(std::int32_t n, int startCondition, int endCondition, double startSlope,
                   double endSlope, const double* x, const double* y, double* b, double* c,
                   double* d);

// Spline evaluation with a workspace that grows and is reused, so that a
// caller evaluating many small windows allocates once.
class CubicSpline {
public:
    std::uint64_t Capacity = 0; // elements in each of B, C, D
    double* B = nullptr;        // owned coefficient arrays of the last fit
    double* C = nullptr;
    double* D = nullptr;
    std::int32_t Status = 0;    // result of the last FitCubicSpline

    CubicSpline() = default;
    CubicSpline(const CubicSpline&) = delete;
    CubicSpline& operator=(const CubicSpline&) = delete;
    ~CubicSpline();

    // Fits the default-ended spline through the n points (xs, ys) (xs
    // strictly increasing) and returns its value at x; returns 0.0 when the
    // fit fails, with the reason in Status. Left of xs[0] the first cubic
    // continues, right of xs[n-1] the cubic of the last knot's coefficients.
    double Evaluate(std::uint64_t n, double x, const double* xs, const double* ys);
};

// Derivative at t of the quadratic through the three points (x[0], y[0]),
// (x[1], y[1]), (x[2], y[2]) (distinct x): the three Lagrange terms
// (2t - x1 - x2) / ((x0 - x2)(x0 - x1)) * y0, and likewise for y1 and y2,
// added in that order onto 0.0.
double QuadraticDerivative(double t, const double* x, const double* y);

} // namespace TorvaneModelBuilder
