#include "tools/amihost/eye/StepAnalysis.h"

#include <cmath>
#include <limits>

double StepAnalysis::DeemphasisDb(const std::vector<double>& step, std::size_t edge, int samplesPerBit)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    if (step.empty() || edge >= step.size() || samplesPerBit < 1)
        return nan;
    const double final = step.back();
    if (!std::isfinite(final) || final == 0.0)
        return nan;
    std::size_t i = edge;
    while (i < step.size() && !(step[i] / final >= 0.5))
        ++i;
    if (i >= step.size())
        return nan;
    double crossing = static_cast<double>(i);
    if (i > 0) {
        const double before = step[i - 1] / final;
        const double after = step[i] / final;
        crossing = static_cast<double>(i - 1) + (0.5 - before) / (after - before);
    }
    const double t1 = crossing + samplesPerBit / 2.0;
    const std::size_t j = static_cast<std::size_t>(std::floor(t1));
    if (j + 1 >= step.size())
        return nan;
    const double fraction = t1 - static_cast<double>(j);
    const double level = (step[j] + (step[j + 1] - step[j]) * fraction) / final;
    const double ratio = 2.0 * level - 1.0;
    return ratio > 0.0 ? 20.0 * std::log10(ratio) : nan;
}

std::vector<double> StepAnalysis::PulseFromStep(const std::vector<double>& step, int samplesPerBit)
{
    const std::size_t spb = samplesPerBit > 0 ? static_cast<std::size_t>(samplesPerBit) : 0;
    std::vector<double> pulse(step.size());
    for (std::size_t n = 0; n < step.size(); ++n)
        pulse[n] = step[n] - (n >= spb ? step[n - spb] : 0.0);
    return pulse;
}

std::size_t StepAnalysis::SettleBits(const std::vector<double>& step, std::size_t edge, int samplesPerBit,
                                     double tolerance)
{
    if (step.empty() || samplesPerBit < 1)
        return 1;
    const double final = step.back();
    std::size_t last = edge;
    for (std::size_t n = edge; n < step.size(); ++n)
        if (!(std::fabs(step[n] / final - 1.0) <= tolerance))
            last = n + 1;
    const std::size_t spb = static_cast<std::size_t>(samplesPerBit);
    const std::size_t bits = (last - edge + spb - 1) / spb;
    return bits > 0 ? bits : 1;
}
