#include "tools/amihost/eye/EyeAnalysis.h"

#include <algorithm>
#include <cmath>
#include <limits>

double EyeAnalysis::HeightAt(const std::vector<double>& wave, const std::vector<int>& bits, int samplesPerBit,
                             std::size_t skipBits, std::size_t latency, std::size_t* count, double* threshold)
{
    const double inf = std::numeric_limits<double>::infinity();
    const std::size_t spb = static_cast<std::size_t>(samplesPerBit);
    double lowestOne = inf;
    double highestZero = -inf;
    std::size_t measured = 0;
    for (std::size_t k = skipBits; k < bits.size(); ++k) {
        const std::size_t i = k * spb + latency;
        if (i >= wave.size())
            break;
        if (bits[k])
            lowestOne = std::min(lowestOne, wave[i]);
        else
            highestZero = std::max(highestZero, wave[i]);
        ++measured;
    }
    if (count)
        *count = measured;
    if (lowestOne == inf || highestZero == -inf)
        return -inf;
    if (threshold)
        *threshold = (lowestOne + highestZero) / 2.0;
    return lowestOne - highestZero;
}

EyeResult EyeAnalysis::FromHeights(const std::vector<double>& height, std::size_t from, std::size_t to,
                                   int samplesPerBit)
{
    EyeResult eye;
    if (samplesPerBit < 1 || from > to || to >= height.size())
        return eye;
    const std::size_t spb = static_cast<std::size_t>(samplesPerBit);
    const std::size_t span = height.size();
    const double inf = std::numeric_limits<double>::infinity();
    std::size_t best = from;
    for (std::size_t j = from; j <= to; ++j)
        if (height[j] > height[best])
            best = j;
    if (!(height[best] > -inf))
        return eye;
    eye.Valid = true;
    eye.Latency = best;
    eye.Height = height[best];
    if (!(eye.Height > 0.0))
        return eye;
    // Walk out to the first closed latency on each side and interpolate where
    // height crosses 0. Open for a whole UI on either side: open everywhere.
    std::size_t low = best;
    while (low > 0 && height[low - 1] > 0.0 && best - low < spb)
        --low;
    std::size_t high = best;
    while (high + 1 < span && height[high + 1] > 0.0 && high - best < spb)
        ++high;
    if (best - low >= spb || high - best >= spb) {
        eye.Width = 1.0;
        return eye;
    }
    // Latencies outside the measured ones (-inf) count as closed right there.
    // Reaches are counted from the best latency, so the width does not
    // depend on where the heights' indices start.
    const double left = low == 0 || height[low - 1] == -inf
                            ? static_cast<double>(best - low)
                            : static_cast<double>(best - low) + height[low] / (height[low] - height[low - 1]);
    const double right = high + 1 >= span || height[high + 1] == -inf
                             ? static_cast<double>(high - best)
                             : static_cast<double>(high - best) + height[high] / (height[high] - height[high + 1]);
    eye.Width = std::min(1.0, (left + right) / static_cast<double>(spb));
    return eye;
}

EyeResult EyeAnalysis::Measure(const std::vector<double>& wave, const std::vector<int>& bits, int samplesPerBit,
                               std::size_t skipBits, std::size_t maxLatency)
{
    EyeResult eye;
    eye.FirstBit = skipBits;
    if (samplesPerBit < 1)
        return eye;
    const std::size_t spb = static_cast<std::size_t>(samplesPerBit);
    // Heights one UI beyond the searched latencies on both sides, so the
    // width around a best latency at either end is still found.
    const std::size_t span = maxLatency + 2 * spb + 1;
    std::vector<double> height(span);
    const double inf = std::numeric_limits<double>::infinity();
    for (std::size_t j = 0; j < span; ++j)
        height[j] = j < spb ? -inf : HeightAt(wave, bits, samplesPerBit, skipBits, j - spb);
    const EyeResult found = FromHeights(height, spb, maxLatency + spb, samplesPerBit);
    if (!found.Valid)
        return eye;
    eye = found;
    eye.FirstBit = skipBits;
    eye.Latency = found.Latency - spb;
    eye.Height = HeightAt(wave, bits, samplesPerBit, skipBits, eye.Latency, &eye.BitCount, &eye.Threshold);
    return eye;
}
