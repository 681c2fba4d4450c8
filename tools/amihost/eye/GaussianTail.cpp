#include "tools/amihost/eye/GaussianTail.h"

#include <algorithm>
#include <cmath>

#include "tools/amihost/eye/GaussianQ.h"

std::size_t GaussianTail::Count(std::size_t n)
{
    const std::size_t share = static_cast<std::size_t>(std::ceil(static_cast<double>(n) * Share));
    return std::min(MaxPoints, std::max(MinPoints, share));
}

bool GaussianTail::FitLower(std::vector<double>& values, GaussianTail& tail)
{
    return FitLowerOf(values, values.size(), tail);
}

bool GaussianTail::FitUpper(std::vector<double>& values, GaussianTail& tail)
{
    return FitUpperOf(values, values.size(), tail);
}

bool GaussianTail::FitLowerOf(std::vector<double>& values, std::size_t n, GaussianTail& tail)
{
    if (n < 2 * MinPoints)
        return false;
    const std::size_t count = std::min(n, Count(n));
    if (values.size() < count)
        return false;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(count - 1), values.end());
    std::sort(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(count));
    // Least squares of v on z over the points, centred for accuracy.
    std::vector<double> z(count);
    double zMean = 0.0;
    double vMean = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        z[i] = GaussianQ::InverseQ((static_cast<double>(i) + 0.625) / (static_cast<double>(n) + 0.25));
        zMean += z[i];
        vMean += values[i];
    }
    zMean /= static_cast<double>(count);
    vMean /= static_cast<double>(count);
    double zz = 0.0;
    double zv = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        zz += (z[i] - zMean) * (z[i] - zMean);
        zv += (z[i] - zMean) * (values[i] - vMean);
    }
    // v = Mean - Sigma z; values rise as z falls, so the slope is <= 0 but
    // for rounding.
    tail.Sigma = std::max(0.0, -zv / zz);
    tail.Mean = vMean + tail.Sigma * zMean;
    tail.Extreme = values[0];
    tail.ExtremeP = 0.625 / (static_cast<double>(n) + 0.25);
    return true;
}

bool GaussianTail::FitUpperOf(std::vector<double>& values, std::size_t n, GaussianTail& tail)
{
    for (double& v : values)
        v = -v;
    const bool fitted = FitLowerOf(values, n, tail);
    for (double& v : values)
        v = -v;
    tail.Mean = -tail.Mean;
    tail.Extreme = -tail.Extreme;
    return fitted;
}

double GaussianTail::LowerLevel(double p) const
{
    const double level = Sigma > 0.0 ? Mean - Sigma * GaussianQ::InverseQ(p) : Mean;
    return p < ExtremeP ? std::min(level, Extreme) : level;
}

double GaussianTail::UpperLevel(double p) const
{
    const double level = Sigma > 0.0 ? Mean + Sigma * GaussianQ::InverseQ(p) : Mean;
    return p < ExtremeP ? std::max(level, Extreme) : level;
}
