// The entry points at the model's defaults (bit time 78.125 ps, 32 samples
// per bit): AMI_GetWave throughput (items are samples), through the
// per-sample path and the block path in the same run, and AMI_Init's time.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "ami/AmiEntryPoints.h"
#include "ami/AmiInstance.h"
#include "bench/CpuName.h"

namespace {

constexpr double BitTime = 7.8125e-11;
constexpr double SampleInterval = BitTime / 32;

void* Open()
{
    char parameters[] = "(Halvex_tx (de 9))";
    void* handle = nullptr;
    char* message = nullptr;
    AMI_Init(nullptr, 0, 0, SampleInterval, BitTime, parameters, nullptr, &handle, &message);
    return handle;
}

std::vector<double> Prbs(std::size_t n)
{
    std::mt19937 random(3);
    std::vector<double> wave(n);
    for (std::size_t i = 0; i < n; ++i)
        wave[i] = (i / 32 + random()) % 2 ? 0.5 : -0.5;
    return wave;
}

// Arguments: block size, and 1 for the block path or 0 for the per-sample path.
void GetWave(benchmark::State& state)
{
    void* handle = Open();
    AmiInstance& instance = *static_cast<AmiInstance*>(handle);
    if (state.range(1) == 0)
        instance.BlockKernels = nullptr;
    state.SetLabel(instance.BlockKernels != nullptr ? instance.BlockKernels->Name : "per sample");
    const std::size_t block = static_cast<std::size_t>(state.range(0));
    std::vector<double> wave = Prbs(block);
    std::vector<double> clock(block + 1);
    for (auto _ : state) {
        AMI_GetWave(wave.data(), static_cast<long>(block), clock.data(), nullptr, handle);
        benchmark::DoNotOptimize(wave.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * block));
    AMI_Close(handle);
}
BENCHMARK(GetWave)
    ->ArgsProduct({{1, 1024, 1280}, {0, 1}})
    ->ArgNames({"block", "fast"})
    ->Unit(benchmark::kMicrosecond);

void InitAndClose(benchmark::State& state)
{
    for (auto _ : state)
        AMI_Close(Open());
}
BENCHMARK(InitAndClose)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return RunNamingTheCpu(argc, argv); }
