#include "tools/amihost/channel/findings/PortOrder.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

// Mean |Sdd21| of `order` over the lowest points; a path that cannot be
// formed (references differ within a pair) passes nothing usable: 0.
double LowGain(const TouchstoneData& data, ThroughPath::PairOrder order)
{
    ThroughPath::Result path;
    std::string error;
    if (!ThroughPath::Transfer(data, order, {}, path, error))
        return 0.0;
    const std::size_t count = std::min(PortOrder::LowPoints, path.Transfer.size());
    double sum = 0.0;
    for (std::size_t i = 0; i < count; ++i)
        sum += std::abs(path.Transfer[i]);
    return sum / static_cast<double>(count);
}

} // namespace

std::optional<PortOrder> PortOrder::Assess(const TouchstoneData& data, ThroughPath::PairOrder chosen)
{
    if (data.Ports != 4 || data.Frequencies.empty())
        return std::nullopt;
    PortOrder result;
    result.Chosen = chosen;
    result.Other = chosen == ThroughPath::Through12And34 ? ThroughPath::Through13And24 : ThroughPath::Through12And34;
    result.ChosenGain = LowGain(data, result.Chosen);
    result.OtherGain = LowGain(data, result.Other);
    result.Flagged = result.ChosenGain < WeakRatio * result.OtherGain;
    return result;
}
