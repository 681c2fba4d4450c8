#include "tools/amihost/check/SettingLevelsCheck.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include "tools/amihost/amifile/ParameterString.h"
#include "tools/amihost/host/AmiSession.h"
#include "tools/amihost/host/SettingLevels.h"

namespace {

using Level = Finding::Level;

std::optional<long long> Whole(const std::string& text)
{
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || errno != 0 || *end != '\0')
        return std::nullopt;
    return value;
}

// The steady level of one setting; nullopt when the model refuses it.
std::optional<double> SteadyLevel(const AmiModel& model, const AmiFile& ami, const ModelCheckConfig& config,
                                  const std::vector<ParameterString::Setting>& settings)
{
    std::string parameters;
    std::string error;
    if (!ParameterString::Build(ami, settings, parameters, error))
        return std::nullopt;
    AmiSession session(model);
    if (!session.Init({}, config.BitTime / config.SamplesPerBit, config.BitTime, parameters, error) ||
        !model.GetWave)
        return std::nullopt;
    const std::size_t perBit = static_cast<std::size_t>(config.SamplesPerBit);
    std::vector<double> wave(std::max(config.Bits, SettingLevelsCheck::MinBits) * perBit, 1.0);
    std::fill(wave.begin(), wave.begin() + static_cast<std::ptrdiff_t>(SettingLevelsCheck::StepAt * perBit), 0.0);
    if (!session.Process(wave, config.BlockSize, {}, error))
        return std::nullopt;
    return wave.back();
}

std::string Shown(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", value);
    return text;
}

} // namespace

std::optional<std::vector<long long>> SettingLevelsCheck::Settings(const AmiParameterDefinition& d)
{
    if (d.Type != AmiKeywordInteger)
        return std::nullopt;
    std::vector<long long> settings;
    const bool stepped = d.Format == AmiKeywordRange || d.Format == AmiKeywordIncrement;
    if (stepped && d.Values.size() >= 3) {
        const std::optional<long long> from = Whole(d.Values[1]);
        const std::optional<long long> to = Whole(d.Values[2]);
        std::optional<long long> step = 1;
        if (d.Format == AmiKeywordIncrement)
            step = d.Values.size() >= 4 ? Whole(d.Values[3]) : std::nullopt;
        if (!from || !to || !step || *step <= 0 || *to < *from ||
            (*to - *from) / *step >= static_cast<long long>(MaxSettings))
            return std::nullopt;
        for (long long v = *from; v <= *to; v += *step)
            settings.push_back(v);
    } else if (d.Format == AmiKeywordList || d.Format == AmiKeywordCorner) {
        for (const std::string& text : d.Values) {
            const std::optional<long long> v = Whole(text);
            if (!v)
                return std::nullopt;
            settings.push_back(*v);
        }
    }
    if (settings.empty() || settings.size() > MaxSettings)
        return std::nullopt;
    return settings;
}

void SettingLevelsCheck::Run(const AmiModel& model, const AmiFile& ami, const ModelCheckConfig& config,
                             KitCheckItem& item)
{
    std::size_t swept = 0;
    for (const AmiParameterDefinition& d : ami.Parameters) {
        const std::optional<std::vector<long long>> settings = d.Sent() ? Settings(d) : std::nullopt;
        if (!settings)
            continue;
        std::vector<long long> taken;
        std::vector<double> levels;
        for (const long long value : *settings) {
            std::vector<ParameterString::Setting> with = config.Settings;
            with.push_back({d.DottedPath(), std::to_string(value)});
            if (const std::optional<double> level = SteadyLevel(model, ami, config, with)) {
                taken.push_back(value);
                levels.push_back(*level);
            }
        }
        const std::vector<std::string> reasons = SettingLevels::Sweep(levels);
        const std::string where = d.Line > 0 ? ami.FileName + ":" + std::to_string(d.Line) : ami.FileName;
        for (std::size_t i = 0; i < reasons.size(); ++i)
            if (!reasons[i].empty())
                item.Add(Level::Warning, where,
                         d.DottedPath() + "=" + std::to_string(taken[i]) + ": steady level " + Shown(levels[i]) +
                             " for a unit step: " + reasons[i]);
        swept += taken.size();
    }
    item.Summary = swept == 0 ? "no integer parameter with at most " + std::to_string(MaxSettings) + " settings"
                              : std::to_string(swept) + " settings' steady levels compared, as sweep does";
}
