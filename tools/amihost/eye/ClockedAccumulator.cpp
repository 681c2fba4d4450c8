#include "tools/amihost/eye/ClockedAccumulator.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "tools/amihost/eye/ClockedEye.h"

ClockedAccumulator::ClockedAccumulator(int samplesPerBit, std::size_t latency, std::size_t skipBits,
                                       std::size_t totalBits, std::size_t totalSamples, std::size_t history,
                                       std::function<int()> symbols)
    : spb_(std::max(samplesPerBit, 1)), latency_(latency), skip_(skipBits), bits_(totalBits), total_(totalSamples),
      symbols_(std::move(symbols)),
      ring_(std::max<std::size_t>(history, 2 * static_cast<std::size_t>(std::max(samplesPerBit, 1)) + 3), 0.0),
      lowestOne_(2 * static_cast<std::size_t>(spb_) + 1, std::numeric_limits<double>::infinity()),
      highestZero_(2 * static_cast<std::size_t>(spb_) + 1, -std::numeric_limits<double>::infinity())
{
}

void ClockedAccumulator::AddSamples(const double* samples, std::size_t n)
{
    const std::size_t end = std::min(received_ + n, total_);
    for (std::size_t i = received_; i < end; ++i)
        ring_[i % ring_.size()] = samples[i - received_];
    received_ = end;
    Settle();
}

void ClockedAccumulator::AddInstant(double instant)
{
    ++instants_;
    const double spb = spb_;
    const double last = total_ > 0 ? static_cast<double>(total_ - 1) : -1.0;
    if (!(instant - spb >= 0.0 && instant + spb <= last)) // NaN fails too
        return;
    const long long k = ClockedEye::BitOf(instant, latency_, spb_);
    if (k < static_cast<long long>(skip_) || k >= static_cast<long long>(bits_))
        return;
    waiting_.push_back(instant);
    Settle();
}

void ClockedAccumulator::Settle()
{
    while (!waiting_.empty()) {
        const double s = waiting_.front();
        // The last sample read: floor(s) + spb + 1, or the wave's last.
        const std::size_t reach =
            std::min(static_cast<std::size_t>(std::floor(s)) + static_cast<std::size_t>(spb_) + 1, total_ - 1);
        if (reach >= received_)
            return;
        waiting_.pop_front();
        const std::size_t first = static_cast<std::size_t>(std::floor(s - spb_));
        if (first + ring_.size() < received_)
            ++late_;
        else
            Measure(s);
    }
}

int ClockedAccumulator::Symbol(std::size_t bit)
{
    // Instants increase, so their bits never go back: the symbols are read
    // once, in order.
    while (nextSymbol_ <= bit) {
        lastSymbol_ = symbols_();
        ++nextSymbol_;
    }
    return lastSymbol_;
}

double ClockedAccumulator::ValueAt(double s) const
{
    const std::size_t i = static_cast<std::size_t>(std::floor(s));
    const double here = ring_[i % ring_.size()];
    if (i + 1 >= total_)
        return here;
    return here + (s - static_cast<double>(i)) * (ring_[(i + 1) % ring_.size()] - here);
}

void ClockedAccumulator::Measure(double s)
{
    const std::size_t k = static_cast<std::size_t>(ClockedEye::BitOf(s, latency_, spb_));
    const int symbol = Symbol(k);
    ++measured_;
    phase_ += s - static_cast<double>(k) * spb_;
    ones_ = ones_ || symbol;
    zeros_ = zeros_ || !symbol;
    for (int delta = -spb_; delta <= spb_; ++delta) {
        const double v = ValueAt(s + delta);
        const std::size_t at = static_cast<std::size_t>(delta + spb_);
        if (symbol)
            lowestOne_[at] = std::min(lowestOne_[at], v);
        else
            highestZero_[at] = std::max(highestZero_[at], v);
    }
}

EyeResult ClockedAccumulator::Eye() const
{
    EyeResult eye;
    eye.FirstBit = skip_;
    eye.BitCount = measured_;
    if (!ones_ || !zeros_)
        return eye;
    std::vector<double> height(lowestOne_.size());
    for (std::size_t i = 0; i < height.size(); ++i)
        height[i] = lowestOne_[i] - highestZero_[i];
    const double threshold = (lowestOne_[spb_] + highestZero_[spb_]) / 2.0;
    return ClockedEye::FromHeights(height, threshold, phase_ / static_cast<double>(measured_), measured_, skip_,
                                   spb_);
}
