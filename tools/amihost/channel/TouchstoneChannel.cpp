#include "tools/amihost/channel/TouchstoneChannel.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "tools/amihost/channel/CausalImpulse.h"

namespace {

// "Touchstone NAME, Sdd21 (1-2/3-4), 0.01 .. 50 GHz, DC gain 0.98" and what
// differs from the usual: terminations, a response not wholly causal.
std::string Describe(const std::string& name, const TouchstoneData& data, const ThroughPath::Result& path,
                     const TouchstoneChannel::Options& options, const CausalImpulse::Report& report)
{
    char text[256];
    std::string description = "Touchstone " + name + ", " + path.Name;
    if (data.Ports == 4)
        description += std::string(" (") + TouchstoneChannel::OrderName(options.Order) + ")";
    std::snprintf(text, sizeof text, ", %g .. %g GHz, DC gain %.3g", data.Frequencies.front() * 1e-9,
                  data.Frequencies.back() * 1e-9, report.DcGain);
    description += text;
    if (options.Ends.Source > 0.0 || options.Ends.Load > 0.0) {
        std::snprintf(text, sizeof text, ", source %g ohm and load %g ohm on %g and %g ohm references", path.Source,
                      path.Load, path.SourceReference, path.LoadReference);
        description += text;
    }
    if (report.NonCausalShare > 0.01) {
        std::snprintf(text, sizeof text, ", %.1f %% of the energy before t = 0 dropped", 100.0 * report.NonCausalShare);
        description += text;
    }
    return description;
}

} // namespace

const char* TouchstoneChannel::OrderName(ThroughPath::PairOrder order)
{
    return order == ThroughPath::Through12And34 ? "1-2/3-4" : "1-3/2-4";
}

bool TouchstoneChannel::Make(const std::string& text, const std::string& name, const Options& options,
                             double sampleInterval, Channel& channel, std::string& error, Findings* findings,
                             double bitTime)
{
    TouchstoneData data;
    if (!TouchstoneFile::Read(text, name, data, error))
        return false;
    ThroughPath::Result path;
    std::vector<double> taps;
    CausalImpulse::Report report;
    const std::size_t grid = CausalImpulse::GridLength(data.Frequencies, sampleInterval, options.MaxTaps);
    if (!ThroughPath::Transfer(data, options.Order, options.Ends, path, error) ||
        !CausalImpulse::Design(data.Frequencies, path.Transfer, sampleInterval, grid, options.MaxTaps, taps, report,
                               error, std::sqrt(path.Load / path.Source))) {
        error = name + ": " + error;
        return false;
    }
    channel = Channel::FromTaps(std::move(taps), Describe(name, data, path, options, report));
    if (findings) {
        findings->Band = BandCoverage::Assess(data.Frequencies, bitTime > 0.0 ? bitTime : 2.0 * sampleInterval,
                                              sampleInterval);
        findings->Passive = Passivity::Assess(data);
        std::string unused; // the taps were designed, so the transfer is usable
        findings->Causality = NonCausality::Assess(data.Frequencies, path.Transfer, sampleInterval, options.MaxTaps,
                                                   unused);
        findings->Order = PortOrder::Assess(data, options.Order);
    }
    return true;
}
