#include "tools/amihost/report/StudyText.h"

#include <cstdio>

#include "tools/amihost/channel/CausalImpulse.h"

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
    text += Line("stimulus    %s, %g peak to peak%s\n", study.Drive.Description().c_str(), study.Drive.Swing(),
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
                       study.Drive.Description();
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

std::vector<std::string> StudyText::ChannelWarnings(const Study& study)
{
    std::vector<std::string> warnings;
    if (!study.ChannelFindings)
        return warnings;
    const TouchstoneChannel::Findings& f = *study.ChannelFindings;
    const std::string& file = study.Request().TouchstoneFile;
    if (f.Band.Short)
        warnings.push_back(Line("%s: data end at %g GHz, below the %g GHz this run needs (the bit rate, or the "
                                "sampling's Nyquist if lower); above %g GHz the through path is extrapolated by "
                                "tapering it to 0 over the top %g %% of the data's band",
                                file.c_str(), f.Band.DataTop * 1e-9, f.Band.Needed * 1e-9, f.Band.DataTop * 1e-9,
                                CausalImpulse::TaperShare * 100.0));
    if (!f.Passive.Passive)
        warnings.push_back(Line("%s: not passive: S returns %.4g times the power-wave amplitude it takes in at "
                                "%g GHz (largest singular value; a passive network stays at or below 1): the data "
                                "are probably not of this channel or not S-parameters",
                                file.c_str(), f.Passive.Largest, f.Passive.Frequency * 1e-9));
    if (f.Causality && f.Causality->Flagged)
        warnings.push_back(Line("%s: %.3g %% of the through path's impulse energy lies before t = 0 and is dropped "
                                "(more than %g %%): the data's phase is probably off (a delay removed, a "
                                "de-embedding error)",
                                file.c_str(), f.Causality->Share * 100.0, NonCausality::Threshold * 100.0));
    if (f.Order && f.Order->Flagged)
        warnings.push_back(Line("%s: the through path in port order %s passes %.3g at low frequency, in %s %.3g: "
                                "the data are probably in the other order (--s4p-order %s)",
                                file.c_str(), TouchstoneChannel::OrderName(f.Order->Chosen), f.Order->ChosenGain,
                                TouchstoneChannel::OrderName(f.Order->Other), f.Order->OtherGain,
                                TouchstoneChannel::OrderName(f.Order->Other)));
    return warnings;
}

std::string StudyText::WindowWarning(const std::string& setting, std::size_t window, bool settled)
{
    if (settled)
        return std::string();
    return Line("%s: the step at the eye has not settled inside its window of %zu bits (it moves by more than "
                "%g %% of its final value within the last %zu): its final level, the bits skipped and the eye are "
                "not to be trusted; the chain needs a window of more than %zu bits (--response-bits %zu or more)",
                setting.c_str(), window, SimulationConfig::SettleTolerance * 100.0, SimulationConfig::SettledTailBits,
                window, 2 * window);
}

std::string StudyText::FewBitsWarning(const std::string& setting, const SimulationResult& result)
{
    const std::size_t measured = result.Eye.Valid ? result.Eye.BitCount : 0;
    if (measured >= MinMeasuredBits)
        return std::string();
    return Line("%s: the eye and the BER rest on %zu measured bits (after %zu skipped), fewer than %zu (one PRBS7 "
                "period): patterns are missing; give more --bits",
                setting.c_str(), measured, result.Eye.FirstBit, MinMeasuredBits);
}
