// amihost end to end against the model alone, measured in the same run, on
// the demo's channel: the model's 0.6 m differential stripline (its
// Touchstone data made in memory, 57,523 taps at 32 samples per bit), de 8,
// bit time 78.125 ps, PRBS7.
//
// ModelAlone: the model's AMI_GetWave on an NRZ wave in 4096-sample calls,
// nothing else; items are samples. This is the ceiling of the host: a run
// cannot pass samples faster than the model it drives.
//
// Run/bits:N/random:R (N up to 10^7, a minute each): Simulation::Run through
// the channel with the eye and the bathtub (R = 1: with the random part's
// tail fits, as with noise or jitter; 0: the measured eye alone), no wave
// kept; items are the samples of the stimulus. A run's fixed costs (two
// AMI_Init, the step, the eye density's 100,000 traces: about a second)
// weigh on the shorter ones. Counters: of_model, its samples per second of CPU time over
// ModelAlone's (the goal: at least 0.5); peak_MB, the process's peak
// resident memory after it (runs go from fewer bits to more, so a peak that
// stays put says memory does not grow with the bits).
//
// Sweep/jobs:J: four settings (de 2, 6, 10, 14) of 20,000 bits each on J
// threads; items are samples, rate per second of wall time. Counter speedup:
// over the same on one thread (the goal: close to J where J cores are free).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "bench/CpuName.h"
#include "bench/NrzWave.h"
#include "tools/amihost/channel/DifferentialStripline.h"
#include "tools/amihost/channel/TouchstoneChannel.h"
#include "tools/amihost/host/AmiModel.h"
#include "tools/amihost/host/AmiSession.h"
#include "tools/amihost/host/ParallelRuns.h"
#include "tools/amihost/host/Simulation.h"

namespace {

constexpr double BitTime = 7.8125e-11;
constexpr int Spb = 32;
constexpr double SampleInterval = BitTime / Spb;

struct Setup {
    AmiModel Model;
    Channel Link;
    std::string Error;

    Setup()
    {
        if (!Model.Load(HALVEX_MODEL_PATH, Error))
            return;
        std::vector<double> frequencies;
        for (int i = 1; i <= 5000; ++i)
            frequencies.push_back(1e7 * i);
        const DifferentialStripline line;
        const std::string text = TouchstoneFile::Write(line.Network(frequencies, ThroughPath::Through12And34), 1, "");
        TouchstoneChannel::Make(text, "stripline.s4p", TouchstoneChannel::Options(), SampleInterval, Link, Error);
    }
};

const Setup& Shared()
{
    static const Setup setup;
    return setup;
}

double ModelRate = 0.0; // ModelAlone's samples per CPU second, for of_model

double CpuSeconds()
{
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

double PeakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void ModelAlone(benchmark::State& state)
{
    const Setup& s = Shared();
    if (!s.Error.empty()) {
        state.SkipWithError(s.Error.c_str());
        return;
    }
    const std::vector<double> wave = NrzWave(1 << 16, 1);
    AmiSession session(s.Model);
    std::string error;
    if (!session.Init(s.Link.ImpulseMatrix(SampleInterval), SampleInterval, BitTime, "(Halvex_tx (de 8))", error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::vector<double> block(4096);
    std::size_t at = 0;
    const double start = CpuSeconds();
    for (auto _ : state) {
        std::copy_n(wave.begin() + static_cast<std::ptrdiff_t>(at), block.size(), block.begin());
        at = (at + block.size()) % (wave.size() - block.size());
        if (!session.GetWave(block.data(), block.size(), error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        benchmark::DoNotOptimize(block.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * block.size()));
    ModelRate = static_cast<double>(state.iterations() * block.size()) / (CpuSeconds() - start);
    state.counters["M_samples_per_cpu_s"] = ModelRate * 1e-6;
}

SimulationConfig Config(const Setup& s, const StimulusStream& drive, bool random)
{
    SimulationConfig config;
    config.BitTime = BitTime;
    config.SamplesPerBit = Spb;
    config.ResponseBits = 600;
    config.Link = &s.Link;
    config.Drive = &drive;
    config.WaveRows = 0;
    config.Random = random ? BerAnalysis::RandomPart::Present : BerAnalysis::RandomPart::Absent;
    return config;
}

void Run(benchmark::State& state)
{
    const Setup& s = Shared();
    if (!s.Error.empty()) {
        state.SkipWithError(s.Error.c_str());
        return;
    }
    const StimulusStream drive = StimulusStream::Prbs(7, static_cast<std::size_t>(state.range(0)), Spb, 1.0);
    const SimulationConfig config = Config(s, drive, state.range(1) != 0);
    double cpu = 0.0;
    for (auto _ : state) {
        SimulationResult result;
        std::string error;
        const double start = CpuSeconds();
        if (!Simulation::Run(s.Model, config, "(Halvex_tx (de 8))", result, nullptr, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        cpu += CpuSeconds() - start;
        benchmark::DoNotOptimize(result.Eye.Height);
    }
    const double samples = static_cast<double>(state.iterations()) * static_cast<double>(drive.TotalSamples());
    state.SetItemsProcessed(static_cast<std::int64_t>(samples));
    state.counters["M_samples_per_cpu_s"] = samples / cpu * 1e-6;
    if (ModelRate > 0.0)
        state.counters["of_model"] = samples / cpu / ModelRate;
    state.counters["peak_MB"] = PeakMegabytes();
}

void Sweep(benchmark::State& state)
{
    const Setup& s = Shared();
    if (!s.Error.empty()) {
        state.SkipWithError(s.Error.c_str());
        return;
    }
    const StimulusStream drive = StimulusStream::Prbs(7, 20000, Spb, 1.0);
    const SimulationConfig config = Config(s, drive, false);
    const std::vector<std::string> settings = {"(Halvex_tx (de 2))", "(Halvex_tx (de 6))", "(Halvex_tx (de 10))",
                                               "(Halvex_tx (de 14))"};
    for (auto _ : state) {
        std::vector<SimulationResult> results(settings.size());
        RunInParallel(settings.size(), static_cast<unsigned>(state.range(0)), [&](std::size_t i) {
            std::string error;
            Simulation::Run(s.Model, config, settings[i], results[i], nullptr, error);
        });
        benchmark::DoNotOptimize(results.data());
    }
    const double samples = static_cast<double>(state.iterations() * settings.size() * drive.TotalSamples());
    state.SetItemsProcessed(static_cast<std::int64_t>(samples));
    // The rate per wall second; jobs:2's over jobs:1's is the speed-up.
    state.counters["samples_per_s"] = benchmark::Counter(samples, benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(ModelAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(Run)
    ->ArgsProduct({{100000, 1000000, 10000000}, {0, 1}})
    ->ArgNames({"bits", "random"})
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
BENCHMARK(Sweep)->Arg(1)->Arg(2)->ArgName("jobs")->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

int main(int argc, char** argv) { return RunNamingTheCpu(argc, argv); }
