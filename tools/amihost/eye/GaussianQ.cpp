#include "tools/amihost/eye/GaussianQ.h"

#include <cmath>
#include <limits>

namespace {

// Rational approximations of the normal quantile (relative error below
// 1.2e-9 over the whole range), one for the central part and one for the
// tails; a Halley step on erfc then brings it to full double precision.
constexpr double A[] = {-3.969683028665376e+01, 2.209460984245205e+02, -2.759285104469687e+02,
                        1.383577518672690e+02,  -3.066479806614716e+01, 2.506628277459239e+00};
constexpr double B[] = {-5.447609879822406e+01, 1.615858368580409e+02, -1.556989798598866e+02,
                        6.680131188771972e+01,  -1.328068155288572e+01};
constexpr double C[] = {-7.784894002430293e-03, -3.223964580411365e-01, -2.400758277161838e+00,
                        -2.549732539343734e+00, 4.374664141464968e+00,  2.938163982698783e+00};
constexpr double D[] = {7.784695709041462e-03, 3.224671290700398e-01, 2.445134137142996e+00,
                        3.754408661907416e+00};

// x with P(N(0,1) < x) = p, to about 1e-9.
double RoughQuantile(double p)
{
    constexpr double Low = 0.02425;
    if (p < Low || p > 1.0 - Low) {
        const double q = std::sqrt(-2.0 * std::log(p < Low ? p : 1.0 - p));
        const double x = (((((C[0] * q + C[1]) * q + C[2]) * q + C[3]) * q + C[4]) * q + C[5]) /
                         ((((D[0] * q + D[1]) * q + D[2]) * q + D[3]) * q + 1.0);
        return p < Low ? x : -x;
    }
    const double q = p - 0.5;
    const double r = q * q;
    return (((((A[0] * r + A[1]) * r + A[2]) * r + A[3]) * r + A[4]) * r + A[5]) * q /
           (((((B[0] * r + B[1]) * r + B[2]) * r + B[3]) * r + B[4]) * r + 1.0);
}

} // namespace

double GaussianQ::Q(double x) { return 0.5 * std::erfc(x / std::sqrt(2.0)); }

double GaussianQ::InverseQ(double p)
{
    if (std::isnan(p))
        return p;
    if (p <= 0.0)
        return std::numeric_limits<double>::infinity();
    if (p >= 1.0)
        return -std::numeric_limits<double>::infinity();
    // Q(x) = p is P(N < -x) = p: the quantile of p, negated. Halley's step
    // on f(x) = Q(x) - p (f' = -phi, f'' = x phi), with u = f / phi(x):
    // x + u / (1 - x u / 2).
    double x = -RoughQuantile(p);
    const double error = Q(x) - p;
    const double u = error * std::sqrt(2.0 * 3.14159265358979323846) * std::exp(x * x / 2.0);
    if (std::isfinite(u))
        x = x + u / (1.0 - x * u / 2.0);
    return x;
}
