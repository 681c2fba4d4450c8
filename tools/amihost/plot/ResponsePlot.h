#pragma once

#include <string>
#include <vector>

// Step or pulse responses overlaid in one SVG plot, one colour per curve
// along a colour map, with a legend right of the plot; time in ns.
//
// Curves that stray far from the rest (CommonScale::Outlying, of their
// extents over the window) would squash them into a thin band, so those are
// drawn in a second panel below, on their own scale.
class ResponsePlot {
public:
    struct Curve {
        std::string Label;
        std::vector<double> Values; // one per sample
    };

    // Samples [first, last) of every curve (clipped to its length), sample i
    // at time i * sampleInterval; at most about 1000 points per curve drawn.
    // The window worth showing of step responses: from 2 UI before the
    // first curve leaves 1 % of its final value, 32 UI long (clipped to the
    // longest curve).
    static void Window(const std::vector<Curve>& curves, int samplesPerBit, std::size_t& first, std::size_t& last);

    static std::string Svg(const std::vector<Curve>& curves, double sampleInterval, std::size_t first,
                           std::size_t last, const std::string& title, const std::string& yLabel,
                           const std::string& subtitle = std::string());

    // Which curves are outlying over samples [first, last).
    static std::vector<bool> Outlying(const std::vector<Curve>& curves, std::size_t first, std::size_t last);
};
