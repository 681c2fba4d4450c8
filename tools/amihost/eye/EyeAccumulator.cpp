#include "tools/amihost/eye/EyeAccumulator.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();

} // namespace

EyeAccumulator::EyeAccumulator(int samplesPerBit, long firstOffset, std::size_t offsets, std::size_t skipBits,
                               std::size_t totalBits, std::size_t totalSamples, std::size_t tailPoints,
                               std::function<int()> symbols)
    : spb_(std::max(samplesPerBit, 1)), first_(firstOffset), offsets_(std::max<std::size_t>(offsets, 1)),
      skip_(skipBits), bits_(totalBits), total_(totalSamples), tailPoints_(tailPoints), symbols_(std::move(symbols)),
      lowestOne_(offsets_, Inf), highestZero_(offsets_, -Inf)
{
    window_.reserve(offsets_ + Stretch);
    if (tailPoints_ > 0) {
        oneTails_.assign(offsets_, Tail{{}, Inf});
        zeroTails_.assign(offsets_, Tail{{}, -Inf});
        for (std::size_t o = 0; o < offsets_; ++o) {
            oneTails_[o].Kept.reserve(tailPoints_ + tailPoints_ / 2 + 1);
            zeroTails_[o].Kept.reserve(tailPoints_ + tailPoints_ / 2 + 1);
        }
    }
}

void EyeAccumulator::Add(const double* samples, std::size_t n)
{
    const long spb = spb_;
    const long last = first_ + static_cast<long>(offsets_) - 1;
    const std::size_t end = std::min(received_ + n, total_);
    for (std::size_t i = received_; i < end; ++i) {
        if (window_.size() == window_.capacity()) {
            // Keep the last Offsets samples: no window reaches further back.
            const std::size_t keep = std::min(offsets_, window_.size());
            std::memmove(window_.data(), window_.data() + window_.size() - keep, keep * sizeof(double));
            base_ += window_.size() - keep;
            window_.resize(keep);
        }
        window_.push_back(samples[i - received_]);
        // Every bit whose window ends at this sample (none, one, or, for a
        // window ending before its bit's start, the first bits at once).
        while (static_cast<long>(nextBit_) * spb + last <= static_cast<long>(i) && nextBit_ < bits_) {
            Measure(nextBit_, symbols_());
            ++nextBit_;
        }
    }
    received_ = end;
}

void EyeAccumulator::Measure(std::size_t bit, int symbol)
{
    const long start = static_cast<long>(bit) * spb_ + first_;
    // Windows reaching before the wave's start are not measured; the end is
    // never reached here (Add stops at the wave's end).
    if (bit < skip_ || start < 0)
        return;
    const double* w = window_.data() + (static_cast<std::size_t>(start) - base_);
    const std::size_t count = offsets_;
    if (symbol) {
        ++ones_;
        double* lowest = lowestOne_.data();
        for (std::size_t o = 0; o < count; ++o)
            lowest[o] = std::min(lowest[o], w[o]);
        for (std::size_t o = 0; o < oneTails_.size(); ++o)
            if (w[o] < oneTails_[o].Limit)
                Enter(oneTails_[o], w[o], true);
    } else {
        ++zeros_;
        double* highest = highestZero_.data();
        for (std::size_t o = 0; o < count; ++o)
            highest[o] = std::max(highest[o], w[o]);
        for (std::size_t o = 0; o < zeroTails_.size(); ++o)
            if (w[o] > zeroTails_[o].Limit)
                Enter(zeroTails_[o], w[o], false);
    }
}

void EyeAccumulator::Enter(Tail& tail, double v, bool lower) const
{
    // Values that may be among the innermost gather unsorted; when there
    // are half again as many as kept, the innermost tailPoints stay and the
    // outermost of them becomes the bar to enter. Amortised O(1) a value,
    // and the set kept is exactly the innermost (equal values are alike).
    std::vector<double>& kept = tail.Kept;
    kept.push_back(v);
    if (kept.size() < tailPoints_ + tailPoints_ / 2 + 1)
        return;
    const auto nth = kept.begin() + static_cast<std::ptrdiff_t>(tailPoints_ - 1);
    if (lower)
        std::nth_element(kept.begin(), nth, kept.end());
    else
        std::nth_element(kept.begin(), nth, kept.end(), std::greater<double>());
    kept.resize(tailPoints_);
    tail.Limit = *nth;
}

double EyeAccumulator::HeightAt(std::size_t i, double* threshold) const
{
    if (ones_ == 0 || zeros_ == 0)
        return -Inf;
    if (threshold)
        *threshold = (lowestOne_[i] + highestZero_[i]) / 2.0;
    return lowestOne_[i] - highestZero_[i];
}

EyeResult EyeAccumulator::Eye(std::size_t from, std::size_t to) const
{
    // Latencies are counted from 0; offsets before it are not candidates.
    if (first_ < 0)
        from = std::max(from, static_cast<std::size_t>(-first_));
    std::vector<double> height(offsets_);
    for (std::size_t i = 0; i < offsets_; ++i)
        height[i] = HeightAt(i);
    EyeResult eye = EyeAnalysis::FromHeights(height, from, std::min(to, offsets_ - 1), spb_);
    eye.FirstBit = skip_;
    if (!eye.Valid)
        return eye;
    const std::size_t best = eye.Latency;
    eye.Latency = static_cast<std::size_t>(first_ + static_cast<long>(best));
    eye.Height = HeightAt(best, &eye.Threshold);
    eye.BitCount = BitsMeasured();
    return eye;
}

bool EyeAccumulator::FitTails(std::size_t i, GaussianTail& one, GaussianTail& zero) const
{
    if (tailPoints_ == 0 || i >= offsets_)
        return false;
    std::vector<double> ones = oneTails_[i].Kept;
    std::vector<double> zeros = zeroTails_[i].Kept;
    return GaussianTail::FitLowerOf(ones, ones_, one) && GaussianTail::FitUpperOf(zeros, zeros_, zero);
}
