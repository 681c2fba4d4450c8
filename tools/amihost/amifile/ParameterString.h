#pragma once

#include <string>
#include <vector>

#include "tools/amihost/amifile/AmiFile.h"

// The parameter string that a simulator hands to AMI_Init, built from an
// .ami file: the root name, then every sent (In or InOut) parameter with its
// default or the value a setting gives it, in file order, with the groups
// between Model_Specific and the parameter kept:
//   (Halvex_tx (de 15))
//   (Model (tx_taps (-1 0.1) (0 0.8)) (mode "fast"))
// Settings are checked against each parameter's type and format first.
class ParameterString {
public:
    // One "--set NAME=VALUE": NAME is a dotted path or a unique name.
    struct Setting {
        std::string Key;
        std::string Value;
    };

    // Splits "NAME=VALUE" at the first "="; false with the reason when either
    // side is empty.
    static bool ParseSetting(const std::string& text, Setting& setting, std::string& error);

    // The string for `file` with `settings` applied (a later setting of the
    // same parameter wins). False with the reason, naming the parameter's
    // file and line, when a setting names no parameter or does not fit it.
    static bool Build(const AmiFile& file, const std::vector<Setting>& settings, std::string& text,
                      std::string& error);
};
