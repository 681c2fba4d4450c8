#include "runtime/filters/FIR.h"

#include <algorithm>
#include <complex>
#include <cstddef>

#include "runtime/filters/FirBlockKernel.h"
#include "runtime/filters/FirKernel.h"

namespace TorvaneModelBuilder {

template <typename T, int mode>
bool FIR<T, mode>::Setup()
{
    bool ok = true;
    if (NumTaps < 1) {
        ReportError("There must be at least one Tap");
        ok = false;
    }
    if (Decimation < 1) {
        ReportError("Decimation must be > 0");
        ok = false;
    }
    if (DecimationPhase < 0) {
        ReportError("DecimationPhase must be >= 0");
        ok = false;
    }
    if (DecimationPhase >= Decimation) {
        ReportError("DecimationPhase must be < Decimation ratio");
        ok = false;
    }
    if (Interpolation < 1) {
        ReportError("Interpolation must be > 0");
        return false;
    }
    if (!ok)
        return false;

    Input.SetSize(static_cast<std::size_t>(Decimation));
    Output.SetSize(static_cast<std::size_t>(Interpolation));
    // 64-bit so that extreme rates cannot overflow; for every valid size the
    // value is the same as in 32-bit arithmetic.
    const std::int64_t historyLength =
        std::int64_t{NumTaps} / Interpolation + 1 + std::int64_t{Decimation};
    DelayLine.MaxSize = static_cast<std::size_t>(historyLength);
    DelayLine.Size = static_cast<std::size_t>(Decimation);
    TapsPerPhase = NumTaps / Interpolation + (NumTaps % Interpolation != 0 ? 1 : 0);
    return true;
}

template <typename T, int mode>
bool FIR<T, mode>::Initialize()
{
    delete[] DelayStorage;
    const std::size_t length = DelayLine.MaxSize;
    DelayStorage = new T[length];
    DelayLine.Attach(DelayStorage, length, DelayLine.Size, 0);
    DelayLine.Clear(0, length, nullptr);
    return true;
}

template <typename T, int mode>
bool FIR<T, mode>::Run()
{
    const std::size_t d = static_cast<std::size_t>(Decimation);
    const std::size_t length = DelayLine.Capacity;
    Input.CopyTo(0, DelayLine, length - d, d);

    const T* ring = DelayLine.Elements();
    const std::int64_t numTaps = NumTaps;
    const std::int64_t interpolation = Interpolation;
    std::int64_t phase = DecimationPhase;
    std::size_t o = 0;
    for (std::size_t j = 1; j <= d; ++j) {
        // The j-th new sample is the newest term of every output of this round.
        const std::size_t newest = DelayLine.IndexAt(length - d + j - 1);
        for (; phase < interpolation; phase += Decimation) {
            // Taps phase, phase + I, ... below NumTaps; the rest are left out.
            const std::int64_t terms =
                phase < numTaps ? (numTaps - phase + interpolation - 1) / interpolation : 0;
            Output.ElementAt(o++) =
                terms > 0 ? FirDotRing(Taps + phase, static_cast<std::size_t>(interpolation),
                                       static_cast<std::size_t>(terms), ring, length, newest)
                          : T();
        }
        phase -= interpolation;
    }
    DelayLine.Advance();
    return true;
}

template <typename T, int mode>
bool FIR<T, mode>::Finalize()
{
    delete[] DelayStorage;
    DelayStorage = nullptr;
    DelayLine.Attach(nullptr, 0, DelayLine.Size, 0);
    return true;
}

template <typename T, int mode>
FIR<T, mode>::~FIR()
{
    delete[] DelayStorage;
}

template <typename T, int mode>
std::size_t FIR<T, mode>::BlockScratchSize(std::size_t count) const
{
    return static_cast<std::size_t>(NumTaps > 0 ? NumTaps - 1 : 0) + count + FirBlockOverread;
}

template <typename T, int mode>
void FIR<T, mode>::FilterBlock(const T* in, T* out, std::size_t n, BlockConvolveFn convolve,
                               T* scratch)
{
    if (n == 0)
        return;
    if (n == 1) {
        // One sum: straight over the ring, without copying the history.
        const T sample = in[0];
        PushBlock(&sample, 1);
        out[0] = NewestOutput();
        return;
    }
    // The newest NumTaps - 1 samples, oldest first (logical offsets
    // L - NumTaps .. L - 2 after a firing), then the block: one contiguous
    // signal whose every window the kernel sums like a firing.
    const std::size_t history = static_cast<std::size_t>(NumTaps) - 1;
    DelayLine.ReadBlock(DelayLine.Capacity - history - 1, scratch, history);
    T* block = scratch + history;
    std::copy(in, in + n, block);
    FilterHistory(block, out, n, convolve);
}

template <typename T, int mode>
void FIR<T, mode>::FilterHistory(const T* x, T* out, std::size_t n, BlockConvolveFn convolve)
{
    ConvolveHistory(x, out, n, convolve);
    PushBlock(x, n);
}

template <typename T, int mode>
void FIR<T, mode>::ConvolveHistory(const T* x, T* out, std::size_t n,
                                   BlockConvolveFn convolve) const
{
    convolve(Taps, static_cast<std::size_t>(NumTaps), x, out, n);
}

template <typename T, int mode>
void FIR<T, mode>::PushBlock(const T* in, std::size_t n)
{
    PushNewest(in + n, n);
}

template <typename T, int mode>
void FIR<T, mode>::PushNewest(const T* end, std::size_t n)
{
    // Firing i stores its sample at logical offset L-1 from the position it
    // starts with, then advances by one. Only the last L firings leave a
    // sample in the line; the ones before them only move the position.
    const std::size_t length = DelayLine.Capacity;
    const std::size_t kept = std::min(n, length);
    DelayLine.Position = (DelayLine.Position + (n - kept) % length) % length;
    DelayLine.WriteBlock(length - 1, end - kept, kept);
    DelayLine.Position = (DelayLine.Position + kept) % length;
}

template <typename T, int mode>
T FIR<T, mode>::NewestOutput() const
{
    // The newest sample sits at logical offset L-2 after a firing.
    return FirDotRing(Taps, 1, static_cast<std::size_t>(NumTaps), DelayLine.Elements(),
                      DelayLine.Capacity, DelayLine.IndexAt(DelayLine.Capacity - 2));
}

template class FIR<double, 0>;
template class FIR<double, 1>;
template class FIR<std::complex<double>, 0>;

} // namespace TorvaneModelBuilder
