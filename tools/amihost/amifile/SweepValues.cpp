#include "tools/amihost/amifile/SweepValues.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "tools/amihost/amifile/ParameterString.h"

namespace {

bool Real(const std::string& text, double& value)
{
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+')
        ++begin;
    const std::from_chars_result r = std::from_chars(begin, end, value);
    return !text.empty() && r.ec == std::errc() && r.ptr == end && std::isfinite(value);
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos)
            return parts;
        start = at + 1;
    }
}

// FROM:TO[:STEP] of the parameter `d`; `text` is the whole option value for messages.
bool ParseRange(const std::vector<std::string>& range, const AmiParameterDefinition& d, const std::string& text,
                std::vector<std::string>& values, std::string& error)
{
    const bool integer = d.Type == AmiKeywordInteger;
    double from = 0.0;
    double to = 0.0;
    double step = 1.0;
    if (!Real(range[0], from) || !Real(range[1], to) || (range.size() == 3 && !Real(range[2], step))) {
        error = "--param " + text + ": a range is FROM:TO or FROM:TO:STEP with numbers";
        return false;
    }
    if (range.size() == 2 && !integer) {
        error = "--param " + text + ": " + d.DottedPath() + " is not an integer parameter; give a step (FROM:TO:STEP)";
        return false;
    }
    if (!(step > 0.0) || !(to >= from)) {
        error = "--param " + text + ": the range needs FROM <= TO and a positive STEP";
        return false;
    }
    const double count = std::floor((to - from) / step + 1e-9) + 1.0;
    if (count > static_cast<double>(SweepValues::MaxValues)) {
        error = "--param " + text + ": more than " + std::to_string(SweepValues::MaxValues) + " values";
        return false;
    }
    for (double i = 0.0; i < count; i += 1.0) {
        const double v = from + i * step;
        char written[40];
        if (integer && std::fabs(v) < 9e15 && v == std::floor(v))
            std::snprintf(written, sizeof written, "%.0f", v);
        else
            std::snprintf(written, sizeof written, "%.12g", v);
        values.emplace_back(written);
    }
    return true;
}

} // namespace

bool SweepValues::Parse(const std::string& text, const AmiFile& file, std::string& key,
                        std::vector<std::string>& values, std::string& error)
{
    values.clear();
    ParameterString::Setting setting;
    if (!ParameterString::ParseSetting(text, setting, error)) {
        error = "--param " + error;
        return false;
    }
    const AmiParameterDefinition* d = file.Find(setting.Key, error);
    if (!d)
        return false;
    key = d->DottedPath();
    const std::vector<std::string> range = Split(setting.Value, ':');
    if (range.size() == 2 || range.size() == 3) {
        if (!ParseRange(range, *d, text, values, error))
            return false;
    } else if (range.size() == 1) {
        values = Split(setting.Value, ',');
        if (values.size() > MaxValues) {
            error = "--param " + text + ": more than " + std::to_string(MaxValues) + " values";
            values.clear();
            return false;
        }
    } else {
        error = "--param " + text + ": a range is FROM:TO or FROM:TO:STEP";
        return false;
    }
    for (const std::string& value : values) {
        std::string reason;
        if (!d->Accepts(value, reason)) {
            error = "--param " + text + ": " + d->Cited(file.FileName) + ": " + reason;
            values.clear();
            return false;
        }
    }
    return true;
}
