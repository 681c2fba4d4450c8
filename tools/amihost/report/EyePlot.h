#pragma once

#include <string>
#include <vector>

#include "tools/amihost/signal/EyeAnalysis.h"

// The eye diagram of a measured wave as an SVG density plot over 2 UI,
// centred on the best sampling instant that EyeAnalysis found.
//
// Every measured bit contributes the trace w[c - spb .. c + spb], c = k spb
// + latency, interpolated linearly onto Columns time columns; consecutive
// columns are joined vertically, so steep edges leave no gaps. A cell's
// shade grows with log(1 + hits). Runs of equal shade in a row are one
// rectangle, which keeps files small whatever the number of bits.
class EyePlot {
public:
    static constexpr int Columns = 200;
    static constexpr int Rows = 120;

    static std::string Svg(const std::vector<double>& wave, const EyeResult& eye, int samplesPerBit,
                           const std::string& title, const std::string& units);
};
