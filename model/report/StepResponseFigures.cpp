#include "model/report/StepResponseFigures.h"

#include "model/StepResponseTable.h"
#include "model/generator/StepResponseTargets.h"
#include "runtime/filters/TimeResponseFIR.h"

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

StepResponseFigures StepResponseFigures::Measure(const double* values, const double* stamps,
                                                 int count, double peakWindow,
                                                 double steadyUntil, double band)
{
    StepResponseFigures f;
    f.LastValue = values[count - 1];
    f.Peak = values[0];
    f.Lowest = values[0];
    const double limit = band * std::fabs(f.LastValue);
    int outside = 0; // length of the current run outside the band
    for (int i = 0; i < count; ++i) {
        const double v = values[i];
        const double t = stamps[i];
        if (t < peakWindow && v > f.Peak) {
            f.Peak = v;
            f.PeakTime = t;
        }
        if (t < peakWindow && v < f.Lowest) {
            f.Lowest = v;
            f.LowestTime = t;
        }
        if (f.ZeroTime < 0.0 && v >= 0.0)
            f.ZeroTime = t;
        if (t < steadyUntil && std::fabs(v - values[0]) > f.SteadyDrift)
            f.SteadyDrift = std::fabs(v - values[0]);
        if (std::fabs(v - f.LastValue) > limit) {
            ++outside;
            continue;
        }
        if (outside >= 3)
            f.SettleTime = t;
        else
            f.Outliers += outside;
        outside = 0;
    }
    return f;
}

StepResponseFigures StepResponseFigures::OfEntry(int entry)
{
    namespace T = StepResponseTargets;
    return Measure(StepResponseValues(entry), StepResponseTimeStamps(entry),
                   StepResponseLayout::PointCount, T::PeakWindow,
                   T::SteadyUntil, T::SettleBandRelative);
}

double StepResponseFigures::Round(double x, int digits)
{
    // Through the decimal text, so that 1.2325e-09 and the like round the
    // way they read.
    char text[64];
    std::snprintf(text, sizeof text, "%.*e", digits - 1, x);
    return std::strtod(text, nullptr);
}

TimeStampFigures TimeStampFigures::Measure(const double* stamps, int count)
{
    TimeStampFigures f;
    f.First = stamps[0];
    f.Last = stamps[count - 1];
    f.SmallestStep = stamps[1] - stamps[0];
    f.LargestStep = f.SmallestStep;
    for (int i = 1; i < count; ++i) {
        const double step = stamps[i] - stamps[i - 1];
        if (!(step > 0.0))
            f.Ascending = false;
        if (step < f.SmallestStep)
            f.SmallestStep = step;
        if (step > f.LargestStep)
            f.LargestStep = step;
    }
    f.MeanStep = (f.Last - f.First) / (count - 1);
    return f;
}

TapFigures TapFigures::Measure(const double* taps, int count)
{
    TapFigures f;
    f.Count = count;
    if (count > 0)
        f.Largest = taps[0];
    for (int i = 0; i < count; ++i) {
        if (taps[i] > f.Largest)
            f.Largest = taps[i];
        f.Sum += taps[i];
    }
    return f;
}

bool TapFigures::OfEntry(int entry, double sampleRate, TapFigures& figures)
{
    const std::vector<double> taps = TapsOfEntry(entry, sampleRate);
    if (taps.empty())
        return false;
    figures = Measure(taps.data(), static_cast<int>(taps.size()));
    return true;
}

std::vector<double> TapsOfEntry(int entry, double sampleRate)
{
    constexpr int points = StepResponseLayout::PointCount;
    const double* values = StepResponseValues(entry);
    const double* times = StepResponseTimeStamps(entry);
    std::vector<double> response(values, values + points);
    std::vector<double> stamps(times, times + points);
    TorvaneModelBuilder::TimeResponseFIR filter;
    filter.ResponseType = TorvaneModelBuilder::TimeResponseFIR::StepResponse;
    filter.Response = response.data();
    filter.NumResponse = points;
    filter.ResponseTimeStamps = stamps.data();
    filter.NumResponseTimeStamps = points;
    filter.SampleRate = sampleRate;
    if (!filter.Setup())
        return {};
    return std::vector<double>(filter.Taps, filter.Taps + filter.NumTaps);
}

std::uint64_t TableChecksum(const double* values, std::int64_t count)
{
    std::uint64_t hash = 14695981039346656037ULL;
    for (std::int64_t i = 0; i < count; ++i) {
        std::uint64_t bits;
        std::memcpy(&bits, &values[i], sizeof bits);
        for (int byte = 0; byte < 8; ++byte) {
            hash ^= (bits >> (8 * byte)) & 0xff;
            hash *= 1099511628211ULL;
        }
    }
    return hash;
}
