#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tools/amihost/host/Study.h"

// The words of a report that describe the study rather than its results.
class StudyText {
public:
    // The report's opening lines: kit, model, flow, receiver, timing,
    // stimulus, channel, then jitter and noise when there are any.
    static std::string Setting(const Study& study);

    // What a plot's subtitle says of the run: data rate, channel, stimulus
    // (with its jitter) and noise.
    static std::string Conditions(const Study& study);

    // "Halvex_tx (de 8)" from the root name and "(Halvex_tx (de 8))": the
    // parameter string with the root named once.
    static std::string Title(const std::string& root, const std::string& parameters);

    // "de=8: steady level -45.59 for a unit step at the input, inverted
    // against the input step: this setting misbehaves at this timing";
    // empty when `reason` (SettingLevels) is.
    // What a Touchstone file's data say against themselves (ChannelFindings):
    // a band that ends below what the run needs, data that are not passive,
    // a large non-causal share, a 4-port in the weaker port order. One line
    // each; none without --touchstone.
    static std::vector<std::string> ChannelWarnings(const Study& study);

    // "de=8: the step at the eye has not settled inside its window of 120
    // bits ...": empty when `settled` (SimulationResult::Settled).
    static std::string WindowWarning(const std::string& setting, std::size_t windowBits, bool settled);

    // Fewer bits measured than MinMeasuredBits: one period of a PRBS7, the
    // shortest stimulus that holds every pattern of 7 bits but all zeros;
    // with fewer, patterns are missing from the eye and from the BER fit.
    // Empty with enough.
    static constexpr std::size_t MinMeasuredBits = 127;
    static std::string FewBitsWarning(const std::string& setting, const SimulationResult& result);

    static std::string LevelWarning(const std::string& setting, double level, const std::string& reason);
};
