#include "tools/amihost/report/StudyText.h"

#include <cstdio>

namespace {

// printf into a string, for the lines of the report.
template <typename... Args>
std::string Line(const char* format, Args... args)
{
    const int size = std::snprintf(nullptr, 0, format, args...);
    std::string text(static_cast<std::size_t>(size > 0 ? size : 0) + 1, '\0');
    std::snprintf(&text[0], text.size(), format, args...);
    text.pop_back();
    return text;
}

} // namespace

std::string StudyText::Setting(const Study& study)
{
    const HostRequest& r = study.Request();
    const Receiver& rx = study.Rx;
    std::string text;
    if (const std::string kit = study.Opened.Description(); !kit.empty())
        text += Line("kit         %s\n", kit.c_str());
    text += Line("model       %s (root %s, %s)\n", study.ModelPath().c_str(), study.Ami.RootName.c_str(),
                 study.AmiPath().c_str());
    text += Line("flow        %s\n", r.ModelIsReceiver          ? "stimulus -> channel -> model (receiver) -> eye"
                                     : !r.HasReceiverAfter()    ? "stimulus -> model (transmitter) -> channel -> eye"
                                                                : "stimulus -> model (transmitter) -> channel -> "
                                                                  "receiver -> eye");
    if (r.HasReceiverAfter())
        text += Line("receiver    %s (root %s, %s%s), through %s\n", rx.LibraryPath.c_str(), rx.Ami.RootName.c_str(),
                     rx.AmiPath.c_str(), rx.Origin.empty() ? "" : ("; " + rx.Origin).c_str(), rx.Flow().c_str());
    text += Line("timing      bit time %g s (%g Gb/s), %d samples per bit, AMI_GetWave blocks of %zu\n", r.BitTime,
                 1e-9 / r.BitTime, r.SamplesPerBit, r.BlockSize);
    // A file's wave keeps its own levels; its swing is its extremes'.
    text += Line("stimulus    %s, %g peak to peak%s\n", study.Drive.Description.c_str(), study.Drive.Swing,
                 r.WaveFile.empty() ? "" : " (the file's own levels)");
    text += Line("channel     %s (%zu taps)\n", study.Link.Description().c_str(), study.Link.Taps().size());
    if (study.Jitter().Any())
        text += Line("jitter      %s on the stimulus's edges (seed %u)\n", study.Jitter().Description().c_str(),
                     r.Seed);
    if (r.NoiseRms > 0.0)
        text += Line("noise       %g V rms at the eye (seed %u)\n", r.NoiseRms, r.Seed);
    return text;
}

std::string StudyText::Conditions(const Study& study)
{
    const HostRequest& r = study.Request();
    std::string text = Line("%g Gb/s", 1e-9 / r.BitTime) + ", " + study.Link.Description() + ", " +
                       study.Drive.Description;
    if (study.Jitter().Any())
        text += ", " + study.Jitter().Description();
    if (r.NoiseRms > 0.0)
        text += Line(", noise %g V rms", r.NoiseRms);
    return text;
}

std::string StudyText::Title(const std::string& root, const std::string& parameters)
{
    const std::string head = "(" + root;
    if (parameters.compare(0, head.size(), head) != 0 || parameters.size() < head.size() + 1)
        return parameters;
    std::string inner = parameters.substr(head.size(), parameters.size() - head.size() - 1);
    inner.erase(0, inner.find_first_not_of(' '));
    return inner.empty() ? root : root + " " + inner;
}

std::string StudyText::LevelWarning(const std::string& setting, double level, const std::string& reason)
{
    if (reason.empty())
        return reason;
    return setting + ": steady level " + Line("%.4g", level) + " for a unit step at the input, " + reason +
           ": this setting misbehaves at this timing";
}
