#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "tools/amihost/amifile/AmiFile.h"
#include "tools/amihost/check/KitCheckReport.h"
#include "tools/amihost/check/ModelCheck.h"
#include "tools/amihost/host/AmiModel.h"

// `amihost check`'s item setting-levels: every setting of each integer In or
// InOut parameter with few values, the others at their defaults (or --set),
// judged on its steady level as `sweep` judges it (SettingLevels): a setting
// whose level is not finite, inverted, more than 10 or less than 0.01 times
// the step, or a factor of 2 or the other sign from the median of the
// parameter's settings is a Warning at the parameter's line. A setting that
// AMI_Init or AMI_GetWave refuses is left to declared-values.
//
// Steady level: the model's last output sample for a unit step (0 for the
// first StepAt bits, then 1) of config.Bits bits, at least MinBits (a short
// --bits must not cut a model's memory short), at config.SamplesPerBit
// samples a bit and config.BitTime seconds a bit, through AMI_GetWave in
// blocks of config.BlockSize (the model alone, no channel).
class SettingLevelsCheck {
public:
    static constexpr std::size_t MaxSettings = 64; // a parameter with more is not swept
    static constexpr std::size_t StepAt = 8;       // bits of 0 before the step
    static constexpr std::size_t MinBits = 512;    // the step's run at least, whatever config.Bits says

    static void Run(const AmiModel& model, const AmiFile& ami, const ModelCheckConfig& config, KitCheckItem& item);

    // The settings of an integer parameter: each whole number of its range
    // (min .. max) or increment (min .. max by the increment), or its list
    // or corner entries; none (nullopt) for another type, another format, or
    // more than MaxSettings.
    static std::optional<std::vector<long long>> Settings(const AmiParameterDefinition& definition);
};
