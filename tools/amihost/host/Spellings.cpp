#include "tools/amihost/host/Spellings.h"

#include "tools/amihost/channel/TouchstoneChannel.h"

const std::vector<Spelling<HostRequest::Command>>& Spellings(HostRequest::Command)
{
    // Help and Version are options (--help, --version), not words of their own.
    static const std::vector<Spelling<HostRequest::Command>> names = {
        {HostRequest::Run, "run"}, {HostRequest::Sweep, "sweep"}, {HostRequest::Check, "check"},
        {HostRequest::Iv, "iv"}};
    return names;
}

const std::vector<Spelling<HostRequest::StimulusKind>>& Spellings(HostRequest::StimulusKind)
{
    static const std::vector<Spelling<HostRequest::StimulusKind>> names = {
        {HostRequest::Prbs7, "prbs7"}, {HostRequest::Prbs15, "prbs15"}, {HostRequest::Prbs23, "prbs23"},
        {HostRequest::Prbs31, "prbs31"}, {HostRequest::Step, "step"},     {HostRequest::Pulse, "pulse"}};
    return names;
}

const std::vector<Spelling<ThroughPath::PairOrder>>& Spellings(ThroughPath::PairOrder)
{
    // The channel's description names the order too: its spelling is the one.
    static const std::vector<Spelling<ThroughPath::PairOrder>> names = {
        {ThroughPath::Through12And34, TouchstoneChannel::OrderName(ThroughPath::Through12And34)},
        {ThroughPath::Through13And24, TouchstoneChannel::OrderName(ThroughPath::Through13And24)}};
    return names;
}
