// Soak: 10,000,000 samples of a PRBS-like wave through one instance at the
// model's defaults (bit time 78.125 ps, 32 samples per bit, de 9), in
// AMI_GetWave calls of random sizes (1 .. 65536, log-uniform, seed fixed),
// then the same wave through a second instance in one call. Counters:
//   rss_init_kib    resident set after AMI_Init, before the first call
//   rss_warm_kib    after the first 1,000,000 samples
//   rss_end_kib     after all 10,000,000
//   rss_growth_kib  rss_end_kib - rss_warm_kib: flat memory means about 0
//   identical       1 when the soaked output equals the one-call output bit
//                   for bit, else 0 (and the benchmark reports an error)
// The reference, not the soak, holds the 80 MB wave copies; it runs after
// the soak's figures are taken.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "ami/AmiEntryPoints.h"
#include "bench/CpuName.h"
#include "bench/NrzWave.h"

namespace {

constexpr double BitTime = 7.8125e-11;
constexpr double SampleInterval = BitTime / 32;
constexpr std::size_t TotalSamples = 10000000;
constexpr std::size_t WarmSamples = 1000000;

// VmRSS of this process from /proc/self/status, KiB; -1 where unavailable.
double ResidentKib()
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr)
        return -1.0;
    char line[256];
    double kib = -1.0;
    while (std::fgets(line, sizeof line, status) != nullptr)
        if (std::strncmp(line, "VmRSS:", 6) == 0)
            kib = std::atof(line + 6);
    std::fclose(status);
    return kib;
}

void* Open()
{
    char parameters[] = "(Halvex_tx (de 9))";
    void* handle = nullptr;
    char* message = nullptr;
    if (AMI_Init(nullptr, 0, 0, SampleInterval, BitTime, parameters, nullptr, &handle, &message) != 1) {
        AMI_Close(handle);
        return nullptr;
    }
    return handle;
}

void Soak(benchmark::State& state)
{
    const std::vector<double> input = NrzWave(TotalSamples, 5);
    std::vector<double> soaked = input;
    std::vector<double> clock;
    double init = 0.0, warm = 0.0, end = 0.0;
    bool identical = false;
    std::size_t calls = 0;
    for (auto _ : state) {
        void* handle = Open();
        if (handle == nullptr) {
            state.SkipWithError("AMI_Init failed");
            return;
        }
        std::mt19937 random(7);
        std::uniform_real_distribution<double> exponent(0.0, 16.0);
        clock.assign(65537, 0.0);
        init = ResidentKib();
        bool ok = true;
        for (std::size_t start = 0; start < TotalSamples && ok; ++calls) {
            const std::size_t size =
                std::min(static_cast<std::size_t>(std::exp2(exponent(random))), TotalSamples - start);
            ok = AMI_GetWave(soaked.data() + start, static_cast<long>(size), clock.data(), nullptr, handle) == 1;
            if (start < WarmSamples && start + size >= WarmSamples)
                warm = ResidentKib();
            start += size;
        }
        end = ResidentKib();
        AMI_Close(handle);
        if (!ok) {
            state.SkipWithError("AMI_GetWave failed");
            return;
        }

        state.PauseTiming();
        std::vector<double> once = input;
        std::vector<double> onceClock(TotalSamples + 1);
        void* reference = Open();
        ok = reference != nullptr &&
             AMI_GetWave(once.data(), static_cast<long>(TotalSamples), onceClock.data(), nullptr, reference) == 1;
        AMI_Close(reference);
        identical = ok && std::memcmp(once.data(), soaked.data(), TotalSamples * sizeof(double)) == 0;
        state.ResumeTiming();
    }
    state.counters["calls"] = static_cast<double>(calls);
    state.counters["rss_init_kib"] = init;
    state.counters["rss_warm_kib"] = warm;
    state.counters["rss_end_kib"] = end;
    state.counters["rss_growth_kib"] = end - warm;
    state.counters["identical"] = identical ? 1.0 : 0.0;
    state.SetItemsProcessed(static_cast<int64_t>(TotalSamples));
    if (!identical)
        state.SkipWithError("the soaked output differs from the one-call output");
}
BENCHMARK(Soak)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) { return RunNamingTheCpu(argc, argv); }
