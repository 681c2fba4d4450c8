#include "tools/amihost/amifile/ParameterString.h"

bool ParameterString::ParseSetting(const std::string& text, Setting& setting, std::string& error)
{
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == text.size()) {
        error = "\"" + text + "\" is not NAME=VALUE";
        return false;
    }
    setting.Key = text.substr(0, equals);
    setting.Value = text.substr(equals + 1);
    return true;
}

bool ParameterString::Build(const AmiFile& file, const std::vector<Setting>& settings, std::string& text,
                            std::string& error)
{
    std::vector<std::string> values;
    for (const AmiParameterDefinition& d : file.Parameters)
        values.push_back(d.Default);
    for (const Setting& setting : settings) {
        const AmiParameterDefinition* d = file.Find(setting.Key, error);
        if (!d)
            return false;
        std::string reason;
        if (!d->Accepts(setting.Value, reason)) {
            error = d->Cited(file.FileName) + ": " + reason;
            return false;
        }
        values[static_cast<std::size_t>(d - file.Parameters.data())] = setting.Value;
    }

    text = "(" + file.RootName;
    std::vector<std::string> open; // groups open below the root
    for (std::size_t i = 0; i < file.Parameters.size(); ++i) {
        const std::vector<std::string>& path = file.Parameters[i].Path;
        const std::size_t groups = path.size() - 1;
        std::size_t shared = 0;
        while (shared < open.size() && shared < groups && open[shared] == path[shared])
            ++shared;
        for (; open.size() > shared; open.pop_back())
            text += ")";
        for (; open.size() < groups; open.push_back(path[open.size()]))
            text += " (" + path[open.size()];
        text += " (" + path.back() + " " + file.Parameters[i].Written(values[i]) + ")";
    }
    text += std::string(open.size(), ')') + ")";
    return true;
}
