#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tools/amihost/eye/BerAnalysis.h"
#include "tools/amihost/host/Simulation.h"

// What `amihost run` writes and prints for one simulated setting: the files'
// contents and the report's lines, built from the simulation alone so that
// files are written only once everything they show is computed.
class RunReport {
public:
    // wave.csv: time, stimulus, model output, wave at the eye: the samples
    // the simulation kept (the first SimulationConfig::WaveRows). Values
    // with 17 significant digits (bit exact).
    static std::string WaveCsv(const SimulationConfig& config, const SimulationResult& result);

    // step.csv: time, the model's own step (transmitters), step and pulse at the eye.
    static std::string StepCsv(const SimulationConfig& config, const SimulationResult& result);

    // bathtub.csv: the bathtub's phases (UI from the eye's best latency), the
    // BER and the eye's opening at each (signal units); the header alone when
    // the BER was not measured. Values with 17 significant digits.
    static std::string BathtubCsv(const BerResult& ber);

    // step.svg: the step and pulse responses over the window of ResponsePlot::Window.
    static std::string StepSvg(const SimulationConfig& config, const SimulationResult& result,
                               const std::string& title, const std::string& subtitle = std::string());

    // The eye line of the report: height, width, sampling instant and bits,
    // or why there is no open eye. `clocked`: the eye was read at a
    // receiver's clock times, whose mean phase its Latency is.
    static std::string EyeLine(const EyeResult& eye, int samplesPerBit, bool clocked = false);

    // The BER line of the report: the eye's height and width at the target
    // BER and how they were found, or why there are none. Without a random
    // part (SimulationConfig::Random) they are the measured eye's, and say so.
    static std::string BerLine(const BerResult& ber,
                               BerAnalysis::RandomPart random = BerAnalysis::RandomPart::Present);

    // One number in printf's `format` ("%.3f UI").
    static std::string Format(const char* format, double value);

    // "%.2f" of a figure in dB, "n/a" for NaN.
    static std::string Decibels(double db);
};
