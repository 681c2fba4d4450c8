#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "tools/amihost/channel/Channel.h"
#include "tools/amihost/channel/ThroughPath.h"
#include "tools/amihost/channel/findings/BandCoverage.h"
#include "tools/amihost/channel/findings/NonCausality.h"
#include "tools/amihost/channel/findings/Passivity.h"
#include "tools/amihost/channel/findings/PortOrder.h"

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

    // What the file's data say about themselves, for warnings: whether they
    // reach the band the run needs, are passive, causal, and (a 4-port) in
    // the port order chosen. NonCausality is absent when it could not be
    // assessed, Order for data that are not a 4-port.
    struct Findings {
        BandCoverage Band;
        Passivity Passive;
        std::optional<NonCausality> Causality;
        std::optional<PortOrder> Order;
    };

    // "1-2/3-4" or "1-3/2-4": the through paths of line P and line N.
    static const char* OrderName(ThroughPath::PairOrder order);

    // Makes `channel` from `text`, the contents of the file `name`. False
    // with one line "NAME:LINE: what" (or "NAME: what" after reading).
    // `findings`, if not null, gets the data's findings for `bitTime` (s).
    static bool Make(const std::string& text, const std::string& name, const Options& options,
                     double sampleInterval, Channel& channel, std::string& error, Findings* findings = nullptr,
                     double bitTime = 0.0);
};
