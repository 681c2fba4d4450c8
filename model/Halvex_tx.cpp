#include "model/Halvex_tx.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "model/StepResponseTable.h"

using namespace TorvaneModelBuilder;

namespace {

static_assert(Halvex_tx::NumFilters == StepResponseLayout::EntryCount,
              "one filter per table entry");

constexpr int ResponsePoints = StepResponseLayout::PointCount;

double* CopyOf(const double* source)
{
    double* copy = new double[ResponsePoints];
    std::copy(source, source + ResponsePoints, copy);
    return copy;
}

// Allocates one zeroed element for connection `slot` and attaches the writing
// and the reading port to it, so that a failed firing never leaves a reader
// looking at uninitialised memory.
template <typename T>
void Connect(void*& slot, CircularBuffer<T>& writer, CircularBuffer<T>& reader)
{
    T* cell = new T();
    slot = cell;
    writer.Attach(cell, 1, 1, 0);
    reader.Attach(cell, 1, 1, 0);
}

} // namespace

Halvex_tx::Halvex_tx()
{
    for (TimeResponseFIR& filter : Filters) {
        filter.Response = nullptr;
        filter.ResponseTimeStamps = nullptr;
    }
}

Halvex_tx::~Halvex_tx()
{
    ReleaseLinks();
    ReleaseResponses();
    ReleaseWindow();
}

bool Halvex_tx::Setup()
{
    CatchUpDelayLines(); // while the window and the rings still match
    ReleaseResponses();
    windowCurrent_ = false; // the taps may change; Initialize sizes the window anew
    bool ok = true;
    const double sampleRate = SamplesPerBit / BitTime;
    for (int j = 0; j < NumFilters; ++j) {
        TimeResponseFIR& filter = Filters[j];
        filter.ResponseType = TimeResponseFIR::StepResponse;
        filter.Response = CopyOf(StepResponseValues(j));
        filter.NumResponse = ResponsePoints;
        filter.ResponseTimeStamps = CopyOf(StepResponseTimeStamps(j));
        filter.NumResponseTimeStamps = ResponsePoints;
        filter.SampleRate = sampleRate;
        ok = filter.Setup() && ok;
    }
    ok = DeRound.Setup() && ok;
    Selector.BlockSize = 1;
    Selector.Inputs.Resize(NumFilters);
    ok = Selector.Setup() && ok;
    DeSource.InitialDelay = 0;
    DeSource.Value = de;
    ok = DeSource.Setup() && ok;
    InputGain.GainValue = 1.1;
    ok = InputGain.Setup() && ok;
    Splitter.Outputs.Resize(NumFilters + 1);
    ok = Splitter.Setup() && ok;
    InputPort.SetSize(1);
    OutputPort.SetSize(1);
    AuxOutputPort.SetSize(1);
    return ok;
}

bool Halvex_tx::Initialize()
{
    ReleaseLinks();
    Connect(LinkArrays[InputLink], InputBridge, InputGain.Input);
    Connect(LinkArrays[OutputLink], Selector.Output, OutputBridge);
    Connect(LinkArrays[AuxOutputLink], *Splitter.Outputs.At(NumFilters), AuxOutputBridge);
    for (int j = 0; j < NumFilters; ++j)
        Connect(LinkArrays[FilterOutputLink(j)], Filters[j].Output,
                *Selector.Inputs.At(SelectorInputOf[j]));
    Connect(LinkArrays[DeRoundLink], DeRound.Output, SelectorControl);
    Connect(LinkArrays[DeSourceLink], DeSource.Output, DeRound.Input);
    Connect(LinkArrays[GainLink], InputGain.Output, Splitter.Input);
    for (int j = 0; j < NumFilters; ++j)
        Connect(LinkArrays[FilterInputLink(j)], *Splitter.Outputs.At(j), Filters[j].Input);

    const bool ok = EverySubBlock(&DFModel::Initialize);

    // The window: every delay line now holds zeros, and so does it.
    ReleaseWindow();
    windowSource_ = 0;
    for (int j = 1; j < NumFilters; ++j)
        if (Filters[j].NumTaps > Filters[windowSource_].NumTaps)
            windowSource_ = j;
    // A whole delay line, so that the window can bring any of them up to date.
    windowHistory_ = Filters[windowSource_].DelayLine.Capacity;
    windowSize_ = windowHistory_ + 2 * BlockChunk + FirBlockOverread;
    window_ = new double[windowSize_]();
    windowStart_ = 0;
    windowCurrent_ = ok;
    return ok;
}

bool Halvex_tx::Run()
{
    CatchUpDelayLines();
    windowCurrent_ = false;
    bool ok = FireInput();
    for (int j = NumFilters - 1; j >= 0; --j)
        ok = Filters[j].Run() && ok;
    return FireSelection() && ok;
}

bool Halvex_tx::FireInput()
{
    InputPort.CopyTo(0, InputBridge, 0, 1);
    const bool ok = InputGain.Run();
    return Splitter.Run() && ok;
}

bool Halvex_tx::FireSelection()
{
    bool ok = DeSource.Run();
    ok = DeRound.Run() && ok;
    Selector.Control = SelectorControl.ElementAt(0);
    ok = Selector.Run() && ok;
    // Both copies happen even after a failed block, as the caller reads the ports.
    OutputBridge.CopyTo(0, OutputPort, 0, 1);
    AuxOutputBridge.CopyTo(0, AuxOutputPort, 0, 1);
    return ok;
}

bool Halvex_tx::BlockPathApplies() const
{
    // The window as the last Initialize made it for these taps.
    if (window_ == nullptr || windowHistory_ != Filters[windowSource_].DelayLine.Capacity)
        return false;
    for (const TimeResponseFIR& filter : Filters)
        if (!filter.IsPlainConvolution() || filter.DelayLine.Capacity > windowHistory_)
            return false;
    for (void* link : LinkArrays)
        if (link == nullptr)
            return false;
    for (const DoubleBuffer* port : {&InputPort, &OutputPort, &AuxOutputPort})
        if (port->Data == nullptr || port->Capacity == 0)
            return false;
    if (Selector.BlockSize != 1 || Selector.Inputs.Count != NumFilters ||
        Splitter.Outputs.Count != NumFilters + 1)
        return false;
    // Past its delay the constant source emits Value at every firing.
    if (DeSource.InitialDelay < 0 ||
        DeSource.FiringCount < static_cast<std::uint64_t>(DeSource.InitialDelay))
        return false;
    return FilterSelectedBy(TypeConverterRound::Convert(DeSource.Value)) >= 0;
}

void Halvex_tx::RunBlock(double* wave, std::size_t n, FirBlockConvolveFn convolve)
{
    if (n == 0)
        return;
    const int selected = FilterSelectedBy(TypeConverterRound::Convert(DeSource.Value));
    const double lastInput = wave[n - 1];
    if (!windowCurrent_)
        RefreshWindow();
    for (std::size_t start = 0; start < n; start += BlockChunk) {
        const std::size_t m = std::min(BlockChunk, n - start);
        // The chunk times the gain goes straight after the history: the
        // selected filter reads both in one piece. The delay lines take it
        // in when something reads them (CatchUpDelayLines).
        double* chunk = window_ + WindowRoomFor(m) + windowHistory_;
        InputGain.ScaleBlock(wave + start, chunk, m);
        Filters[selected].ConvolveHistory(chunk, wave + start, m, convolve);
        windowStart_ += m;
        linesBehind_ += m;
    }
    // Only the selected filter's output is realised; the header says why
    // the others' may stay as they are.
    Filters[selected].Output.ElementAt(0) = wave[n - 1];

    // The last of the n firings through the blocks themselves, so that every
    // link, port and count holds what Run leaves; the n - 1 firings before it
    // only counted in the constant source.
    DeSource.FiringCount += n - 1;
    InputPort.ElementAt(0) = lastInput;
    FireInput();
    FireSelection();
}

void Halvex_tx::RefreshWindow()
{
    // After a firing a delay line of L elements holds the last L samples,
    // the oldest at logical offset L - 1 and the others, oldest first, at
    // 0 .. L - 2: read from L - 1 on, the ring wraps into that order.
    DoubleBuffer& line = Filters[windowSource_].DelayLine;
    line.ReadBlock(line.Capacity - 1, window_, windowHistory_);
    windowStart_ = 0;
    windowCurrent_ = true;
}

void Halvex_tx::CatchUpDelayLines()
{
    if (linesBehind_ == 0)
        return;
    // The window holds at least the longest line's worth of the newest
    // samples (BlockPathApplies held when RunBlock took them in).
    const double* end = window_ + windowStart_ + windowHistory_;
    for (TimeResponseFIR& filter : Filters)
        filter.PushNewest(end, linesBehind_);
    linesBehind_ = 0;
}

std::size_t Halvex_tx::WindowRoomFor(std::size_t m)
{
    // The kernel reads up to FirBlockOverread samples past the chunk.
    if (windowStart_ + windowHistory_ + m + FirBlockOverread > windowSize_) {
        std::copy(window_ + windowStart_, window_ + windowStart_ + windowHistory_, window_);
        windowStart_ = 0;
    }
    return windowStart_;
}

bool Halvex_tx::Finalize()
{
    const bool ok = EverySubBlock(&DFModel::Finalize);
    ReleaseLinks();
    ReleaseResponses();
    ReleaseWindow();
    return ok;
}

bool Halvex_tx::EverySubBlock(bool (DFModel::*operation)())
{
    bool ok = true;
    for (TimeResponseFIR& filter : Filters)
        ok = (filter.*operation)() && ok;
    for (DFModel* block : std::initializer_list<DFModel*>{&DeRound, &Selector, &DeSource,
                                                           &InputGain, &Splitter})
        ok = (block->*operation)() && ok;
    return ok;
}

void Halvex_tx::ReleaseLinks()
{
    for (int i = 0; i < NumLinks; ++i) {
        if (i == DeRoundLink)
            delete static_cast<int*>(LinkArrays[i]);
        else
            delete static_cast<double*>(LinkArrays[i]);
        LinkArrays[i] = nullptr;
    }
}

void Halvex_tx::ReleaseResponses()
{
    for (TimeResponseFIR& filter : Filters) {
        delete[] filter.Response;
        delete[] filter.ResponseTimeStamps;
        filter.Response = nullptr;
        filter.ResponseTimeStamps = nullptr;
    }
}

void Halvex_tx::ReleaseWindow()
{
    delete[] window_;
    window_ = nullptr;
    windowSize_ = 0;
    windowHistory_ = 0;
    windowStart_ = 0;
    windowCurrent_ = false;
    linesBehind_ = 0; // the rings go or are replaced with it
}
