#pragma once

#include <cstddef>
#include <string>

#include "tools/amihost/channel/Channel.h"
#include "tools/amihost/channel/ThroughPath.h"

// A channel from the text of a Touchstone file: the file read
// (TouchstoneFile), its through path between the source and the load
// (ThroughPath: S21 of a .s2p, Sdd21 of a .s4p), and that transfer turned
// into causal taps at the sample interval (CausalImpulse).
class TouchstoneChannel {
public:
    struct Options {
        ThroughPath::PairOrder Order = ThroughPath::Through12And34; // a .s4p's ports
        ThroughPath::Terminations Ends;                             // 0: matched to the reference
        std::size_t MaxTaps = std::size_t{1} << 20;                 // at most this many taps
    };

    // "1-2/3-4" or "1-3/2-4": the through paths of line P and line N.
    static const char* OrderName(ThroughPath::PairOrder order);

    // Makes `channel` from `text`, the contents of the file `name`. False
    // with one line "NAME:LINE: what" (or "NAME: what" after reading).
    static bool Make(const std::string& text, const std::string& name, const Options& options,
                     double sampleInterval, Channel& channel, std::string& error);
};
