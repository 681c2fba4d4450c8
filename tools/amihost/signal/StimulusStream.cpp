#include "tools/amihost/signal/StimulusStream.h"

#include <algorithm>
#include <cmath>

StimulusStream::StimulusStream(SymbolReader symbols, std::size_t bits, int samplesPerBit, double amplitude)
    : symbols_(symbols), bits_(bits), spb_(samplesPerBit > 0 ? static_cast<std::size_t>(samplesPerBit) : 0),
      samples_(bits * spb_), amplitude_(amplitude), swing_(amplitude), levels_(symbols), edgeBits_(symbols)
{
}

StimulusStream StimulusStream::Prbs(int order, std::size_t bits, int samplesPerBit, double amplitude)
{
    StimulusStream s(SymbolReader::OfPrbs(order), bits, samplesPerBit, amplitude);
    s.description_ = "PRBS" + std::to_string(order) + ", " + std::to_string(bits) + " bits";
    return s;
}

StimulusStream StimulusStream::Step(std::size_t bits, int samplesPerBit, double amplitude)
{
    StimulusStream s(SymbolReader::OfStep(bits), bits, samplesPerBit, amplitude);
    s.description_ = "step at bit " + std::to_string(bits / 2) + " of " + std::to_string(bits);
    return s;
}

StimulusStream StimulusStream::Pulse(std::size_t bits, int samplesPerBit, double amplitude)
{
    StimulusStream s(SymbolReader::OfPulse(bits), bits, samplesPerBit, amplitude);
    s.description_ = "single pulse at bit " + std::to_string(bits / 2) + " of " + std::to_string(bits);
    return s;
}

StimulusStream StimulusStream::FromWave(Stimulus whole)
{
    auto held = std::make_shared<const Stimulus>(std::move(whole));
    StimulusStream s(SymbolReader::OfHeld(std::shared_ptr<const std::vector<int>>(held, &held->Bits)),
                     held->Bits.size(), held->SamplesPerBit, 0.0);
    // The file sets the length, which need not be whole bits.
    s.samples_ = held->Wave.size();
    s.swing_ = held->Swing;
    s.description_ = held->Description;
    s.held_ = std::move(held);
    return s;
}

void StimulusStream::SetJitter(const EdgeJitter& jitter, double bitTime, std::uint64_t seed)
{
    if (!jitter.Any() || spb_ < 1)
        return;
    jitter_ = jitter;
    bitTime_ = bitTime;
    random_.emplace(seed);
    // The bound is finite for the option table's ranges; a wild one (or
    // NaN) makes every edge before the first sample rather than overflow.
    const double shift = jitter.MaxShiftUi();
    const double bits = static_cast<double>(bits_);
    const double reachBits = shift < bits ? std::ceil(shift) : bits;
    reach_ = static_cast<std::size_t>(reachBits) * spb_ + 1;
}

void StimulusStream::FillLevels(double* out, std::size_t from, std::size_t to)
{
    if (held_) {
        std::copy(held_->Wave.begin() + static_cast<std::ptrdiff_t>(from),
                  held_->Wave.begin() + static_cast<std::ptrdiff_t>(to), out);
        return;
    }
    for (std::size_t n = from; n < to;) {
        const std::size_t bit = n / spb_;
        while (levelBit_ <= bit) {
            level_ = Level(levels_.Next(), amplitude_);
            ++levelBit_;
        }
        const std::size_t end = std::min(to, (bit + 1) * spb_);
        std::fill(out + (n - from), out + (end - from), level_);
        n = end;
    }
}

void StimulusStream::MakeEdgesBelow(std::size_t end)
{
    // Transitions are at bits k >= 1: bit 0 is read as the one before.
    if (edgeBit_ == 0 && bits_ > 0) {
        previous_ = edgeBits_.Next();
        edgeBit_ = 1;
    }
    while (edgeBit_ < bits_ && edgeBit_ * spb_ < end + reach_) {
        const std::size_t k = edgeBit_++;
        const int bit = edgeBits_.Next();
        if ((bit != 0) != (previous_ != 0))
            edges_.push_back(jitter_->EdgeAt(k, bit != 0, static_cast<int>(spb_), bitTime_, swing_, samples_,
                                             *random_));
        previous_ = bit;
    }
}

void StimulusStream::Fill(double* out, std::size_t n)
{
    const std::size_t from = next_;
    const std::size_t to = from + std::min(n, samples_ - from);
    FillLevels(out, from, to);
    next_ = to;
    if (!jitter_)
        return;
    MakeEdgesBelow(to);
    for (const EdgeJitter::Edge& edge : edges_)
        if (edge.First < to && edge.End > from)
            EdgeJitter::AddEdge(edge, from, to, out);
    while (!edges_.empty() && edges_.front().End <= to)
        edges_.pop_front();
}
