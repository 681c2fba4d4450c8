#include "tools/amihost/eye/EyeAccumulator.h"

#include <algorithm>
#include <limits>
#include <utility>

EyeAccumulator::EyeAccumulator(int samplesPerBit, long firstOffset, std::size_t offsets, std::size_t skipBits,
                               std::size_t totalBits, std::size_t totalSamples, std::size_t tailPoints, std::function<int()> symbols)
    : spb_(std::max(samplesPerBit, 1)), first_(firstOffset), offsets_(std::max<std::size_t>(offsets, 1)),
      skip_(skipBits), bits_(totalBits), total_(totalSamples), tailPoints_(tailPoints), symbols_(std::move(symbols))
{
    std::size_t size = 1;
    while (size < offsets_ + 1)
        size *= 2;
    ring_.assign(size, 0.0);
    mask_ = size - 1;
    const double inf = std::numeric_limits<double>::infinity();
    at_.resize(offsets_);
    for (Offset& o : at_) {
        o.LowestOne = inf;
        o.HighestZero = -inf;
        o.OneTail.reserve(tailPoints_);
        o.ZeroTail.reserve(tailPoints_);
    }
}

void EyeAccumulator::Add(const double* samples, std::size_t n)
{
    const long spb = spb_;
    const long last = first_ + static_cast<long>(offsets_) - 1;
    const std::size_t end = std::min(received_ + n, total_);
    for (std::size_t i = received_; i < end; ++i) {
        ring_[i & mask_] = samples[i - received_];
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
    ++measured_;
    const std::size_t from = static_cast<std::size_t>(start);
    for (std::size_t o = 0; o < offsets_; ++o) {
        const double v = ring_[(from + o) & mask_];
        Offset& at = at_[o];
        if (symbol) {
            ++at.Ones;
            at.LowestOne = std::min(at.LowestOne, v);
            if (tailPoints_ == 0)
                continue;
            if (at.OneTail.size() < tailPoints_) {
                at.OneTail.push_back(v);
                std::push_heap(at.OneTail.begin(), at.OneTail.end());
            } else if (v < at.OneTail.front()) {
                std::pop_heap(at.OneTail.begin(), at.OneTail.end());
                at.OneTail.back() = v;
                std::push_heap(at.OneTail.begin(), at.OneTail.end());
            }
        } else {
            ++at.Zeros;
            at.HighestZero = std::max(at.HighestZero, v);
            if (tailPoints_ == 0)
                continue;
            if (at.ZeroTail.size() < tailPoints_) {
                at.ZeroTail.push_back(v);
                std::push_heap(at.ZeroTail.begin(), at.ZeroTail.end(), std::greater<double>());
            } else if (v > at.ZeroTail.front()) {
                std::pop_heap(at.ZeroTail.begin(), at.ZeroTail.end(), std::greater<double>());
                at.ZeroTail.back() = v;
                std::push_heap(at.ZeroTail.begin(), at.ZeroTail.end(), std::greater<double>());
            }
        }
    }
}

double EyeAccumulator::HeightAt(std::size_t i, double* threshold) const
{
    const Offset& at = at_[i];
    if (at.Ones == 0 || at.Zeros == 0)
        return -std::numeric_limits<double>::infinity();
    if (threshold)
        *threshold = (at.LowestOne + at.HighestZero) / 2.0;
    return at.LowestOne - at.HighestZero;
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
    eye.BitCount = measured_;
    return eye;
}

bool EyeAccumulator::FitTails(std::size_t i, GaussianTail& one, GaussianTail& zero) const
{
    if (tailPoints_ == 0 || i >= offsets_)
        return false;
    std::vector<double> ones = at_[i].OneTail;
    std::vector<double> zeros = at_[i].ZeroTail;
    return GaussianTail::FitLowerOf(ones, at_[i].Ones, one) && GaussianTail::FitUpperOf(zeros, at_[i].Zeros, zero);
}
