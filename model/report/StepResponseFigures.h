#pragma once

#include <cstdint>
#include <vector>

// The characteristic figures of one time-stamped step response, as the
// report prints them and the tests check them. Reads the caller's arrays
// (values[i] at time stamps[i], seconds), keeps no pointer to them.
struct StepResponseFigures {
    double LastValue = 0.0;   // value at the last time stamp
    double Peak = 0.0;        // largest value before the peak window ends
    double PeakTime = 0.0;    // first time stamp holding Peak
    double Lowest = 0.0;      // smallest value before the peak window ends
    double LowestTime = 0.0;  // first time stamp holding Lowest
    double ZeroTime = -1.0;   // first time stamp whose value is >= 0; -1: none
    double SteadyDrift = 0.0; // largest |value - first value| before the steady limit
    // Start of the last run of at least three points outside the settling
    // band (|value - LastValue| > band) ends; SettleTime is the first time
    // stamp after that run. Shorter runs are isolated irregular points: they
    // are counted in Outliers and do not delay SettleTime.
    double SettleTime = 0.0;
    int Outliers = 0;

    // count >= 1. peakWindow, steadyUntil in seconds; band is the relative
    // settling band (0.01 for 1 % of |LastValue|).
    static StepResponseFigures Measure(const double* values, const double* stamps, int count,
                                       double peakWindow, double steadyUntil, double band);

    // Figures of entry `entry` (0 .. 15) of StepResponseTable, measured with
    // the window, steady limit and band of the characterisation figures.
    static StepResponseFigures OfEntry(int entry);

    // Rounds x to `digits` significant decimal digits (times and values are
    // compared with the characterisation figures this way).
    static double Round(double x, int digits);
};

// Statistics of one set of time stamps.
struct TimeStampFigures {
    double First = 0.0;
    double Last = 0.0;
    double SmallestStep = 0.0;
    double LargestStep = 0.0;
    double MeanStep = 0.0;
    bool Ascending = true; // every stamp is greater than the one before

    static TimeStampFigures Measure(const double* stamps, int count); // count >= 2
};

// Count, largest tap and sum of the taps of a filter built from a response.
struct TapFigures {
    int Count = 0;
    double Largest = 0.0;
    double Sum = 0.0; // summed in tap order

    static TapFigures Measure(const double* taps, int count);
    // Figures of the taps that a TimeResponseFIR builds from copies of entry
    // `entry` (0 .. 15) of StepResponseTable as a step response at
    // `sampleRate` samples per second, the way the model builds them.
    // False if the filter refuses the entry.
    static bool OfEntry(int entry, double sampleRate, TapFigures& figures);
};

// The taps that a TimeResponseFIR builds from copies of entry `entry` of
// StepResponseTable as a step response at `sampleRate` samples per second,
// the way the model builds them; empty if the filter refuses the entry.
std::vector<double> TapsOfEntry(int entry, double sampleRate);

// FNV-1a over the little-endian bytes of each double's bit pattern, in
// order: the same on every platform for the same values.
std::uint64_t TableChecksum(const double* values, std::int64_t count);
