// FIR::Run against the plain formula evaluated in the same run.
//
// The model fires 16 filters of 2047 taps per sample, so FIR<double,0>::Run
// is the hot loop of the product. The reference below is the sum as
// written: the general phase loops, a tap-index test per tap, a history of
// its own shifted by one element per sample, one local accumulator. Both add the same terms in the same
// order; each benchmark first checks that their outputs agree bit for bit.
// "Chain" is a floor for comparison: the same number of dependent
// multiply-adds over two plain arrays, with no ring and no block around it.
// "Setup" times TimeResponseFIR::Setup on a table of the model's size (the
// points of one entry of the step-response table, over about 5 ns at 32
// samples per 78.125 ps bit: 2047 taps); the model builds 16 per instance.

#include <benchmark/benchmark.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "bench/CpuName.h"
#include "model/StepResponseTable.h"
#include "runtime/filters/FIR.h"
#include "runtime/filters/FirKernel.h"
#include "runtime/filters/TimeResponseFIR.h"

namespace {

using TorvaneModelBuilder::FIR;
using TorvaneModelBuilder::FirMultiplyAdd;
using Complex = std::complex<double>;

constexpr int ModelTaps = 2047;

template <typename T>
T Draw(std::mt19937& gen);
template <>
double Draw<double>(std::mt19937& gen)
{
    return std::uniform_real_distribution<double>(-1.0, 1.0)(gen);
}
template <>
Complex Draw<Complex>(std::mt19937& gen)
{
    return Complex(Draw<double>(gen), Draw<double>(gen));
}

// One filter with its taps and one-firing port storage.
template <typename T>
struct Bench {
    FIR<T, 0> Filter;
    std::vector<T> Taps, In, Out;

    Bench(int numTaps, int decimation, int interpolation)
        : In(decimation), Out(interpolation)
    {
        std::mt19937 gen(3);
        for (int i = 0; i < numTaps; ++i)
            Taps.push_back(Draw<T>(gen));
        Filter.Taps = Taps.data();
        Filter.NumTaps = numTaps;
        Filter.Decimation = decimation;
        Filter.Interpolation = interpolation;
        Filter.DecimationPhase = decimation - 1;
        if (!Filter.Setup())
            std::abort();
        Filter.Input.Attach(In.data(), In.size(), In.size(), 0);
        Filter.Output.Attach(Out.data(), Out.size(), Out.size(), 0);
        Filter.Initialize();
    }
};

// The firing exactly as the formula reads, over a ring of its own (the
// filter's delay line is its own business): P + D samples, the newest at
// `newest`, wrapped once per term.
template <typename T>
struct NaiveFiring {
    std::vector<T> Ring;
    std::ptrdiff_t Newest = 0;

    void Run(FIR<T, 0>& f)
    {
        const int d = f.Decimation, i = f.Interpolation, p = f.TapsPerPhase;
        const std::ptrdiff_t size = p + d;
        if (Ring.size() != static_cast<std::size_t>(size))
            Ring.assign(static_cast<std::size_t>(size), T{});
        for (int k = 0; k < d; ++k) {
            Newest = Newest + 1 == size ? 0 : Newest + 1;
            Ring[static_cast<std::size_t>(Newest)] = f.Input.ElementAt(static_cast<std::size_t>(k));
        }
        int a = f.DecimationPhase;
        std::size_t o = 0;
        for (int j = 1; j <= d; ++j) {
            for (; a < i; a += d) {
                T y{};
                for (int k = 0; k < p; ++k) {
                    const int t = a + k * i;
                    std::ptrdiff_t at = Newest - (d - j) - k;
                    if (at < 0)
                        at += size;
                    if (t < f.NumTaps)
                        y = FirMultiplyAdd(f.Taps[t], Ring[static_cast<std::size_t>(at)], y);
                }
                f.Output.ElementAt(o++) = y;
            }
            a -= i;
        }
    }
};

template <typename T>
void CheckSameBits(int numTaps, int decimation, int interpolation)
{
    Bench<T> block(numTaps, decimation, interpolation), naive(numTaps, decimation, interpolation);
    NaiveFiring<T> reference;
    std::mt19937 gen(5);
    for (int n = 0; n < 3 * numTaps; ++n) {
        for (std::size_t k = 0; k < block.In.size(); ++k)
            block.In[k] = naive.In[k] = Draw<T>(gen);
        block.Filter.Run();
        reference.Run(naive.Filter);
        if (std::memcmp(block.Out.data(), naive.Out.data(), block.Out.size() * sizeof(T)) != 0) {
            std::fprintf(stderr, "FIR::Run and the naive firing disagree\n");
            std::abort();
        }
    }
}

template <typename T, bool naive>
void BM_Fir(benchmark::State& state)
{
    const int d = static_cast<int>(state.range(0)), i = static_cast<int>(state.range(1));
    CheckSameBits<T>(ModelTaps, d, i);
    Bench<T> b(ModelTaps, d, i);
    NaiveFiring<T> reference;
    std::mt19937 gen(9);
    std::vector<T> x(4096);
    for (T& v : x)
        v = Draw<T>(gen);
    std::size_t n = 0;
    for (auto _ : state) {
        for (T& v : b.In)
            v = x[n++ & 4095];
        if (naive)
            reference.Run(b.Filter);
        else
            b.Filter.Run();
        benchmark::DoNotOptimize(b.Out.data());
        benchmark::ClobberMemory();
    }
    state.counters["taps/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * ModelTaps * i / d, benchmark::Counter::kIsRate);
}

// 2047 dependent multiply-adds over plain arrays: what no ring, no block and
// no loop structure would cost.
void BM_Chain(benchmark::State& state)
{
    Bench<double> b(ModelTaps, 1, 1);
    std::vector<double> h(b.Taps.rbegin(), b.Taps.rend());
    for (auto _ : state) {
        double acc = 0.0;
        for (int k = 0; k < ModelTaps; ++k)
            acc = h[k] * b.Taps[k] + acc;
        benchmark::DoNotOptimize(acc);
        benchmark::ClobberMemory();
    }
}

// The model's sample: 16 filters of 2047 taps fed the same input.
template <bool naive>
void BM_SixteenFilters(benchmark::State& state)
{
    std::vector<Bench<double>*> filters;
    std::vector<NaiveFiring<double>> references(16);
    for (int f = 0; f < 16; ++f)
        filters.push_back(new Bench<double>(ModelTaps, 1, 1));
    double v = 0.0;
    for (auto _ : state) {
        v = v < 1.0 ? v + 0.25 : -1.0;
        for (std::size_t f = 0; f < filters.size(); ++f) {
            Bench<double>* b = filters[f];
            b->In[0] = v;
            if (naive)
                references[f].Run(b->Filter);
            else
                b->Filter.Run();
            benchmark::DoNotOptimize(b->Out[0]);
        }
    }
    for (Bench<double>* b : filters)
        delete b;
}

// A smooth step response of a table entry's size; Setup shifts the stamps
// only on its first call, every later call walks the same (shifted) table.
void BM_TimeResponseSetup(benchmark::State& state)
{
    constexpr int points = StepResponseLayout::PointCount;
    constexpr double span = 4.9966e-9, rate = 32.0 / 78.125e-12;
    std::vector<double> stamps(points), values(points);
    for (int k = 0; k < points; ++k) {
        stamps[k] = 1e-10 + span * k / (points - 1);
        values[k] = 1.0 - std::exp(-stamps[k] / 3e-11) * std::cos(stamps[k] / 5e-11);
    }
    TorvaneModelBuilder::TimeResponseFIR filter;
    filter.Response = values.data();
    filter.ResponseTimeStamps = stamps.data();
    filter.NumResponse = filter.NumResponseTimeStamps = points;
    filter.SampleRate = rate;
    for (auto _ : state) {
        if (!filter.Setup())
            std::abort();
        benchmark::DoNotOptimize(filter.Taps);
    }
    state.counters["taps"] = filter.NumTaps;
}

} // namespace

BENCHMARK(BM_Fir<double, false>)->Name("Run/double")->Args({1, 1})->Args({2, 3});
BENCHMARK(BM_Fir<double, true>)->Name("Naive/double")->Args({1, 1})->Args({2, 3});
BENCHMARK(BM_Fir<Complex, false>)->Name("Run/complex")->Args({1, 1});
BENCHMARK(BM_Fir<Complex, true>)->Name("Naive/complex")->Args({1, 1});
BENCHMARK(BM_Chain)->Name("Chain/double");
BENCHMARK(BM_SixteenFilters<false>)->Name("Run/16x2047");
BENCHMARK(BM_SixteenFilters<true>)->Name("Naive/16x2047");
BENCHMARK(BM_TimeResponseSetup)->Name("Setup/TimeResponseFIR/47000")->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) { return RunNamingTheCpu(argc, argv); }
