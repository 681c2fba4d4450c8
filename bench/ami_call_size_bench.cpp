// AMI_GetWave throughput against the size of each call, beside the limit that
// the exact summation order allows on this processor, both measured in the
// same run.
//
// GetWave/size:N: one instance at the model's defaults (bit time 78.125 ps,
// 32 samples per bit, 2047 taps a filter, de 9) fed a PRBS-like wave in
// calls of N samples; items are samples. Counter of_limit: that throughput
// (per second of this thread's CPU time) divided by the limit below.
//
// Limit: every output sample is a sum of 2047 products, each rounded before
// it is added, in a fixed order, so it costs at least 2047 multiplies and
// 2047 adds; only separate samples' sums can run side by side. The limit is
// that arithmetic alone, at the widest vector level this processor has, with
// no memory traffic at all: (sums x lanes x rounds / 2047) samples per second
// of CPU time. How many independent sums it takes to hide the adders' latency
// differs between cores (a 512-bit add on some is two 256-bit halves, on
// others one of two full-width units), so the limit is the best of 8, 12 and
// 16 sums (where the registers hold 16 without spilling). No program
// computing the model's exact bits can beat it. The context names the CPU.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <vector>

#include "ami/AmiEntryPoints.h"
#include "bench/CpuName.h"
#include "bench/NrzWave.h"
#include "runtime/filters/FirBlockKernel.h"

namespace {

constexpr double BitTime = 7.8125e-11;
constexpr double SampleInterval = BitTime / 32;
constexpr double TermsPerSample = 2047.0;

// ---- The exact-order limit --------------------------------------------------

// Rounds of C independent vector sums acc = t * s + acc, each multiply kept
// apart from its add (the build never fuses them). The products are C
// different ones (two opaque t times C/2 s), so none is shared, and the empty
// asm makes both t opaque each round, so every product is computed anew.
// C + C/2 + 2 vector registers: 26 at 16 sums, which AVX-512's 32 hold.
#if defined(__x86_64__)
typedef double V2 __attribute__((vector_size(16)));
typedef double V4 __attribute__((vector_size(32)));
typedef double V8 __attribute__((vector_size(64)));

// One function per level and number of sums, each compiled for its instruction set.
#define HALVEX_CHAINS(V, C)                                                     \
    V acc[C] = {};                                                              \
    V s[C / 2];                                                                 \
    for (int r = 0; r < C / 2; ++r)                                             \
        s[r] = V{} + (1.001 + r * 1e-3);                                        \
    V t0 = V{} + 1e-9;                                                          \
    V t1 = V{} + 2e-9;                                                          \
    for (long i = 0; i < rounds; ++i) {                                         \
        asm volatile("" : "+v"(t0), "+v"(t1));                                  \
        for (int r = 0; r < C / 2; ++r) {                                       \
            acc[r] = t0 * s[r] + acc[r];                                        \
            acc[r + C / 2] = t1 * s[r] + acc[r + C / 2];                        \
        }                                                                       \
    }                                                                           \
    double sum = 0.0;                                                           \
    for (int r = 0; r < C; ++r)                                                 \
        sum += acc[r][0];                                                       \
    return sum;

__attribute__((target("avx512f"))) double ChainsAvx512x8(long rounds) { HALVEX_CHAINS(V8, 8) }
__attribute__((target("avx512f"))) double ChainsAvx512x12(long rounds) { HALVEX_CHAINS(V8, 12) }
__attribute__((target("avx512f"))) double ChainsAvx512x16(long rounds) { HALVEX_CHAINS(V8, 16) }
__attribute__((target("avx2"))) double ChainsAvx2x8(long rounds) { HALVEX_CHAINS(V4, 8) }
__attribute__((target("avx2"))) double ChainsAvx2x12(long rounds) { HALVEX_CHAINS(V4, 12) }
double ChainsSse2x8(long rounds) { HALVEX_CHAINS(V2, 8) }
double ChainsSse2x12(long rounds) { HALVEX_CHAINS(V2, 12) }
#endif

double ChainsPortable(long rounds)
{
    double acc[8] = {};
    double t = 1e-9;
    for (long i = 0; i < rounds; ++i) {
        benchmark::DoNotOptimize(t);
        for (int r = 0; r < 8; ++r)
            acc[r] = t * (1.001 + r * 1e-3) + acc[r];
    }
    return acc[0] + acc[7];
}

struct LimitVariant {
    double (*Run)(long rounds);
    double LanesPerRound; // sums x lanes
};

// The variants of the widest level, the last entry null.
const LimitVariant* LimitVariants()
{
    using TorvaneModelBuilder::SimdLevel;
    static const LimitVariant portable[] = {{ChainsPortable, 8}, {nullptr, 0}};
#if defined(__x86_64__)
    static const LimitVariant avx512[] = {
        {ChainsAvx512x8, 8 * 8}, {ChainsAvx512x12, 12 * 8}, {ChainsAvx512x16, 16 * 8}, {nullptr, 0}};
    static const LimitVariant avx2[] = {{ChainsAvx2x8, 8 * 4}, {ChainsAvx2x12, 12 * 4}, {nullptr, 0}};
    static const LimitVariant sse2[] = {{ChainsSse2x8, 8 * 2}, {ChainsSse2x12, 12 * 2}, {nullptr, 0}};
    switch (TorvaneModelBuilder::BestSimdLevel()) {
    case SimdLevel::Avx512:
        return avx512;
    case SimdLevel::Avx2:
        return avx2;
    case SimdLevel::Sse2:
        return sse2;
    default:
        break;
    }
#endif
    return portable;
}

double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Samples per CPU second of `variant` over `rounds` rounds.
double Rate(const LimitVariant& variant, long rounds)
{
    const double start = ThreadSeconds();
    benchmark::DoNotOptimize(variant.Run(rounds));
    const double seconds = ThreadSeconds() - start;
    return variant.LanesPerRound * static_cast<double>(rounds) / TermsPerSample / seconds;
}

// The best variant's rate, each variant timed `repeats` times over `rounds`
// rounds and kept at its fastest (a preempted run only reads slower).
double MeasureLimit(long rounds, int repeats)
{
    double best = 0.0;
    for (const LimitVariant* v = LimitVariants(); v->Run != nullptr; ++v)
        for (int r = 0; r < repeats; ++r)
            best = std::max(best, Rate(*v, rounds));
    return best;
}

// The limit as the Limit benchmark measured it in this run (it runs first),
// or measured here when a filter left it out.
double measuredLimit = 0.0;

double LimitSamplesPerSecond()
{
    if (measuredLimit == 0.0)
        measuredLimit = MeasureLimit(20000000, 3);
    return measuredLimit;
}

void Limit(benchmark::State& state)
{
    for (auto _ : state)
        measuredLimit = std::max(measuredLimit, MeasureLimit(1000000, 1));
    state.counters["samples_per_second"] = measuredLimit;
    state.SetLabel("exact-order limit");
}
BENCHMARK(Limit)->Unit(benchmark::kMillisecond);

// ---- The model --------------------------------------------------------------

void GetWave(benchmark::State& state)
{
    const double limit = LimitSamplesPerSecond();
    char parameters[] = "(Halvex_tx (de 9))";
    void* handle = nullptr;
    if (AMI_Init(nullptr, 0, 0, SampleInterval, BitTime, parameters, nullptr, &handle, nullptr) != 1) {
        AMI_Close(handle);
        state.SkipWithError("AMI_Init failed");
        return;
    }
    const std::size_t size = static_cast<std::size_t>(state.range(0));
    // A fresh stretch of the signal for every call (filtering the output
    // again would drift towards overflow), cycling through 1 MB.
    const std::vector<double> source = NrzWave(size > 131072 ? size : 131072, 3);
    std::vector<double> wave(size);
    double clock[2];
    std::size_t at = 0;
    const double start = ThreadSeconds();
    for (auto _ : state) {
        // The copy costs one store per sample against 2047 multiply-adds.
        if (at + size > source.size())
            at = 0;
        std::copy(source.begin() + at, source.begin() + at + size, wave.begin());
        at += size;
        AMI_GetWave(wave.data(), static_cast<long>(size), clock, nullptr, handle);
        benchmark::DoNotOptimize(wave.data());
    }
    const double seconds = ThreadSeconds() - start;
    AMI_Close(handle);
    const double samples = static_cast<double>(state.iterations()) * size;
    state.SetItemsProcessed(static_cast<int64_t>(samples));
    state.counters["of_limit"] = seconds > 0.0 ? samples / seconds / limit : 0.0;
    state.SetLabel(TorvaneModelBuilder::FirBlockKernelsFor(TorvaneModelBuilder::BestSimdLevel())->Name);
}
BENCHMARK(GetWave)
    ->ArgName("size")
    ->Arg(1)->Arg(8)->Arg(32)->Arg(128)->Arg(1024)->Arg(4096)->Arg(65536)
    ->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) { return RunNamingTheCpu(argc, argv); }
