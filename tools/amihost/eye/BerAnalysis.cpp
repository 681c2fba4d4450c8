#include "tools/amihost/eye/BerAnalysis.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "tools/amihost/eye/GaussianQ.h"
#include "tools/amihost/eye/GaussianTail.h"

namespace {

// The inner tails of both symbols at sample k spb + shift - spb of bits k
// in [first, end), first >= 1: the lowest ones and the highest zeros.
// `ones` and `zeros` are scratch.
bool FitPhase(const std::vector<double>& wave, const std::vector<int>& bits, std::size_t spb, std::size_t first,
              std::size_t end, std::size_t shift, std::vector<double>& ones, std::vector<double>& zeros,
              GaussianTail& one, GaussianTail& zero)
{
    ones.clear();
    zeros.clear();
    for (std::size_t k = first; k < end; ++k)
        (bits[k] ? ones : zeros).push_back(wave[(k - 1) * spb + shift]);
    return GaussianTail::FitLower(ones, one) && GaussianTail::FitUpper(zeros, zero);
}

// Q(z + opening / (s1 + s0)), at most 1/2: Q((m1 - m0) / (s1 + s0)) for
// tails as fitted, and the BER of the tails moved to the opening where
// that was held to the extremes seen; 0 or 1/2 without a random part.
double ErrorRatio(const GaussianTail& one, const GaussianTail& zero, double opening, double z)
{
    const double spread = one.Sigma + zero.Sigma;
    if (!(spread > 0.0))
        return opening > 0.0 ? 0.0 : 0.5;
    return std::min(0.5, GaussianQ::Q(z + opening / spread));
}

// The run of openings >= 0 around `best`, as the fractional indices where
// it crosses 0 on either side (interpolated linearly; a run that reaches an
// end of the openings stops there).
void OpenRun(const std::vector<double>& opening, std::size_t best, double& start, double& stop)
{
    std::size_t low = best;
    while (low > 0 && opening[low - 1] >= 0.0)
        --low;
    std::size_t high = best;
    while (high + 1 < opening.size() && opening[high + 1] >= 0.0)
        ++high;
    start = low == 0 ? 0.0 : static_cast<double>(low) - opening[low] / (opening[low] - opening[low - 1]);
    stop = high + 1 == opening.size()
               ? static_cast<double>(high)
               : static_cast<double>(high) + opening[high] / (opening[high] - opening[high + 1]);
}

// Without a random part: the bathtub of measured openings, opening[i] at
// offset Latency - spb / 2 + i from the bit's start (i = 0 .. spb; -inf
// where a symbol is missing); the centre is the eye's own.
BerResult Bounded(const std::vector<double>& opening, std::size_t spb, const EyeResult& eye, double targetBer)
{
    BerResult ber;
    ber.TargetBer = targetBer;
    const std::size_t before = spb / 2;
    ber.Best = before;
    for (std::size_t i = 0; i <= spb; ++i) {
        ber.Phase.push_back((static_cast<double>(i) - static_cast<double>(before)) / static_cast<double>(spb));
        ber.Opening.push_back(opening[i]);
        ber.Ber.push_back(opening[i] > 0.0 ? 0.0 : 0.5);
    }
    ber.Valid = true;
    ber.BitCount = eye.BitCount;
    ber.Height = eye.Height;
    ber.Width = eye.Width;
    ber.OneLevel = eye.Threshold + eye.Height / 2.0;
    ber.ZeroLevel = eye.Threshold - eye.Height / 2.0;
    return ber;
}

// The measured openings of Bounded over every bit from FirstBit whose
// sample lies in the wave, as EyeAnalysis::HeightAt takes them.
std::vector<double> MeasuredOpenings(const std::vector<double>& wave, const std::vector<int>& bits, std::size_t spb,
                                     const EyeResult& eye)
{
    const double inf = std::numeric_limits<double>::infinity();
    const long before = static_cast<long>(spb / 2);
    std::vector<double> opening;
    for (std::size_t i = 0; i <= spb; ++i) {
        const long offset = static_cast<long>(eye.Latency) + static_cast<long>(i) - before;
        double lowestOne = inf;
        double highestZero = -inf;
        for (std::size_t k = eye.FirstBit; k < bits.size(); ++k) {
            const long at = static_cast<long>(k * spb) + offset;
            if (at < 0)
                continue;
            if (static_cast<std::size_t>(at) >= wave.size())
                break;
            double& extreme = bits[k] ? lowestOne : highestZero;
            extreme = bits[k] ? std::min(extreme, wave[static_cast<std::size_t>(at)])
                              : std::max(extreme, wave[static_cast<std::size_t>(at)]);
        }
        opening.push_back(lowestOne - highestZero); // -inf where a symbol is missing
    }
    return opening;
}

// With a random part: the bathtub from the tails fitted at the 2 spb + 1
// offsets Latency - spb + j (tails[2 j] the ones', tails[2 j + 1] the
// zeros'), over `bitCount` bits.
BerResult Fitted(const std::vector<GaussianTail>& tails, std::size_t spb, std::size_t bitCount, double targetBer)
{
    BerResult ber;
    ber.TargetBer = targetBer;
    const double z = GaussianQ::InverseQ(targetBer);
    std::vector<double> ratio(2 * spb + 1);
    std::vector<double> opening(2 * spb + 1);
    for (std::size_t j = 0; j <= 2 * spb; ++j) {
        const GaussianTail& one = tails[2 * j];
        const GaussianTail& zero = tails[2 * j + 1];
        opening[j] = one.LowerLevel(targetBer) - zero.UpperLevel(targetBer);
        ratio[j] = ErrorRatio(one, zero, opening[j], z);
    }
    // The window: one UI centred on the middle of the open run around the
    // best offset (on the best offset when the eye is closed at TargetBer).
    const std::size_t peak =
        static_cast<std::size_t>(std::max_element(opening.begin(), opening.end()) - opening.begin());
    double start = static_cast<double>(peak);
    double stop = start;
    if (opening[peak] > 0.0)
        OpenRun(opening, peak, start, stop);
    const std::size_t before = spb / 2;
    const std::size_t centre = std::clamp(static_cast<std::size_t>(std::lround((start + stop) / 2.0)), before,
                                          spb + before);
    const std::size_t from = centre - before;
    ber.Best = before;
    for (std::size_t i = 0; i <= spb; ++i) {
        ber.Phase.push_back((static_cast<double>(from + i) - static_cast<double>(spb)) / static_cast<double>(spb));
        ber.Ber.push_back(ratio[from + i]);
        ber.Opening.push_back(opening[from + i]);
    }
    ber.Valid = true;
    ber.BitCount = bitCount;
    ber.Height = ber.Opening[ber.Best];
    ber.OneLevel = tails[2 * (from + ber.Best)].LowerLevel(targetBer);
    ber.ZeroLevel = tails[2 * (from + ber.Best) + 1].UpperLevel(targetBer);
    if (ber.Height > 0.0) {
        OpenRun(opening, centre, start, stop);
        ber.Width = std::min(1.0, (stop - start) / static_cast<double>(spb));
    }
    return ber;
}

bool Measurable(const EyeResult& eye, int samplesPerBit, double targetBer)
{
    return eye.Valid && samplesPerBit >= 1 && targetBer > 0.0 && targetBer < 0.5;
}

} // namespace

BerResult BerAnalysis::Measure(const std::vector<double>& wave, const std::vector<int>& bits, int samplesPerBit,
                               const EyeResult& eye, double targetBer, RandomPart random)
{
    BerResult ber;
    ber.TargetBer = targetBer;
    if (!Measurable(eye, samplesPerBit, targetBer))
        return ber;
    const std::size_t spb = static_cast<std::size_t>(samplesPerBit);
    if (random == RandomPart::Absent)
        return Bounded(MeasuredOpenings(wave, bits, spb, eye), spb, eye, targetBer);
    // Offsets Latency - spb + j, j = 0 .. 2 spb, of the bits from FirstBit
    // (at least 1, so no offset reaches before the wave) whose every offset
    // lies inside the wave.
    const std::size_t first = std::max<std::size_t>(eye.FirstBit, 1);
    std::size_t end = first;
    while (end < bits.size() && end * spb + eye.Latency + spb < wave.size())
        ++end;
    std::vector<GaussianTail> tails(2 * (2 * spb + 1));
    std::vector<double> ones;
    std::vector<double> zeros;
    for (std::size_t j = 0; j <= 2 * spb; ++j)
        if (!FitPhase(wave, bits, spb, first, end, eye.Latency + j, ones, zeros, tails[2 * j], tails[2 * j + 1]))
            return ber;
    return Fitted(tails, spb, end - first, targetBer);
}

BerResult BerAnalysis::Measure(const EyeAccumulator& stats, const EyeResult& eye, double targetBer,
                               RandomPart random)
{
    BerResult ber;
    ber.TargetBer = targetBer;
    const int samplesPerBit = stats.SamplesPerBit();
    if (!Measurable(eye, samplesPerBit, targetBer))
        return ber;
    const long spb = samplesPerBit;
    // Index in the accumulator of offset Latency + delta; the offsets needed
    // must all have been kept.
    const long base = static_cast<long>(eye.Latency) - stats.First();
    auto index = [&](long delta) { return static_cast<std::size_t>(base + delta); };
    const bool bounded = random == RandomPart::Absent;
    const long low = bounded ? -(spb / 2) : -spb;
    const long high = bounded ? spb - spb / 2 : spb;
    if (base + low < 0 || base + high >= static_cast<long>(stats.Offsets()))
        return ber;
    if (bounded) {
        std::vector<double> opening;
        for (long i = 0; i <= spb; ++i)
            opening.push_back(stats.HeightAt(index(i - spb / 2)));
        return Bounded(opening, static_cast<std::size_t>(spb), eye, targetBer);
    }
    std::vector<GaussianTail> tails(2 * (2 * static_cast<std::size_t>(spb) + 1));
    for (long j = 0; j <= 2 * spb; ++j)
        if (!stats.FitTails(index(j - spb), tails[2 * j], tails[2 * j + 1]))
            return ber;
    return Fitted(tails, static_cast<std::size_t>(spb), stats.BitsMeasured(), targetBer);
}
