#pragma once

#include <string>

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
    static std::string LevelWarning(const std::string& setting, double level, const std::string& reason);
};
