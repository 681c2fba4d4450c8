// The channel's convolution at 46,750 taps (a measured channel at 32 samples
// a bit), items are samples: StreamConvolver fed in chunks of its
// PreferredChunk() (and, for the price of ragged cuts, in chunks of 10,007),
// beside the whole-wave overlap-add on the radix-2 complex FFT that amihost
// used before, kept here as the reference of the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "bench/CpuName.h"
#include "tools/amihost/signal/StreamConvolver.h"

namespace {

constexpr std::size_t Taps = 46750;

std::vector<double> Response()
{
    // A decaying random response: the speed does not depend on the values.
    std::mt19937 random(5);
    std::uniform_real_distribution<double> level(-1.0, 1.0);
    std::vector<double> h(Taps);
    for (std::size_t k = 0; k < Taps; ++k)
        h[k] = level(random) * std::exp(-static_cast<double>(k) / 8000.0) * 1e-3;
    return h;
}

std::vector<double> Wave(std::size_t n)
{
    std::mt19937 random(3);
    std::vector<double> wave(n);
    for (std::size_t i = 0; i < n; ++i)
        wave[i] = (i / 32 + random()) % 2 ? 0.5 : -0.5;
    return wave;
}

// The reference "before": in-place radix-2 transform, twiddles from the angle.
void Radix2(std::vector<std::complex<double>>& data, bool inverse)
{
    const std::size_t n = data.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(data[i], data[j]);
    }
    const double pi = std::acos(-1.0);
    for (std::size_t span = 2; span <= n; span <<= 1) {
        const double angle = (inverse ? 2.0 : -2.0) * pi / static_cast<double>(span);
        const std::size_t half = span / 2;
        for (std::size_t k = 0; k < half; ++k) {
            const std::complex<double> w(std::cos(angle * static_cast<double>(k)),
                                         std::sin(angle * static_cast<double>(k)));
            for (std::size_t start = 0; start < n; start += span) {
                const std::complex<double> a = data[start + k];
                const std::complex<double> b = data[start + k + half] * w;
                data[start + k] = a + b;
                data[start + k + half] = a - b;
            }
        }
    }
    if (inverse)
        for (std::complex<double>& x : data)
            x /= static_cast<double>(n);
}

// The whole-wave overlap-add of before: complex blocks of N >= 2m.
void OldOverlapAdd(const double* x, std::size_t n, const std::vector<double>& h, double* y)
{
    const std::size_t m = h.size();
    std::size_t size = 1;
    while (size < 2 * m)
        size *= 2;
    const std::size_t block = size - m + 1;
    std::vector<std::complex<double>> response(size);
    for (std::size_t k = 0; k < m; ++k)
        response[k] = h[k];
    Radix2(response, false);
    std::fill(y, y + n, 0.0);
    std::vector<std::complex<double>> work(size);
    for (std::size_t start = 0; start < n; start += block) {
        const std::size_t length = std::min(block, n - start);
        std::fill(work.begin(), work.end(), std::complex<double>());
        for (std::size_t i = 0; i < length; ++i)
            work[i] = x[start + i];
        Radix2(work, false);
        for (std::size_t k = 0; k < size; ++k)
            work[k] *= response[k];
        Radix2(work, true);
        const std::size_t reach = std::min(size, n - start);
        for (std::size_t i = 0; i < reach; ++i)
            y[start + i] += work[i].real();
    }
}

// Eight blocks of the stream's (L = 84,323 at 46,750 taps) per iteration.
std::size_t WaveLength()
{
    return 8 * StreamConvolver(std::vector<double>(Taps, 0.0)).PreferredChunk();
}

void Before(benchmark::State& state)
{
    const std::vector<double> h = Response();
    const std::vector<double> x = Wave(WaveLength());
    std::vector<double> y(x.size());
    for (auto _ : state) {
        OldOverlapAdd(x.data(), x.size(), h, y.data());
        benchmark::DoNotOptimize(y.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * x.size()));
    state.counters["Msamples/s"] =
        benchmark::Counter(static_cast<double>(x.size()) * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(Before)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Argument: the chunk, 0 for PreferredChunk().
void Stream(benchmark::State& state)
{
    StreamConvolver convolver(Response());
    const std::size_t chunk = state.range(0) == 0 ? convolver.PreferredChunk() : static_cast<std::size_t>(state.range(0));
    const std::vector<double> x = Wave(WaveLength());
    std::vector<double> y(x.size());
    for (auto _ : state) {
        y = x;
        for (std::size_t done = 0; done < y.size(); done += chunk)
            convolver.Process(y.data() + done, std::min(chunk, y.size() - done));
        benchmark::DoNotOptimize(y.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * x.size()));
    state.counters["Msamples/s"] =
        benchmark::Counter(static_cast<double>(x.size()) * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
    state.SetLabel("chunk " + std::to_string(chunk));
}
BENCHMARK(Stream)->ArgName("chunk")->Arg(0)->Arg(10007)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char** argv) { return RunNamingTheCpu(argc, argv); }
