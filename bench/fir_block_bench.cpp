// Block convolution kernels against the plain serial sum, 2047 taps as in the
// transmitter model; items per second are output samples per second.
// Kernel/<level>/<outputs>: a block of 4096 outputs, and one of 32, the
// outputs of a 32-sample call (its sums are all the work a call can overlap).
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "bench/CpuName.h"
#include "runtime/filters/FirBlockKernel.h"

using namespace TorvaneModelBuilder;

namespace {

constexpr std::size_t NumTaps = 2047;
constexpr std::size_t Block = 4096;

struct Data {
    Data() : taps(NumTaps), x(NumTaps - 1 + Block), y(Block)
    {
        std::mt19937 random(1);
        std::uniform_real_distribution<double> level(-1.0, 1.0);
        for (double& t : taps)
            t = level(random);
        for (double& v : x)
            v = level(random);
    }
    std::vector<double> taps, x, y;
};

void SerialReference(benchmark::State& state)
{
    Data d;
    const double* x = d.x.data() + NumTaps - 1;
    for (auto _ : state) {
        for (std::size_t i = 0; i < Block; ++i) {
            double acc = 0.0;
            for (std::size_t k = 0; k < NumTaps; ++k)
                acc = d.taps[k] * x[static_cast<std::ptrdiff_t>(i) - static_cast<std::ptrdiff_t>(k)] + acc;
            d.y[i] = acc;
        }
        benchmark::DoNotOptimize(d.y.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * Block));
}
BENCHMARK(SerialReference)->Unit(benchmark::kMillisecond);

void Kernel(benchmark::State& state)
{
    const FirBlockKernels* kernels = FirBlockKernelsFor(static_cast<SimdLevel>(state.range(0)));
    if (kernels == nullptr) {
        state.SkipWithError("instruction set not available");
        return;
    }
    state.SetLabel(kernels->Name);
    const std::size_t outputs = static_cast<std::size_t>(state.range(1));
    Data d;
    for (auto _ : state) {
        kernels->Convolve(d.taps.data(), NumTaps, d.x.data() + NumTaps - 1, d.y.data(), outputs);
        benchmark::DoNotOptimize(d.y.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * outputs));
}
BENCHMARK(Kernel)
    ->ArgsProduct({benchmark::CreateDenseRange(0, 3, 1), {static_cast<int64_t>(Block), 32}})
    ->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) { return RunNamingTheCpu(argc, argv); }
