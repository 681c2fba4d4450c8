#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/Halvex_tx.h"
#include "runtime/filters/FirBlockKernel.h"

// One model instance as handed to the simulator: the transmitter model plus
// what the IBIS-AMI interface needs around it. Created by AMI_Init, destroyed
// only by AMI_Close; it owns everything inside it, including the one-element
// storage of the model's three ports.
class AmiInstance {
public:
    Halvex_tx Model;                 // the transmitter block
    std::string MessageText;         // warnings and errors for the simulator; only grows
    std::vector<double> ClockTimes;  // clock-time list copied out by GetWave: just the end mark
    int32_t SamplesPerBit = 0;       // bit time / sample interval + 0.5, truncated
    double PortStorage[3] = {};      // storage of InputPort, OutputPort, AuxOutputPort
    bool Ready = false;              // Setup and Initialize both succeeded
    // Instruction set of the whole-wave path (same bits as firing the model
    // per sample); Init picks the strongest this processor runs. Null forces
    // the per-sample path (tests, benchmarks).
    const TorvaneModelBuilder::FirBlockKernels* BlockKernels = nullptr;

    // Largest tap count per filter that AMI_Init accepts: 16 filters of
    // 262144 taps and their delay lines already take about 67 MB.
    static constexpr double MaxTapsPerFilter = 262144.0;

    // AMI_Init after the instance exists: reads de, derives the timing, sets
    // up and initialises the model. Returns true only if both succeeded.
    bool Init(double sampleInterval, double bitTime, const char* parameters);

    // AMI_GetWave on a ready instance: filters wave[0 .. n-1] in place (in one
    // block when the model is in its normal state, else firing the model once
    // per sample; the results are the same bits) and writes the end mark -1.0
    // to clockTimes[0] (when n > 0 and clockTimes is not null). Returns false
    // when a Run fails; the rest of the wave is then left as it came.
    bool GetWave(double* wave, std::size_t n, double* clockTimes);

    // Appends one piece; every piece ends with one blank and has no line break.
    void AppendMessage(const std::string& piece) { MessageText += piece; }

private:
    // Fires the model once per sample; stops at the first failed Run, leaving
    // that sample and the rest as they came.
    bool FirePerSample(double* wave, std::size_t n);

    // False, with a message, for a timing that would make an invalid or
    // absurdly large model.
    bool CheckTiming(double sampleInterval, double bitTime);
};
