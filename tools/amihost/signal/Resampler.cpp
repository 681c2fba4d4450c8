#include "tools/amihost/signal/Resampler.h"

#include <algorithm>
#include <cmath>

namespace {

// Integral of the piecewise-linear x from time[0] to t (time[0] <= t <=
// time.back(), at least two stamps), continuing from segment `segment`,
// which only moves forward (t rises from call to call).
double IntegralTo(const std::vector<double>& time, const std::vector<double>& values,
                  const std::vector<double>& areaBefore, std::size_t& segment, double t)
{
    while (segment + 2 < time.size() && time[segment + 1] <= t)
        ++segment;
    const double t0 = time[segment];
    const double slope = (values[segment + 1] - values[segment]) / (time[segment + 1] - t0);
    const double u = t - t0;
    return areaBefore[segment] + u * (values[segment] + 0.5 * slope * u);
}

} // namespace

bool Resampler::OnGrid(const std::vector<double>& time, double dt)
{
    for (std::size_t i = 0; i < time.size(); ++i) {
        const double expected = time[0] + static_cast<double>(i) * dt;
        // Past half a step the stamp no longer says which grid point it is.
        const double rounding = std::min(std::max(1e-3 * dt, 5e-6 * std::fabs(time[i])), 0.5 * dt);
        if (!(std::fabs(time[i] - expected) <= rounding))
            return false;
    }
    return true;
}

std::vector<double> Resampler::ToGrid(const std::vector<double>& time, const std::vector<double>& values, double dt)
{
    const std::size_t n = time.size();
    if (n == 1)
        return values;
    // Trapezoid areas up to each stamp: the exact integral of the straight lines.
    std::vector<double> areaBefore(n, 0.0);
    for (std::size_t i = 1; i < n; ++i)
        areaBefore[i] = areaBefore[i - 1] + 0.5 * (values[i] + values[i - 1]) * (time[i] - time[i - 1]);
    const double first = time[0];
    const double last = time[n - 1];
    const std::size_t count = static_cast<std::size_t>(std::floor((last - first) / dt)) + 1;
    std::vector<double> out(count);
    std::size_t lowSegment = 0;
    std::size_t highSegment = 0;
    for (std::size_t k = 0; k < count; ++k) {
        const double centre = first + static_cast<double>(k) * dt;
        const double low = std::max(first, centre - 0.5 * dt);
        const double high = std::min(last, centre + 0.5 * dt); // above low: centre <= last
        const double area = IntegralTo(time, values, areaBefore, highSegment, high) -
                            IntegralTo(time, values, areaBefore, lowSegment, low);
        out[k] = area / (high - low);
    }
    return out;
}
