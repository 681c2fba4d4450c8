#pragma once

#include <string>
#include <vector>

// Step or pulse responses overlaid in one SVG plot, one colour per curve
// along a colour map, with a legend; time in ns.
class ResponsePlot {
public:
    struct Curve {
        std::string Label;
        std::vector<double> Values; // one per sample
    };

    // Samples [first, last) of every curve (clipped to its length), sample i
    // at time i * sampleInterval; at most about 1000 points per curve drawn.
    static std::string Svg(const std::vector<Curve>& curves, double sampleInterval, std::size_t first,
                           std::size_t last, const std::string& title, const std::string& yLabel);
};
