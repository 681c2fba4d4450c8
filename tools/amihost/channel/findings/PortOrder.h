#pragma once

#include <optional>

#include "tools/amihost/channel/ThroughPath.h"
#include "tools/amihost/channel/TouchstoneFile.h"

// Whether a 4-port's port order is the one its data were written in. The
// through path Sdd21 of either order (ThroughPath: "1-2/3-4" takes line P
// from port 1 to 2, "1-3/2-4" from port 1 to 3) is taken at low
// frequency, where a channel passes nearly all and a wrong order passes a
// near-end coupling, nearly nothing:
//   Gain = mean |Sdd21| over the lowest LowPoints frequencies
// (the DC point among them where the data have one). The chosen order is
// flagged when its Gain is below WeakRatio times the other's: the other is
// very likely the data's.
struct PortOrder {
    static constexpr std::size_t LowPoints = 5;
    static constexpr double WeakRatio = 0.1; // 20 dB

    ThroughPath::PairOrder Chosen = ThroughPath::Through12And34;
    ThroughPath::PairOrder Other = ThroughPath::Through13And24;
    double ChosenGain = 0.0; // dimensionless
    double OtherGain = 0.0;
    bool Flagged = false;    // ChosenGain < WeakRatio * OtherGain

    // Nothing for data that are not a 4-port (or hold no frequency).
    static std::optional<PortOrder> Assess(const TouchstoneData& data, ThroughPath::PairOrder chosen);
};
