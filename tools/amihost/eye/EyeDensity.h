#pragma once

#include <cstddef>
#include <vector>

#include "tools/amihost/eye/EyeAnalysis.h"

// How often the traces of an eye diagram pass through each cell of a grid
// over 2 UI (Columns, time) and a range of levels (Rows, signal), for
// drawing.
//
// The trace of measured bit k is the wave over [c - spb, c + spb] samples,
// c = k spb + latency, interpolated linearly between samples. It is
// evaluated at Steps points per column and joined by straight pieces; each
// piece is cut into parts at most half a row tall, and each part adds its
// share of the column's width to the four cells around its middle, split
// bilinearly by distance to their centres. So a trace adds 1 per column in
// all, and the density is continuous in time and level: no staircase at
// steep edges, no gaps between columns or rows. Bits from the eye's first
// measured one (at least 1) whose whole trace lies inside the wave are
// drawn, at most MaxTraces of them, the first ones.
class EyeDensity {
public:
    static constexpr int Columns = 320;
    static constexpr int Rows = 200;
    static constexpr int Steps = 2;
    static constexpr std::size_t MaxTraces = 100000;

    EyeDensity() = default;

    // The traces of `wave` for `eye`; the rows span the traces' extent
    // padded by 6 % each way (1 unit around a flat signal).
    static EyeDensity Measure(const std::vector<double>& wave, const EyeResult& eye, int samplesPerBit);

    double Low() const { return low_; }    // level at the bottom edge of row 0
    double High() const { return high_; }  // level at the top edge of the last row
    std::size_t Traces() const { return traces_; }
    double Peak() const;                   // the largest cell; 0 without traces
    // Row `row` (0 at Low), column `column` (0 at -1 UI).
    double At(int row, int column) const { return cells_[static_cast<std::size_t>(row) * Columns + column]; }

private:
    std::vector<double> cells_ = std::vector<double>(static_cast<std::size_t>(Rows) * Columns, 0.0f);
    double low_ = -0.5;
    double high_ = 0.5;
    std::size_t traces_ = 0;

    void Draw(const std::vector<double>& wave, std::size_t centre, std::size_t spb);
    void Splat(double column, double row, double weight);
};
