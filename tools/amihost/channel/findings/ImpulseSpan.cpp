#include "tools/amihost/channel/findings/ImpulseSpan.h"

#include <cmath>

std::optional<ImpulseSpan> ImpulseSpan::Assess(const std::vector<double>& taps, double sampleInterval)
{
    double energy = 0.0;
    double final = 0.0;
    for (double h : taps) {
        energy += h * h;
        final += h;
    }
    if (!(energy > 0.0) || final == 0.0 || !std::isfinite(energy))
        return std::nullopt;
    ImpulseSpan span;
    span.Final = final;
    // The half-way crossing, in the direction of the final level (an
    // inverting channel steps down).
    const double half = final / 2.0;
    double running = 0.0;
    for (std::size_t n = 0; n < taps.size(); ++n) {
        const double before = running;
        running += taps[n];
        if (std::fabs(running) >= std::fabs(half) && (running - half) * final >= 0.0) {
            const double x = static_cast<double>(n) - (running - half) / (running - before);
            span.Delay = (x + 0.5) * sampleInterval;
            break;
        }
    }
    const double outside = EnergyShare * energy / 2.0;
    double cumulative = 0.0;
    std::size_t first = 0;
    while (first + 1 < taps.size() && cumulative + taps[first] * taps[first] < outside) {
        cumulative += taps[first] * taps[first];
        ++first;
    }
    cumulative = 0.0;
    std::size_t last = taps.size() - 1;
    while (last > first && cumulative + taps[last] * taps[last] < outside) {
        cumulative += taps[last] * taps[last];
        --last;
    }
    span.Start = static_cast<double>(first) * sampleInterval;
    span.End = static_cast<double>(last) * sampleInterval;
    return span;
}
