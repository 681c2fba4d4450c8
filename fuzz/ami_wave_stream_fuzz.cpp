// Fuzz target of AMI_GetWave: a stream of calls through the exported entry
// point on an instance kept per timing, as a simulator (or a faulty one)
// makes them.
//
// AMI_Init runs once per timing (its Setup derives 16 filters from the table
// and is slow); every input then restarts the kept instance with the
// model's own Initialize, which clears the histories, and with a de of its
// choosing, so that an input does what it does whatever ran before it.
//
// Input, read front to back (a short input reads as zeros past its end):
//   byte 0    timing (see TimingOf: the cheaper ones more often)
//   byte 1    de (see Settings)
//   then per call, up to MaxCalls calls while input is left:
//     bytes   the size. In one input of 256 (FuzzInput::OneInputIn) the
//             first call is a long one, of 0 .. 70000 samples from three
//             bytes. Every other call reads a size class: below 176 a size
//             0 .. 63 from the next byte, below 240 0 .. 4199 from the next
//             two, else -1 .. -3 (a faulty size) from the next byte; the
//             calls of an input that are not long share ShortSamples
//     byte    flags: 1 null wave pointer, 2 null clock-time pointer
//     byte    sample kind, then the samples it reads (FuzzInput::FillWave)
//
// Besides sanitizer findings, the target traps when a result is not 0 or 1;
// when a non-empty successful call leaves no end mark -1 in the clock times
// or an empty one writes there; when a failed call changes the wave; when a
// call that had to fail (negative size, null wave, de out of range)
// succeeds; when a message piece does not end with a blank; or when a
// successful call leaves a non-finite sample although every sample so far
// was modest (|x| <= 1e100) at a bit time of at most a second.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "ami/AmiEntryPoints.h"
#include "ami/AmiInstance.h"
#include "fuzz/FuzzInput.h"

namespace {

using FuzzInput::Check;

struct Timing {
    double SampleInterval, BitTime; // seconds
};

// 5, 100 and 2047 taps a filter; and an absurd timing of 2.9e222 s at one
// sample a bit, whose single tap is near 1e226, so that modest samples
// overflow (its output is not expected to be finite).
constexpr Timing Timings[] = {
    {1e-9, 1e-9}, {5e-11, 1e-10}, {7.8125e-11 / 32, 7.8125e-11}, {2.9e222, 2.9e222}};
constexpr unsigned TimingCount = sizeof Timings / sizeof Timings[0];
// Byte 0 modulo 8 picks Timings[TimingOf[...]]: the default, whose block
// convolution costs 400 times the 5-tap one, once in 8.
constexpr unsigned TimingOf[8] = {0, 0, 0, 1, 1, 3, 3, 2};

constexpr double Settings[] = {0, 3, 7.5, 9, 11, 15, 14.5, -0.4, 15.5, -0.6,
                               std::numeric_limits<double>::quiet_NaN()};
constexpr unsigned SettingCount = sizeof Settings / sizeof Settings[0];

constexpr std::size_t MaxCalls = 10;
// Samples that the calls of an input share, but a long call. The block path
// takes them (the per-sample path fails at its first sample: de out of
// range), so what costs is the waves' own memory and the checks.
constexpr long ShortSamples = 4000;

void* HandleFor(unsigned timing)
{
    static void* handles[TimingCount] = {};
    if (handles[timing] == nullptr) {
        char parameters[] = "(Halvex_tx (de 15))";
        const Timing& at = Timings[timing];
        Check(AMI_Init(nullptr, 0, 0, at.SampleInterval, at.BitTime, parameters, nullptr,
                       &handles[timing], nullptr) == 1);
    }
    return handles[timing];
}

// A fresh start at setting `de`, as if Setup had read it (Setup hands de to
// the constant source).
void Restart(AmiInstance& instance, double de)
{
    instance.Model.de = de;
    instance.Model.DeSource.Value = de;
    Check(instance.Model.Initialize());
    instance.MessageText.clear();
}

long ShortCallSize(FuzzInput::Reader& in)
{
    const std::uint8_t sizeClass = in.Byte();
    if (sizeClass < 176)
        return in.Byte() % 64;
    if (sizeClass < 240)
        return static_cast<long>(in.Unsigned(2) % 4200);
    return -1 - static_cast<long>(in.Byte() % 3);
}

bool Modest(const std::vector<double>& wave)
{
    for (double x : wave)
        if (!(std::fabs(x) <= 1e100))
            return false;
    return true;
}

bool AllFinite(const std::vector<double>& wave)
{
    for (double x : wave)
        if (!std::isfinite(x))
            return false;
    return true;
}

// One AMI_GetWave call and its checks; updates whether every sample so far
// was modest.
void Call(void* handle, std::vector<double>& wave, long size, std::uint8_t flags, bool deValid,
          bool& modestSoFar)
{
    // The model writes at most the first clock time; the second must stay.
    double clock[2] = {7.0, 7.0};
    const std::vector<double> before = wave;
    const bool nullWave = (flags & 1) != 0;
    const long ok = AMI_GetWave(nullWave ? nullptr : wave.data(), size,
                                flags & 2 ? nullptr : clock, nullptr, handle);
    Check(ok == 0 || ok == 1);
    const bool mustFail = size < 0 || (nullWave && size > 0) || (size > 0 && !deValid);
    Check(!(mustFail && ok == 1));
    if (ok == 0) {
        for (std::size_t i = 0; i < wave.size(); ++i)
            Check(std::memcmp(&wave[i], &before[i], sizeof(double)) == 0);
        return;
    }
    Check(clock[1] == 7.0);
    if (!(flags & 2))
        Check(size == 0 ? clock[0] == 7.0 : clock[0] == -1.0);
    modestSoFar = modestSoFar && Modest(before);
    if (modestSoFar && !nullWave)
        Check(AllFinite(wave));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput::Reader in(data, size);
    const unsigned timing = TimingOf[in.Byte() % 8];
    void* handle = HandleFor(timing);
    AmiInstance& instance = *static_cast<AmiInstance*>(handle);
    const double de = Settings[in.Byte() % SettingCount];
    Restart(instance, de);
    const bool deValid = de > -0.5 && de < 15.5;

    // Every tap is a slope of the table (below 1e15 V/s) times the sample
    // interval, so at a bit time of at most a second modest samples give
    // finite sums; the absurd timing's taps are near 1e226.
    bool modestSoFar = Timings[timing].BitTime <= 1.0;
    const bool longCall = FuzzInput::OneInputIn(data, size, 256);
    long budget = ShortSamples;
    std::vector<double> wave;
    for (std::size_t call = 0; call < MaxCalls && !in.Done(); ++call) {
        long n;
        if (call == 0 && longCall) {
            n = static_cast<long>(in.Unsigned(3) % 70001);
        } else {
            n = std::min(ShortCallSize(in), budget);
            budget -= n > 0 ? n : 0;
        }
        const std::uint8_t flags = in.Byte();
        wave.assign(n > 0 ? static_cast<std::size_t>(n) : 0, 0.0);
        FuzzInput::FillWave(in, in.Byte(), wave);
        Call(handle, wave, n, flags, deValid, modestSoFar);
        const std::string& text = instance.MessageText;
        Check(text.empty() || (text.back() == ' ' && text.find('\n') == std::string::npos));
    }
    return 0;
}
