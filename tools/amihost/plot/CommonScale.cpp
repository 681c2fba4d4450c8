#include "tools/amihost/plot/CommonScale.h"

#include <algorithm>

namespace {

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

} // namespace

std::vector<bool> CommonScale::Outlying(const std::vector<Extent>& extents)
{
    std::vector<bool> outlying(extents.size(), false);
    std::vector<double> lows;
    std::vector<double> highs;
    for (const Extent& e : extents)
        if (e.Valid) {
            lows.push_back(e.Low);
            highs.push_back(e.High);
        }
    if (lows.size() < 3)
        return outlying;
    const double low = Median(lows);
    const double high = Median(highs);
    const double span = high - low;
    if (!(span > 0.0))
        return outlying;
    for (std::size_t i = 0; i < extents.size(); ++i)
        outlying[i] = extents[i].Valid && (extents[i].Low < low - span || extents[i].High > high + span);
    return outlying;
}

bool CommonScale::Range(const std::vector<Extent>& extents, const std::vector<bool>& outlying, double& low,
                        double& high)
{
    bool any = false;
    for (std::size_t i = 0; i < extents.size(); ++i) {
        if (!extents[i].Valid || outlying[i])
            continue;
        low = any ? std::min(low, extents[i].Low) : extents[i].Low;
        high = any ? std::max(high, extents[i].High) : extents[i].High;
        any = true;
    }
    return any;
}
