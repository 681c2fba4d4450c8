// Differential fuzz target: the model's block path against its per-sample
// path, which stays the reference.
//
// Two instances per timing, set up once (Setup derives 16 filters from the
// table and is slow) and re-initialised for every input (Initialize only
// clears the histories and remakes the links): one takes the block path with
// the instruction set that each call chooses, the other fires the model once
// per sample. Both get the same de and the same calls; after every call the
// target traps unless the results, every output sample (bit for bit, NaN
// matching NaN), the end mark and the messages are the same, and after the
// last call also the model's observable state (tests/model/TwinState.h).
// Reading that state brings the block path's delay lines up to date, so it
// waits for the end: until then they lag behind across calls, as they do in
// use, and the per-sample calls between blocks must catch them up.
//
// Input, read front to back (a short input reads as zeros past its end):
//   byte 0    timing (see TimingOf: the cheaper ones more often)
//   byte 1    de (see Settings)
//   then per call, up to MaxCalls calls while input is left:
//     bytes   the size. In one input of 2048 (those whose FNV-1a hash is
//             a multiple of 2048) the first call is a long one, of 0 ..
//             70000 samples from three bytes, cut to LongCallBudget. Every
//             other call is short: below 192 a size 0 .. 63 from the next
//             byte, else 0 .. 4199 from the next two, cut to what is left
//             of CallBudget
//     byte    instruction set: one of this processor's levels, or (one
//             time in eight) none: both instances fire per sample
//     byte    sample kind, then the samples it reads (FuzzInput::FillWave)
//
// The per-sample twin is the cost: 16 filter firings a sample under the
// sanitizers. The short calls of an input share a budget of about 0.6 ms,
// and a long call, which may cross many of the block path's
// chunks, gets up to 0.7 s. The hash decides which inputs make one, so
// mutations of an input that did hardly ever do (the fuzzer cannot learn to
// make long calls and spend all its time on them), and a long call comes in
// one execution of 2048 whatever the corpus holds.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "ami/AmiInstance.h"
#include "fuzz/FuzzInput.h"
#include "tests/model/TwinState.h"

namespace {

using FuzzInput::Check;
using TorvaneModelBuilder::FirBlockKernels;

struct Timing {
    double SampleInterval, BitTime; // seconds
};

// 5 taps a filter; 100; 500, but 501 for table entry 11 (its span is a
// little longer); and the model's defaults, 2047.
constexpr Timing Timings[] = {
    {1e-9, 1e-9}, {5e-11, 1e-10}, {9.9918e-12, 9.9918e-11}, {7.8125e-11 / 32, 7.8125e-11}};
constexpr unsigned TimingCount = sizeof Timings / sizeof Timings[0];
// Byte 0 modulo 16 picks Timings[TimingOf[...]]: the 5-tap timing half the
// time, the default (whose per-sample twin costs 30 times as much) once in 16.
constexpr unsigned TimingOf[16] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 3};

// Every setting, halves that round away from zero, and values the selector
// refuses (the block path then steps aside for the per-sample one).
constexpr double Settings[] = {0,   1,   2,    3,    4,    5,    6,    7,     8,      9,
                               10,  11,  12,   13,   14,   15,   14.5, -0.4,  3.6,    15.5,
                               -0.5, 16, -1e300, 1e300, std::numeric_limits<double>::quiet_NaN()};
constexpr unsigned SettingCount = sizeof Settings / sizeof Settings[0];

constexpr std::size_t MaxCalls = 12;

// About the per-sample twin's nanoseconds per sample under the sanitizers:
// 16 firings, each some 550 ns of bookkeeping and 10 ns a tap.
double SampleCost(std::size_t taps)
{
    return 16.0 * (10.0 * static_cast<double>(taps) + 550.0);
}
constexpr double CallBudget = 6e5;       // the short calls of one input: 60 samples at 5 taps
constexpr double LongCallBudget = 7e8;   // 70000 samples at 5 taps, 2000 at 2047

struct Twins {
    AmiInstance Block;
    AmiInstance Reference;
    std::size_t Taps = 0; // of the longest filter
};

Twins& TwinsFor(unsigned timing)
{
    static std::unique_ptr<Twins> twins[TimingCount];
    if (!twins[timing]) {
        twins[timing] = std::make_unique<Twins>();
        Twins& t = *twins[timing];
        const Timing& at = Timings[timing];
        Check(t.Block.Init(at.SampleInterval, at.BitTime, "(Halvex_tx (de 15))"));
        Check(t.Reference.Init(at.SampleInterval, at.BitTime, "(Halvex_tx (de 15))"));
        for (const auto& filter : t.Block.Model.Filters)
            t.Taps = std::max(t.Taps, static_cast<std::size_t>(filter.NumTaps));
    }
    return *twins[timing];
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

std::size_t ShortCallSize(FuzzInput::Reader& in)
{
    if (in.Byte() < 192)
        return in.Byte() % 64;
    return static_cast<std::size_t>(in.Unsigned(2) % 4200);
}

// `wanted` samples, cut to what `budget` pays for at `cost` a sample.
std::size_t Afford(std::size_t wanted, double& budget, double cost)
{
    const double affordable = budget / cost;
    const std::size_t n = static_cast<double>(wanted) <= affordable ? wanted : static_cast<std::size_t>(affordable);
    budget -= static_cast<double>(n) * cost;
    return n;
}

// One of this processor's instruction sets, or null for the per-sample path.
const FirBlockKernels* Level(std::uint8_t choice)
{
    std::vector<const FirBlockKernels*> levels;
    using TorvaneModelBuilder::SimdLevel;
    for (SimdLevel level : {SimdLevel::Portable, SimdLevel::Sse2, SimdLevel::Avx2, SimdLevel::Avx512})
        if (const FirBlockKernels* kernels = TorvaneModelBuilder::FirBlockKernelsFor(level))
            levels.push_back(kernels);
    if (choice >= 224)
        return nullptr;
    return levels[choice % levels.size()];
}

// One call on both twins and its results compared; with `last` set also the
// model's state, the unrealised output links included (their sums cost a
// firing each).
void CompareCall(Twins& twins, const std::vector<double>& wave, const FirBlockKernels* kernels,
                 bool last)
{
    std::vector<double> a = wave, b = wave;
    double clockA[1] = {7.0}, clockB[1] = {7.0};
    twins.Block.BlockKernels = kernels;
    const bool okA = twins.Block.GetWave(a.data(), a.size(), clockA);
    const bool okB = twins.Reference.GetWave(b.data(), b.size(), clockB);
    Check(okA == okB);
    for (std::size_t i = 0; i < a.size(); ++i)
        Check(SameValue(a[i], b[i]));
    Check(SameValue(clockA[0], clockB[0]));
    Check(twins.Block.MessageText == twins.Reference.MessageText);
    if (!last)
        return;
    Halvex_tx& model = twins.Block.Model;
    const int selected =
        Halvex_tx::FilterSelectedBy(TorvaneModelBuilder::TypeConverterRound::Convert(model.DeSource.Value));
    Check(FirstDifference(model, twins.Reference.Model, selected).empty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput::Reader in(data, size);
    Twins& twins = TwinsFor(TimingOf[in.Byte() % 16]);
    const double de = Settings[in.Byte() % SettingCount];
    Restart(twins.Block, de);
    Restart(twins.Reference, de);
    twins.Reference.BlockKernels = nullptr;

    const double cost = SampleCost(twins.Taps);
    double longBudget = FuzzInput::OneInputIn(data, size, 2048) ? LongCallBudget : 0.0;
    double budget = CallBudget;
    std::vector<double> wave;
    for (std::size_t call = 0; call < MaxCalls && !in.Done(); ++call) {
        const std::size_t n = call == 0 && longBudget > 0.0
                                  ? Afford(static_cast<std::size_t>(in.Unsigned(3) % 70001), longBudget, cost)
                                  : Afford(ShortCallSize(in), budget, cost);
        const FirBlockKernels* kernels = Level(in.Byte());
        wave.assign(n, 0.0);
        FuzzInput::FillWave(in, in.Byte(), wave);
        CompareCall(twins, wave, kernels, call + 1 == MaxCalls || in.Done());
    }
    return 0;
}
