#pragma once

#include <string>
#include <vector>

#include "tools/amihost/eye/BerAnalysis.h"

// Bathtub curves as an SVG plot: the BER (log scale) against the sampling
// phase across one UI, each curve centred on its own eye's centre so that
// their widths compare, the target BER dashed. One curve gets its width at
// the target marked; several get it in the legend, right of the plot. BERs
// below the axis (10^Floor(target), 0 included) are drawn on its bottom.
class BathtubPlot {
public:
    struct Curve {
        std::string Label;  // "de = 8"; may be empty for a single curve
        BerResult Ber;
    };

    // log10 of the lowest BER shown: four decades below the target, at
    // least down to 1e-16.
    static double Floor(double targetBer);

    static std::string Svg(const std::vector<Curve>& curves, const std::string& title, const std::string& subtitle);
};
