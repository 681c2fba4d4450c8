#pragma once

// What a reader can observe of a Halvex_tx, compared between a twin driven by
// RunBlock and one fired per sample. Used by the twin tests and by the
// differential fuzz target, so both hold the block path to the same account.

#include <cmath>
#include <cstring>
#include <string>

#include "model/Halvex_tx.h"

// Same bits, or NaN on both sides (the two paths may carry different NaN
// payloads; nothing of the system reads a payload).
inline bool SameValue(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// "" when `block` holds what `reference` holds, else the first difference:
// every delay line element (logical order), every link, the three ports, the
// constant source's count and the selector's control. The output link of a
// filter that the block path leaves unrealised is compared as the value it
// stands for, the filter's NewestOutput(), with the per-sample twin's link:
// the block path is not expected to write it, only to leave its value
// recoverable. `selected` is the filter the block twin passed on (-1: none).
inline std::string FirstDifference(Halvex_tx& block, Halvex_tx& reference, int selected)
{
    for (int f = 0; f < Halvex_tx::NumFilters; ++f) {
        TorvaneModelBuilder::CircularBuffer<double>& a = block.Filters[f].DelayLine;
        TorvaneModelBuilder::CircularBuffer<double>& b = reference.Filters[f].DelayLine;
        if (a.Capacity != b.Capacity)
            return "filter " + std::to_string(f) + " delay line capacity";
        for (std::size_t offset = 0; offset < a.Capacity; ++offset)
            if (!SameValue(a.ElementAt(offset), b.ElementAt(offset)))
                return "filter " + std::to_string(f) + " delay line offset " + std::to_string(offset);
    }
    for (int link = 0; link < Halvex_tx::NumLinks; ++link) {
        if (link == Halvex_tx::DeRoundLink) {
            if (*static_cast<int*>(block.LinkArrays[link]) != *static_cast<int*>(reference.LinkArrays[link]))
                return "link " + std::to_string(link);
            continue;
        }
        double value = *static_cast<double*>(block.LinkArrays[link]);
        for (int f = 0; f < Halvex_tx::NumFilters; ++f)
            if (link == Halvex_tx::FilterOutputLink(f) && f != selected)
                value = block.Filters[f].NewestOutput();
        if (!SameValue(value, *static_cast<double*>(reference.LinkArrays[link])))
            return "link " + std::to_string(link);
    }
    if (!SameValue(block.InputPort.ElementAt(0), reference.InputPort.ElementAt(0)) ||
        !SameValue(block.OutputPort.ElementAt(0), reference.OutputPort.ElementAt(0)) ||
        !SameValue(block.AuxOutputPort.ElementAt(0), reference.AuxOutputPort.ElementAt(0)))
        return "ports";
    if (block.DeSource.FiringCount != reference.DeSource.FiringCount)
        return "constant source's count";
    if (block.Selector.Control != reference.Selector.Control)
        return "selector control";
    return "";
}
