#include "model/Halvex_txBlockRunner.h"

#include <algorithm>
#include <limits>

using namespace TorvaneModelBuilder;

namespace {

constexpr std::size_t Filters = Halvex_tx::NumFilters;

// One input in, one output out, history in a ring of NumTaps + 2 elements
// that the filter's own storage backs.
bool PlainConvolution(const TimeResponseFIR& filter)
{
    return filter.Decimation == 1 && filter.Interpolation == 1 && filter.DecimationPhase == 0 &&
           filter.NumTaps >= 1 && filter.TapsPerPhase == filter.NumTaps &&
           filter.DelayStorage != nullptr && filter.DelayLine.Data == filter.DelayStorage &&
           filter.DelayLine.Capacity == static_cast<std::size_t>(filter.NumTaps) + 2 &&
           filter.DelayLine.Size == 1 && filter.DelayLine.Position < filter.DelayLine.Capacity;
}

bool Attached(const CircularBufferBase& port) { return port.Data != nullptr && port.Capacity > 0; }

} // namespace

bool Halvex_txBlockRunner::Prepare(const Halvex_tx& model, SimdLevel level)
{
    kernels_ = nullptr;
    const FirBlockKernels* kernels = FirBlockKernelsFor(level);
    if (kernels == nullptr)
        return false;

    longestTaps_ = 0;
    commonTaps_ = std::numeric_limits<std::size_t>::max();
    for (std::size_t f = 0; f < Filters; ++f) {
        taps_[f] = model.Filters[f].Taps;
        numTaps_[f] = model.Filters[f].NumTaps;
        sampleRate_[f] = model.Filters[f].SampleRate;
        const std::size_t n = numTaps_[f] > 0 ? static_cast<std::size_t>(numTaps_[f]) : 0;
        longestTaps_ = std::max(longestTaps_, n);
        commonTaps_ = std::min(commonTaps_, n);
    }
    if (longestTaps_ == 0 || commonTaps_ == 0)
        return false;

    bankTaps_.assign(commonTaps_ * Filters, 0.0);
    for (std::size_t k = 0; k < commonTaps_; ++k)
        for (std::size_t f = 0; f < Filters; ++f)
            bankTaps_[k * Filters + f] = taps_[f][k];
    work_.assign(longestTaps_ - 1 + ChunkSize, 0.0);
    newest_.assign(longestTaps_, 0.0);
    kernels_ = kernels;
    return true;
}

bool Halvex_txBlockRunner::Applies(const Halvex_tx& model) const
{
    if (kernels_ == nullptr)
        return false;
    for (std::size_t f = 0; f < Filters; ++f) {
        const TimeResponseFIR& filter = model.Filters[f];
        if (filter.Taps != taps_[f] || filter.NumTaps != numTaps_[f] ||
            !(filter.SampleRate == sampleRate_[f]) || !PlainConvolution(filter))
            return false;
    }
    for (void* link : model.LinkArrays)
        if (link == nullptr)
            return false;
    if (!Attached(model.InputPort) || !Attached(model.OutputPort) || !Attached(model.AuxOutputPort))
        return false;
    if (model.Selector.BlockSize != 1 || model.Selector.Inputs.Count != Filters ||
        model.Splitter.Outputs.Count != Filters + 1)
        return false;
    // Past its delay the constant source emits Value at every firing.
    const ConstUnTimed<double>& source = model.DeSource;
    if (source.InitialDelay < 0 || source.FiringCount < static_cast<std::uint64_t>(source.InitialDelay))
        return false;
    const int32_t control = TypeConverterRound::Convert(source.Value);
    return control >= 0 && control < Halvex_tx::NumFilters;
}

void Halvex_txBlockRunner::Process(Halvex_tx& model, double* wave, std::size_t n)
{
    if (n == 0)
        return;
    const double value = model.DeSource.Value;
    const int32_t control = TypeConverterRound::Convert(value);
    const int selected = Halvex_tx::FilterSelectedBy(control);
    const double lastInput = wave[n - 1];

    for (std::size_t start = 0; start < n; start += ChunkSize)
        ProcessChunk(model, selected, wave + start, std::min(ChunkSize, n - start));
    StoreNewestOutputs(model);

    // The last firing's values on every other link and port, as Run leaves them.
    const double scaled = lastInput * model.InputGain.GainValue;
    model.InputPort.ElementAt(0) = lastInput;
    model.InputBridge.ElementAt(0) = lastInput; // link 0, InputGain's input
    model.InputGain.Output.ElementAt(0) = scaled;
    for (std::size_t i = 0; i < model.Splitter.Outputs.Count; ++i)
        model.Splitter.Outputs.At(i)->ElementAt(0) = scaled;
    model.AuxOutputPort.ElementAt(0) = scaled;
    model.DeSource.Output.ElementAt(0) = value;
    model.DeRound.Output.ElementAt(0) = control;
    model.Selector.Control = control;
    const double output = model.Filters[selected].Output.ElementAt(0);
    model.Selector.Output.ElementAt(0) = output;
    model.OutputPort.ElementAt(0) = output;
    model.DeSource.FiringCount += n;
}

void Halvex_txBlockRunner::ProcessChunk(Halvex_tx& model, int selected, double* wave,
                                        std::size_t m)
{
    // Selected filter: its last N - 1 inputs (logical offsets L-N .. L-2 of
    // its ring, oldest first), then the chunk's scaled inputs, contiguous.
    TimeResponseFIR& filter = model.Filters[selected];
    const std::size_t numTaps = static_cast<std::size_t>(filter.NumTaps);
    const std::size_t ring = numTaps + 2;
    filter.DelayLine.ReadBlock(ring - numTaps, work_.data(), numTaps - 1);
    double* scaled = work_.data() + numTaps - 1;
    const double gain = model.InputGain.GainValue;
    for (std::size_t i = 0; i < m; ++i)
        scaled[i] = wave[i] * gain;
    kernels_->Convolve(filter.Taps, numTaps, scaled, wave, m);

    // Every ring takes the inputs as m firings would: firing i stores its
    // sample at logical offset L-1 from the position it starts with, then
    // moves the position by one. Only the last L of them survive.
    for (TimeResponseFIR& each : model.Filters) {
        CircularBuffer<double>& line = each.DelayLine;
        const std::size_t capacity = line.Capacity;
        const std::size_t first = m > capacity ? m - capacity : 0;
        line.WriteBlock((first + capacity - 1) % capacity, scaled + first, m - first);
        line.Position = (line.Position + m) % capacity;
    }
}

void Halvex_txBlockRunner::StoreNewestOutputs(Halvex_tx& model)
{
    // The common history, newest last, from a ring long enough for every filter.
    std::size_t longest = 0;
    while (static_cast<std::size_t>(model.Filters[longest].NumTaps) != longestTaps_)
        ++longest;
    CircularBuffer<double>& line = model.Filters[longest].DelayLine;
    line.ReadBlock(line.Capacity - 1 - longestTaps_, newest_.data(), longestTaps_);
    const double* newest = newest_.data() + longestTaps_ - 1;

    double sums[Filters];
    kernels_->BankNewest(bankTaps_.data(), Filters, commonTaps_, newest, sums);
    for (std::size_t f = 0; f < Filters; ++f) {
        // Filters longer than the common part go on in the same order alone.
        double acc = sums[f];
        for (std::size_t k = commonTaps_; k < static_cast<std::size_t>(numTaps_[f]); ++k)
            acc = taps_[f][k] * *(newest - k) + acc;
        model.Filters[f].Output.ElementAt(0) = acc;
    }
}
