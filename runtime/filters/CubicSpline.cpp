#include "runtime/filters/CubicSpline.h"

namespace TorvaneModelBuilder {

int FitCubicSpline(std::int32_t n, int startCondition, int endCondition, double startSlope,
                   double endSlope, const double* x, const double* y, double* b, double* c,
                   double* d)
{
    if (n < 2)
        return 1;
    for (std::int32_t i = 1; i < n; ++i) {
        // Written as "not less" so that a NaN is refused too: the interval
        // search of Evaluate would never settle on one.
        if (!(x[i - 1] < x[i]))
            return 2;
    }
    if (n == 2) {
        b[0] = (y[1] - y[0]) / (x[1] - x[0]);
        c[0] = 0.0;
        d[0] = 0.0;
        b[1] = b[0];
        c[1] = 0.0;
        d[1] = 0.0;
        return 0;
    }

    // Tridiagonal system for the second-derivative terms: d holds the
    // interval widths, b the diagonal, c first the divided differences and
    // then their differences (the right-hand side).
    const std::int32_t last = n - 1;
    d[0] = x[1] - x[0];
    c[1] = (y[1] - y[0]) / d[0];
    for (std::int32_t i = 1; i < last; ++i) {
        d[i] = x[i + 1] - x[i];
        b[i] = 2.0 * (d[i - 1] + d[i]);
        c[i + 1] = (y[i + 1] - y[i]) / d[i];
        c[i] = c[i + 1] - c[i];
    }
    b[0] = -d[0];
    b[last] = -d[last - 1];
    c[0] = 0.0;
    c[last] = 0.0;
    if (n > 3) {
        // End conditions from the third divided differences of four points.
        c[0] = c[2] / (x[3] - x[1]) - c[1] / (x[2] - x[0]);
        c[last] = c[last - 1] / (x[last] - x[last - 2]) - c[last - 2] / (x[last - 1] - x[last - 3]);
        c[0] = d[0] * c[0] * d[0] / (x[3] - x[0]);
        c[last] = -(d[last - 1] * c[last] * d[last - 1] / (x[last] - x[last - 3]));
    }
    if (startCondition == 1) {
        b[0] = 2.0 * (x[1] - x[0]);
        c[0] = (y[1] - y[0]) / (x[1] - x[0]) - startSlope;
    }
    if (endCondition == 1) {
        b[last] = 2.0 * (x[last] - x[last - 1]);
        c[last] = endSlope - (y[last] - y[last - 1]) / (x[last] - x[last - 1]);
    }

    for (std::int32_t i = 1; i < n; ++i) {
        const double f = d[i - 1] / b[i - 1];
        b[i] = b[i] - d[i - 1] * f;
        c[i] = c[i] - f * c[i - 1];
    }
    c[last] = c[last] / b[last];
    for (std::int32_t i = last - 1; i >= 0; --i)
        c[i] = (c[i] - d[i] * c[i + 1]) / b[i];

    // Polynomial coefficients per interval; d[i] is still the width until
    // it is replaced by the cubic coefficient.
    b[last] = (y[last] - y[last - 1]) / d[last - 1] + (2.0 * c[last] + c[last - 1]) * d[last - 1];
    for (std::int32_t i = 0; i < last; ++i) {
        b[i] = (y[i + 1] - y[i]) / d[i] - (2.0 * c[i] + c[i + 1]) * d[i];
        d[i] = (c[i + 1] - c[i]) / d[i];
        c[i] = 3.0 * c[i];
    }
    c[last] = 3.0 * c[last];
    d[last] = d[last - 1];
    return 0;
}

CubicSpline::~CubicSpline()
{
    delete[] B;
    delete[] C;
    delete[] D;
}

double CubicSpline::Evaluate(std::uint64_t n, double x, const double* xs, const double* ys)
{
    Status = 0;
    if (n > Capacity) {
        // Released and nulled first, so that a failed allocation leaves
        // nothing for the destructor to free twice.
        delete[] B;
        delete[] C;
        delete[] D;
        B = C = D = nullptr;
        Capacity = 0;
        B = new double[n];
        C = new double[n];
        D = new double[n];
        Capacity = n;
    }
    Status = FitCubicSpline(static_cast<std::int32_t>(n), 0, 0, 0.0, 0.0, xs, ys, B, C, D);
    if (Status != 0)
        return 0.0;

    // Bisection only off the first interval, the usual case of a sliding
    // four-point window. With strictly increasing knots one of the two tests
    // moves a bound on every pass.
    std::uint64_t lo = 0;
    if (x < xs[0] || x > xs[1]) {
        std::uint64_t hi = n;
        do {
            const std::uint64_t mid = (lo + hi) / 2;
            if (xs[mid] > x)
                hi = mid;
            if (x >= xs[mid])
                lo = mid;
        } while (hi > lo + 1);
    }
    const double u = x - xs[lo];
    return ((u * D[lo] + C[lo]) * u + B[lo]) * u + ys[lo];
}

double QuadraticDerivative(double t, const double* x, const double* y)
{
    double sum = 0.0;
    sum = sum + (2.0 * t - x[1] - x[2]) / ((x[0] - x[2]) * (x[0] - x[1])) * y[0];
    sum = sum + (2.0 * t - x[0] - x[2]) / ((x[1] - x[0]) * (x[1] - x[2])) * y[1];
    sum = sum + (2.0 * t - x[0] - x[1]) / ((x[2] - x[0]) * (x[2] - x[1])) * y[2];
    return sum;
}

} // namespace TorvaneModelBuilder
