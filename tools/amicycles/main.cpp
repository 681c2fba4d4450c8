// amicycles MODEL [CYCLES]: loads an IBIS-AMI model as a simulator does and
// runs CYCLES (default 100) instances through AMI_Init, AMI_GetWave calls of
// random sizes and AMI_Close, varying what a simulator varies (de, the
// timing, NaN and infinite samples) and what a faulty one does (a bad
// timing, de out of range, a negative size, calls after a failed AMI_Init).
// Every result is checked against what the model promises; the exit status
// is 0 only when all agree. Run under a memory checker, it shows that no
// path leaks or touches memory it does not own.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "tools/amihost/host/AmiModel.h"

namespace {

// What one cycle does and what it must return.
struct Cycle {
    double SampleInterval;
    double BitTime;
    std::string Parameters;
    bool InitSucceeds;   // timing valid
    bool WaveSucceeds;   // de within 0 .. 15 after rounding
};

Cycle Plan(int index, std::mt19937& random)
{
    const int samplesPerBit = 1 + static_cast<int>(random() % 40);
    const double bitTime = 5e-11 + 1e-11 * static_cast<double>(random() % 10);
    Cycle cycle{bitTime / samplesPerBit, bitTime, "", true, true};
    switch (index % 10) {
    case 7: // de out of range: AMI_Init accepts it, every AMI_GetWave fails
        cycle.Parameters = "(Halvex_tx (de 15.6))";
        cycle.WaveSucceeds = false;
        break;
    case 8: // no de: the default with a warning
        cycle.Parameters = "(Halvex_tx)";
        break;
    case 9: // a timing AMI_Init refuses
        cycle.SampleInterval = index % 20 == 9 ? 0.0 : std::numeric_limits<double>::quiet_NaN();
        cycle.InitSucceeds = false;
        cycle.WaveSucceeds = false;
        break;
    default:
        cycle.Parameters = "(Halvex_tx (de " + std::to_string(random() % 16) + "))";
        break;
    }
    return cycle;
}

bool RunCycle(const AmiModel& model, int index, std::mt19937& random)
{
    const Cycle cycle = Plan(index, random);
    std::string parameters = cycle.Parameters;
    std::vector<double> impulse(4, 0.0);
    void* handle = nullptr;
    char* message = nullptr;
    const long init = model.Init(impulse.data(), 4, 0, cycle.SampleInterval, cycle.BitTime, &parameters[0],
                                 nullptr, &handle, &message);
    bool ok = init == (cycle.InitSucceeds ? 1 : 0) && handle != nullptr;

    // Five calls of random sizes (0 included), a negative size, and samples
    // that include NaN and infinities.
    std::vector<double> wave;
    std::vector<double> clock;
    for (int call = 0; call < 6 && handle != nullptr; ++call) {
        const long size = call == 5 ? -1 : static_cast<long>(random() % 3000);
        wave.assign(size > 0 ? static_cast<std::size_t>(size) : 0, 0.0);
        for (std::size_t i = 0; i < wave.size(); ++i)
            wave[i] = (random() % 2) ? 0.5 : -0.5;
        if (call == 3 && !wave.empty()) {
            wave[0] = std::numeric_limits<double>::quiet_NaN();
            wave[wave.size() / 2] = std::numeric_limits<double>::infinity();
        }
        clock.assign(wave.size() + 1, 0.0);
        const long got = model.GetWave(wave.empty() ? nullptr : wave.data(), size, clock.data(), nullptr, handle);
        const bool expected = cycle.WaveSucceeds && size >= 0;
        ok = ok && got == (expected ? 1 : 0);
    }
    const long closed = handle != nullptr ? model.Close(handle) : 0;
    ok = ok && closed == 1;
    if (!ok)
        std::fprintf(stderr, "amicycles: cycle %d (%s, dt %g s, T %g s) did not return what it must\n", index,
                     cycle.Parameters.c_str(), cycle.SampleInterval, cycle.BitTime);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: amicycles MODEL [CYCLES]\n");
        return 2;
    }
    const int cycles = argc == 3 ? std::atoi(argv[2]) : 100;
    if (cycles < 1) {
        std::fprintf(stderr, "amicycles: CYCLES must be a whole number >= 1\n");
        return 2;
    }
    AmiModel model;
    std::string error;
    if (!model.Load(argv[1], error) || model.GetWave == nullptr) {
        std::fprintf(stderr, "amicycles: %s\n", error.empty() ? "the model has no AMI_GetWave" : error.c_str());
        return 1;
    }
    std::mt19937 random(1);
    int failed = 0;
    for (int i = 0; i < cycles; ++i)
        failed += RunCycle(model, i, random) ? 0 : 1;
    std::printf("amicycles: %d cycles, %d passed, %d failed\n", cycles, cycles - failed, failed);
    return failed == 0 ? 0 : 1;
}
