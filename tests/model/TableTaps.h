#pragma once

#include <vector>

#include "model/StepResponseTable.h"
#include "runtime/filters/TimeResponseFIR.h"

// Taps that a TimeResponseFIR builds from step response `entry` of the table
// at `sampleRate`, computed on private copies so the table stays untouched.
inline std::vector<double> TableTaps(int entry, double sampleRate)
{
    const double* values = StepResponseTable + 94000 * entry;
    std::vector<double> response(values, values + 47000);
    std::vector<double> stamps(values + 47000, values + 94000);
    TorvaneModelBuilder::TimeResponseFIR filter;
    filter.ResponseType = TorvaneModelBuilder::TimeResponseFIR::StepResponse;
    filter.Response = response.data();
    filter.NumResponse = 47000;
    filter.ResponseTimeStamps = stamps.data();
    filter.NumResponseTimeStamps = 47000;
    filter.SampleRate = sampleRate;
    if (!filter.Setup())
        return {};
    return std::vector<double>(filter.Taps, filter.Taps + filter.NumTaps);
}

// Table entry that serves the rounded de-emphasis setting k.
inline int EntryForSetting(int k) { return k == 0 ? 0 : k <= 8 ? k + 7 : k - 8; }
