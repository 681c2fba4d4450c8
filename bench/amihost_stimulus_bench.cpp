// The jittered stimulus of a run made whole (Stimulus with
// EdgeJitter::Apply, as a run held it) against StimulusStream filling a
// chunk at a time, and against the whole wave as amihost made it before the
// stream (kept here as the reference). PRBS15, 32 samples per bit, RJ 0.1 UI
// and SJ 0.5 UI; items per second are samples per second. The stream holds
// one chunk and a few edges; the whole wave 8 bytes a sample.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "bench/CpuName.h"
#include "tools/amihost/signal/EdgeJitter.h"
#include "tools/amihost/signal/GaussianNoise.h"
#include "tools/amihost/signal/Prbs.h"
#include "tools/amihost/signal/Stimulus.h"
#include "tools/amihost/signal/StimulusStream.h"

namespace {

constexpr std::size_t Bits = 200000;
constexpr int Spb = 32;
constexpr double BitTime = 1e-10;
constexpr std::size_t Chunk = 4096;

EdgeJitter Jitter() { return EdgeJitter{0.1, 0.5, 1.1e8}; }

// The whole wave as it was made before the stream: NRZ by insertion, then
// each transition's samples moved in place.
std::vector<double> Before()
{
    const std::vector<int> bits = Prbs(15).Take(Bits);
    std::vector<double> wave;
    wave.reserve(Bits * Spb);
    for (int bit : bits)
        wave.insert(wave.end(), Spb, bit ? 0.5 : -0.5);
    const EdgeJitter j = Jitter();
    GaussianNoise random(1);
    const auto after = [](double n, double edge) { return std::clamp(n + 1.0 - edge, 0.0, 1.0); };
    for (std::size_t k = 1; k < bits.size(); ++k) {
        if (bits[k] == bits[k - 1])
            continue;
        const double shift = j.RjUi * random.Next() +
                             j.SjUi * std::sin(2.0 * 3.14159265358979323846 * j.SjHz * static_cast<double>(k) * BitTime);
        const double nominal = static_cast<double>(k) * Spb;
        const double moved = nominal + shift * Spb;
        const double end = std::min(static_cast<double>(wave.size()), std::ceil(std::max(nominal, moved)));
        for (double n = std::max(0.0, std::floor(std::min(nominal, moved))); n < end; n += 1.0)
            wave[static_cast<std::size_t>(n)] += (bits[k] ? 1.0 : -1.0) * (after(n, moved) - after(n, nominal));
    }
    return wave;
}

void WholeBefore(benchmark::State& state)
{
    for (auto _ : state) {
        std::vector<double> wave = Before();
        benchmark::DoNotOptimize(wave.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * Bits * Spb));
}
BENCHMARK(WholeBefore)->Unit(benchmark::kMillisecond);

void Whole(benchmark::State& state)
{
    for (auto _ : state) {
        Stimulus s = Stimulus::Prbs(15, Bits, Spb, 1.0);
        Jitter().Apply(s.Bits, Spb, BitTime, s.Swing, 1, s.Wave);
        benchmark::DoNotOptimize(s.Wave.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * Bits * Spb));
}
BENCHMARK(Whole)->Unit(benchmark::kMillisecond);

void Streamed(benchmark::State& state)
{
    std::vector<double> chunk(Chunk);
    for (auto _ : state) {
        StimulusStream stream = StimulusStream::Prbs(15, Bits, Spb, 1.0);
        stream.SetJitter(Jitter(), BitTime, 1);
        while (stream.Filled() < stream.TotalSamples()) {
            stream.Fill(chunk.data(), chunk.size());
            benchmark::DoNotOptimize(chunk.data());
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * Bits * Spb));
}
BENCHMARK(Streamed)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return RunNamingTheCpu(argc, argv); }
