#pragma once

#include <cstddef>

// The 16 characterised step responses of the transmitter, one per
// de-emphasis setting, as constant data compiled into the library (the
// definition is generated at build time by model/generator).
//
// Layout: entry j (0 .. EntryCount-1) occupies the EntryStride elements from
// EntryStride * j on: first its PointCount response values (output signal
// level), then the PointCount time stamps of those values (seconds, the first
// 0.0, strictly ascending). Entries 0 .. 10 and 12 .. 15 share one set of time
// stamps; entry 11 has its own. The model's wiring decides which entry serves
// which setting.
//
// Read-only: users copy what they need; nothing ever writes the table.
namespace StepResponseLayout {
constexpr int EntryCount = 16;
constexpr int PointCount = 47000;               // values per entry, and time stamps
constexpr int EntryStride = 2 * PointCount;     // values, then time stamps
constexpr int TableSize = EntryCount * EntryStride;
} // namespace StepResponseLayout

extern const double StepResponseTable[StepResponseLayout::TableSize];

// The PointCount values of entry `entry`.
inline const double* StepResponseValues(int entry)
{
    return StepResponseTable + static_cast<std::ptrdiff_t>(entry) * StepResponseLayout::EntryStride;
}

// The PointCount time stamps of entry `entry`.
inline const double* StepResponseTimeStamps(int entry)
{
    return StepResponseValues(entry) + StepResponseLayout::PointCount;
}
