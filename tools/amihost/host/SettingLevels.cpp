#include "tools/amihost/host/SettingLevels.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

std::string Shown(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", value);
    return text;
}

} // namespace

std::string SettingLevels::Own(double level)
{
    if (!std::isfinite(level))
        return "not finite";
    if (level < 0.0)
        return "inverted against the input step";
    if (level > MaxGain)
        return "more than " + Shown(MaxGain) + " times the input step";
    if (level < MinGain)
        return "far below the input step (less than " + Shown(MinGain) + " times it)";
    return std::string();
}

double SettingLevels::Median(std::vector<double> levels)
{
    levels.erase(std::remove_if(levels.begin(), levels.end(), [](double v) { return !std::isfinite(v); }),
                 levels.end());
    if (levels.empty())
        return std::numeric_limits<double>::quiet_NaN();
    std::sort(levels.begin(), levels.end());
    const std::size_t half = levels.size() / 2;
    return levels.size() % 2 ? levels[half] : (levels[half - 1] + levels[half]) / 2.0;
}

std::vector<std::string> SettingLevels::Sweep(const std::vector<double>& levels)
{
    const double median = Median(levels);
    const bool comparable = std::isfinite(median) && median != 0.0;
    std::vector<std::string> reasons;
    for (const double level : levels) {
        std::string reason = Own(level);
        if (reason.empty() && comparable) {
            const double ratio = level / median;
            const std::string against = " the median " + Shown(median) + " of the swept settings";
            if (!(ratio > 0.0))
                reason = "the other sign than" + against;
            else if (ratio > MaxRatio || ratio < 1.0 / MaxRatio)
                reason = "more than a factor of " + Shown(MaxRatio) + " from" + against;
        }
        reasons.push_back(reason);
    }
    return reasons;
}
