#include "tools/amihost/amifile/AmiParameterDefinition.h"

#include <charconv>
#include <cmath>

#include "params/AmiText.h"
#include "params/AmiVocabulary.h"

namespace {

// The decimal value of an integer or float text (as the parameter parser
// classifies them); false for anything else.
bool Number(const std::string& text, double& value)
{
    const AmiValueType type = ClassifyAmiValue(text.c_str());
    if (type != AmiValueInteger && type != AmiValueFloat)
        return false;
    const char* begin = text.data();
    const char* end = begin + text.size();
    while (begin != end && AmiText::IsBlank(*begin))
        ++begin;
    if (begin != end && *begin == '+')
        ++begin;
    const std::from_chars_result r = std::from_chars(begin, end, value);
    return r.ec == std::errc() && r.ptr == end && std::isfinite(value);
}

std::string Join(const std::vector<std::string>& values, const char* separator)
{
    std::string text;
    for (std::size_t i = 0; i < values.size(); ++i)
        text += (i > 0 ? separator : "") + values[i];
    return text;
}

} // namespace

bool AmiParameterDefinition::Numeric() const
{
    return Type == AmiKeywordFloat || Type == AmiKeywordInteger || Type == AmiKeywordTap || Type == AmiKeywordUI;
}

std::string AmiParameterDefinition::DottedPath() const { return Join(Path, "."); }

bool AmiParameterDefinition::AcceptsType(const std::string& value, std::string& reason) const
{
    double x = 0.0;
    if (Type == AmiKeywordInteger && !(ClassifyAmiValue(value.c_str()) == AmiValueInteger && Number(value, x)))
        reason = "\"" + value + "\" is not an integer";
    else if (Numeric() && Type != AmiKeywordInteger && !Number(value, x))
        reason = "\"" + value + "\" is not a number";
    else if (Type == AmiKeywordBoolean && value != "True" && value != "False")
        reason = "\"" + value + "\" is not True or False";
    else if (Type == AmiKeywordString &&
             (value.find('"') != std::string::npos || value.find('\0') != std::string::npos))
        reason = "a string value cannot hold a double quote";
    else
        return true;
    return false;
}

bool AmiParameterDefinition::AcceptsFormat(const std::string& value, std::string& reason) const
{
    // The same value for the parameter's type: numbers by value, the rest by text.
    const auto same = [this, &value](const std::string& other) {
        double x = 0.0;
        double y = 0.0;
        return Numeric() && Number(value, x) && Number(other, y) ? x == y : value == other;
    };
    if (Format == AmiKeywordValue) {
        reason = same(Values[0]) ? "" : "the value is fixed at " + Values[0];
        return reason.empty();
    }
    if (Format == AmiKeywordList || Format == AmiKeywordCorner) {
        for (const std::string& allowed : Values)
            if (same(allowed))
                return true;
        reason = value + " is not one of " + Join(Values, ", ");
        return false;
    }
    double x = 0.0;
    double low = 0.0;
    double high = 0.0;
    Number(value, x);
    Number(Values[1], low);
    Number(Values[2], high);
    if (!(x >= low && x <= high)) {
        reason = value + " is outside the range " + Values[1] + " .. " + Values[2];
        return false;
    }
    if (Format == AmiKeywordRange)
        return true;
    double count = 0.0;
    Number(Values[3], count);
    // Increment: min + k * delta; Steps: min + k * (max - min) / n.
    const double step = Format == AmiKeywordIncrement ? count : (high - low) / count;
    const double k = std::round((x - low) / step);
    if (std::fabs(low + k * step - x) > 1e-9 * std::fabs(step)) {
        reason = value + " is not on the grid " + Values[1] + " + k * " +
                 (Format == AmiKeywordIncrement ? Values[3] : "(" + Values[2] + " - " + Values[1] + ") / " + Values[3]);
        return false;
    }
    return true;
}

bool AmiParameterDefinition::Accepts(const std::string& value, std::string& reason) const
{
    return AcceptsType(value, reason) && AcceptsFormat(value, reason);
}

std::string AmiParameterDefinition::Written(const std::string& value) const
{
    return Type == AmiKeywordString ? "\"" + value + "\"" : value;
}

std::string AmiParameterDefinition::Describe() const
{
    std::string text = std::string(AmiVocabulary::ValueText(Type)) + ", " + AmiVocabulary::ValueText(Format);
    switch (Format) {
    case AmiKeywordValue: text += " " + Values[0]; break;
    case AmiKeywordRange: text += " " + Values[1] + " .. " + Values[2]; break;
    case AmiKeywordIncrement: text += " " + Values[1] + " .. " + Values[2] + " by " + Values[3]; break;
    case AmiKeywordSteps: text += " " + Values[1] + " .. " + Values[2] + " in " + Values[3] + " steps"; break;
    default: text += " " + Join(Values, " "); break; // List, Corner
    }
    return text + ", default " + Written(Default);
}

std::string AmiParameterDefinition::Cited(const std::string& fileName) const
{
    return "parameter " + DottedPath() + " (" + fileName + ":" + std::to_string(Line) + ", " + Describe() + ")";
}
