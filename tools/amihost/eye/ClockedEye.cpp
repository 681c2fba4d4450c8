#include "tools/amihost/eye/ClockedEye.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The measured instants and the symbol each one samples.
struct Samples {
    std::vector<double> At;
    std::vector<int> Symbol;
};

// height(delta) over the measured instants, and the midpoint of its levels.
double HeightAt(const std::vector<double>& wave, const Samples& samples, double delta, double* threshold)
{
    const double inf = std::numeric_limits<double>::infinity();
    double lowestOne = inf;
    double highestZero = -inf;
    for (std::size_t j = 0; j < samples.At.size(); ++j) {
        const double v = ClockedEye::ValueAt(wave, samples.At[j] + delta);
        if (samples.Symbol[j])
            lowestOne = std::min(lowestOne, v);
        else
            highestZero = std::max(highestZero, v);
    }
    if (threshold)
        *threshold = (lowestOne + highestZero) / 2.0;
    return lowestOne - highestZero;
}

// The offset, in samples, at which height falls to 0 going out from an open
// height(0) in direction `side` (+1 or -1); samplesPerBit when it never does.
// height[spb + delta] is height(delta).
double OpenReach(const std::vector<double>& height, int samplesPerBit, int side)
{
    double previous = height[static_cast<std::size_t>(samplesPerBit)];
    for (int step = 1; step <= samplesPerBit; ++step) {
        const double h = height[static_cast<std::size_t>(samplesPerBit + side * step)];
        if (!(h > 0.0))
            return static_cast<double>(step - 1) + previous / (previous - h);
        previous = h;
    }
    return static_cast<double>(samplesPerBit);
}

} // namespace

long long ClockedEye::BitOf(double instant, std::size_t latency, int samplesPerBit)
{
    const double k = std::floor((instant - static_cast<double>(latency)) / samplesPerBit + 0.5);
    return std::isfinite(k) && k > -1e18 && k < 1e18 ? static_cast<long long>(k) : -1;
}

double ClockedEye::ValueAt(const std::vector<double>& wave, double instant)
{
    const std::size_t i = static_cast<std::size_t>(std::floor(instant));
    if (i + 1 >= wave.size())
        return wave[i];
    return wave[i] + (instant - static_cast<double>(i)) * (wave[i + 1] - wave[i]);
}

EyeResult ClockedEye::Measure(const std::vector<double>& wave, const std::vector<int>& bits, int samplesPerBit,
                              const std::vector<double>& instants, std::size_t latency, std::size_t skipBits)
{
    EyeResult eye;
    eye.FirstBit = skipBits;
    if (samplesPerBit < 1 || wave.empty())
        return eye;
    const double spb = samplesPerBit;
    const double last = static_cast<double>(wave.size() - 1);
    Samples samples;
    double phase = 0.0;
    bool ones = false;
    bool zeros = false;
    for (const double s : instants) {
        if (!(s - spb >= 0.0 && s + spb <= last)) // NaN fails too
            continue;
        const long long k = BitOf(s, latency, samplesPerBit);
        if (k < static_cast<long long>(skipBits) || k >= static_cast<long long>(bits.size()))
            continue;
        const int symbol = bits[static_cast<std::size_t>(k)];
        samples.At.push_back(s);
        samples.Symbol.push_back(symbol);
        phase += s - static_cast<double>(k) * spb;
        ones = ones || symbol;
        zeros = zeros || !symbol;
    }
    eye.BitCount = samples.At.size();
    if (!ones || !zeros)
        return eye;
    std::vector<double> height(2 * static_cast<std::size_t>(samplesPerBit) + 1);
    double threshold = 0.0;
    for (int delta = -samplesPerBit; delta <= samplesPerBit; ++delta)
        height[static_cast<std::size_t>(delta + samplesPerBit)] =
            HeightAt(wave, samples, delta, delta == 0 ? &threshold : nullptr);
    return FromHeights(height, threshold, phase / static_cast<double>(eye.BitCount), eye.BitCount, skipBits,
                       samplesPerBit);
}

EyeResult ClockedEye::FromHeights(const std::vector<double>& height, double threshold, double meanPhase,
                                  std::size_t bitCount, std::size_t skipBits, int samplesPerBit)
{
    EyeResult eye;
    eye.FirstBit = skipBits;
    eye.BitCount = bitCount;
    if (samplesPerBit < 1 || height.size() != 2 * static_cast<std::size_t>(samplesPerBit) + 1)
        return eye;
    eye.Valid = true;
    eye.Latency = static_cast<std::size_t>(std::max(0.0, std::round(meanPhase)));
    eye.Height = height[static_cast<std::size_t>(samplesPerBit)];
    eye.Threshold = threshold;
    if (!(eye.Height > 0.0))
        return eye;
    const double span = OpenReach(height, samplesPerBit, -1) + OpenReach(height, samplesPerBit, +1);
    eye.Width = std::min(1.0, span / samplesPerBit);
    return eye;
}
