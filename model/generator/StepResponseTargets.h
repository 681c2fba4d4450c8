#pragma once

// The characterisation figures of the 16 embedded step responses: what the
// generator shapes its curves to, and what the report and the tests measure
// the compiled table against. Plain constants only (and the model's wiring,
// which decides the entry of each setting), so that the host-side generator,
// the library's tests and the report share one copy.
//
// Units: seconds for times, output signal level for values. Times marked
// "rounded" are given to four significant digits and count as met when the
// measured time rounds to the same four digits. The table's layout is
// model/StepResponseTable.h's.
#include "model/Halvex_tx.h"
#include "model/StepResponseTable.h"

namespace StepResponseTargets {

// Figures of one de-emphasis setting, measured on the entry that serves it.
struct Setting {
    int De;           // de-emphasis setting (0 .. 15)
    double LastValue; // last value of the entry, to the digits given
    double Peak;      // largest value before PeakWindow; 0.0: no overshoot
    double PeakTime;  // time of that value, rounded; 0.0: no overshoot
    double ZeroTime;  // first time at or above 0, rounded
};

// In de order.
constexpr Setting Settings[StepResponseLayout::EntryCount] = {
    {0, 0.302464459, 0.0, 0.0, 1.232e-09},
    {1, 0.306398127, 0.0, 0.0, 1.229e-09},
    {2, 0.306460483, 0.318713, 1.259e-09, 1.227e-09},
    {3, 0.310356147, 0.369856, 1.249e-09, 1.224e-09},
    {4, 0.306543213, 0.428645, 1.246e-09, 1.224e-09},
    {5, 0.310439215, 0.487541, 1.245e-09, 1.223e-09},
    {6, 0.310501431, 0.537594, 1.242e-09, 1.221e-09},
    {7, 0.314359973, 0.590528, 1.241e-09, 1.220e-09},
    {8, 0.306649205, 0.647129, 1.241e-09, 1.221e-09},
    {9, 0.310545904, 0.697615, 1.240e-09, 1.219e-09},
    {10, 0.310608109, 0.745753, 1.240e-09, 1.220e-09},
    {11, 0.314467318, 0.790815, 1.239e-09, 1.219e-09},
    {12, 0.310691083, 0.839994, 1.237e-09, 1.218e-09},
    {13, 0.314550636, 0.881663, 1.238e-09, 1.219e-09},
    {14, 0.314612699, 0.922145, 1.238e-09, 1.219e-09},
    {15, 0.318435303, 0.95966, 1.237e-09, 1.218e-09},
};

// The table entry that serves setting s: the model's wiring.
constexpr int EntryOf(const Setting& s) { return Halvex_tx::FilterSelectedBy(s.De); }

constexpr double PeakWindow = 1.5e-09;      // the peak is taken before this time
constexpr double PeakTolerance = 1e-3;      // allowed distance from Peak
constexpr int LastValueDigits = 9;          // significant digits of LastValue
constexpr double SteadyUntil = 1.19e-09;    // the level is flat before this
constexpr double SettleBandRelative = 0.01; // settling band: 1 % of the last value
constexpr double SettleFrom = 1.29e-09;     // settling times lie between about
constexpr double SettleTo = 1.47e-09;       // these, later for larger settings

// Time stamps. Entries other than StampEntryOwn share one set; StampEntryOwn
// has its own, close to it.
constexpr int StampEntryOwn = 11;
constexpr double SharedStampsHead[4] = {
    0.0, 9.210598000090275e-14, 1.971693600009166e-13, 3.148015300006706e-13};
constexpr double SharedStampsTail[3] = {
    4.9957358812e-09, 4.995788407300001e-09, 4.9958418377e-09};
constexpr double OwnSecondStamp = 9.302616000032952e-14;
constexpr double OwnLastStamp = 4.9959513181e-09;
constexpr double SmallestStep = 3e-20; // about
constexpr double LargestStep = 2.22e-13; // about
constexpr double MeanStep = 1.06e-13; // about

// Entry 0: its first four and last three values, to every digit given.
constexpr double Entry0Head[4] = {
    -0.302516454738, -0.302516454592, -0.302516454441, -0.30251645429};
constexpr double Entry0Tail[3] = {0.302464456869, 0.302464457726, 0.302464458588};

// Entries recorded at ten times the level before their transition: they
// start at StartValue, dip to between DipDeepest and DipShallowest between
// DipEarliest and DipLatest (rounded), then follow the common shape.
struct TenfoldEntry {
    int Entry;
    double StartValue; // first value, to the digits given
};
constexpr TenfoldEntry TenfoldEntries[3] = {{1, -3.10571}, {8, -3.0645}, {14, -3.14387}};
constexpr double DipDeepest = -9.96;
constexpr double DipShallowest = -9.77;
constexpr double DipEarliest = 1.216e-09;
constexpr double DipLatest = 1.225e-09;

// Isolated irregular values: two consecutive points of one entry, the first
// at the first time stamp at or after Times[0].
struct IrregularPair {
    int Entry;
    double Times[2];  // where the two points sit, to five digits
    double Values[2]; // the two values, as recorded
    double Around;    // level of the neighbouring points, to four digits
};
constexpr IrregularPair IrregularPairs[2] = {
    {3, {2.5029e-09, 2.5031e-09}, {-8.6086987237, 6.99868601315}, 0.3144},
    {15, {3.5516e-09, 3.5517e-09}, {-3.0, -0.001834890638}, 0.3066},
};

// Taps built from each entry as a step response at 32 samples per bit of
// 78.125 ps: 2047 taps at 4.096e11 samples per second.
constexpr double TapSampleRate = 4.096e11;
constexpr int TapCount = 2047;
constexpr double TenfoldLargestTapMin = 6.0;
constexpr double TenfoldLargestTapMax = 13.0;
constexpr double TenfoldTapSumMin = 12.0;
constexpr double TenfoldTapSumMax = 16.0;
constexpr double TapSumOther = 0.6; // about: the rise from start to final level

} // namespace StepResponseTargets
