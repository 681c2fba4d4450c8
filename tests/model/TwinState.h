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
// every delay line (position and every element, bit for bit: both paths store
// the same products), every link, the three ports, the constant source's
// count and the selector's control. The output link of a filter that the
// block path leaves unrealised (all but `selected`, the filter the block twin
// passed on; -1: none) is compared, when `realise` is set, as the value it
// stands for, the filter's NewestOutput(), with the per-sample twin's link:
// the block path need not write it, only leave it recoverable. Unset, those
// links are skipped (their sums cost as much as a firing).
inline std::string FirstDifference(Halvex_tx& block, Halvex_tx& reference, int selected,
                                   bool realise = true)
{
    // The block path's delay lines lag behind its window until something
    // reads them; this comparison reads them.
    block.CatchUpDelayLines();
    for (int f = 0; f < Halvex_tx::NumFilters; ++f) {
        const TorvaneModelBuilder::CircularBuffer<double>& a = block.Filters[f].DelayLine;
        const TorvaneModelBuilder::CircularBuffer<double>& b = reference.Filters[f].DelayLine;
        if (a.Capacity != b.Capacity || a.Position != b.Position ||
            std::memcmp(a.Data, b.Data, a.Capacity * sizeof(double)) != 0)
            return "filter " + std::to_string(f) + " delay line";
    }
    for (int link = 0; link < Halvex_tx::NumLinks; ++link) {
        if (link == Halvex_tx::DeRoundLink) {
            if (*static_cast<int*>(block.LinkArrays[link]) != *static_cast<int*>(reference.LinkArrays[link]))
                return "link " + std::to_string(link);
            continue;
        }
        double value = *static_cast<double*>(block.LinkArrays[link]);
        const int f = link - Halvex_tx::FilterOutputLink(0);
        if (f >= 0 && f < Halvex_tx::NumFilters && f != selected) {
            if (!realise)
                continue;
            value = block.Filters[f].NewestOutput();
        }
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
