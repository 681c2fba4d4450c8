#include "tools/amihost/channel/findings/NonCausality.h"

#include "tools/amihost/channel/CausalImpulse.h"

std::optional<NonCausality> NonCausality::Assess(const std::vector<double>& frequencies,
                                                 const std::vector<std::complex<double>>& transfer,
                                                 double sampleInterval, std::size_t maxTaps, std::string& error)
{
    const std::size_t grid = CausalImpulse::GridLength(frequencies, sampleInterval, maxTaps);
    std::vector<std::complex<double>> bins;
    CausalImpulse::Report report;
    if (!CausalImpulse::Spectrum(frequencies, transfer, sampleInterval, grid, bins, report, error))
        return std::nullopt;
    const std::vector<double> h = CausalImpulse::TimeResponse(bins);
    double causal = 0.0;
    double acausal = 0.0;
    for (std::size_t i = 0; i < h.size(); ++i)
        (i < h.size() / 2 ? causal : acausal) += h[i] * h[i];
    if (!(causal + acausal > 0.0)) {
        error = "the transfer is 0 below the band edge";
        return std::nullopt;
    }
    NonCausality result;
    result.Share = acausal / (causal + acausal);
    result.Flagged = result.Share > Threshold;
    return result;
}
