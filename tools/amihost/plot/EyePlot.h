#pragma once

#include <string>
#include <vector>

#include "tools/amihost/eye/BerAnalysis.h"
#include "tools/amihost/eye/EyeAnalysis.h"
#include "tools/amihost/eye/EyeDensity.h"

// The eye diagram of a measured wave as an SVG plot over 2 UI, centred on
// the best sampling instant that EyeAnalysis found.
//
// The density (EyeDensity) is one embedded bitmap, a pixel per cell, that
// the viewer interpolates: no staircase, no seams. A cell's colour runs
// along SvgPlot::ColourMap with log(1 + hits) / log(1 + peak), so empty
// cells have the map's first colour, the background; a colour bar on the
// right gives the scale. Marked on the eye: the worst-case opening and
// threshold and, when measured, the opening at the target BER; the legend
// and the figures stand right of the plot, clear of the data.
class EyePlot {
public:
    struct Frame {
        std::string Title;
        std::string Subtitle;   // conditions: data rate, channel, stimulus ...
        std::string Units = "V";
        // The level axis; when Low >= High, the density's own range. One
        // range for several eyes draws them on one scale.
        double Low = 0.0;
        double High = 0.0;
    };

    static std::string Svg(const EyeDensity& density, const EyeResult& eye, const BerResult& ber,
                           const Frame& frame);

    // The density of `wave` measured here, no BER figures.
    static std::string Svg(const std::vector<double>& wave, const EyeResult& eye, int samplesPerBit,
                           const std::string& title, const std::string& units);
};
