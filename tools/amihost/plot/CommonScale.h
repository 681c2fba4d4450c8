#pragma once

#include <vector>

// One scale for plots that are to be compared side by side, and which of
// them stray so far from the rest that on a shared scale they would squash
// it into a thin band (a setting that breaks the model, a gain ten times
// the others').
//
// A plot's extent is outlying when it reaches below the median of the lows
// or above the median of the highs by more than the median-based span
// (median high - median low). With fewer than three extents, or a span of
// 0, none is. The common range is the union of the extents that are not
// outlying.
class CommonScale {
public:
    struct Extent {
        double Low = 0.0;
        double High = 0.0;
        bool Valid = false;  // the plot has data at all
    };

    static std::vector<bool> Outlying(const std::vector<Extent>& extents);

    // The union of the valid extents that are not outlying; false when
    // there are none.
    static bool Range(const std::vector<Extent>& extents, const std::vector<bool>& outlying, double& low,
                      double& high);
};
