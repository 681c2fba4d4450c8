#include "tools/amihost/AmiParameterDefinition.h"

#include <charconv>
#include <cmath>

#include "params/AmiTree.h"

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
    while (begin != end && (*begin == ' ' || *begin == '\t' || *begin == '\n' || *begin == '\v' ||
                            *begin == '\f' || *begin == '\r'))
        ++begin;
    if (begin != end && *begin == '+')
        ++begin;
    const std::from_chars_result r = std::from_chars(begin, end, value);
    return r.ec == std::errc() && r.ptr == end && std::isfinite(value);
}

bool Numeric(AmiParameterDefinition::TypeKind type)
{
    return type == AmiParameterDefinition::TypeFloat || type == AmiParameterDefinition::TypeInteger ||
           type == AmiParameterDefinition::TypeTap || type == AmiParameterDefinition::TypeUI;
}

// The same value for the parameter's type: numbers by value, the rest by text.
bool Same(AmiParameterDefinition::TypeKind type, const std::string& a, const std::string& b)
{
    double x = 0.0;
    double y = 0.0;
    if (Numeric(type) && Number(a, x) && Number(b, y))
        return x == y;
    return a == b;
}

std::string Join(const std::vector<std::string>& values, std::size_t from, const char* separator)
{
    std::string text;
    for (std::size_t i = from; i < values.size(); ++i)
        text += (i > from ? separator : "") + values[i];
    return text;
}

} // namespace

std::string AmiParameterDefinition::DottedPath() const { return Join(Path, 0, "."); }

const char* AmiParameterDefinition::UsageName(UsageKind usage)
{
    static const char* const names[] = {"In", "Out", "InOut", "Info"};
    return names[usage];
}

const char* AmiParameterDefinition::TypeName(TypeKind type)
{
    static const char* const names[] = {"Float", "Integer", "String", "Boolean", "Tap", "UI"};
    return names[type];
}

const char* AmiParameterDefinition::FormatName(FormatKind format)
{
    static const char* const names[] = {"Value", "Range", "List", "Corner", "Increment", "Steps"};
    return names[format];
}

bool AmiParameterDefinition::Accepts(const std::string& value, std::string& reason) const
{
    double x = 0.0;
    switch (Type) {
    case TypeInteger:
        if (ClassifyAmiValue(value.c_str()) != AmiValueInteger || !Number(value, x)) {
            reason = "\"" + value + "\" is not an integer";
            return false;
        }
        break;
    case TypeFloat:
    case TypeTap:
    case TypeUI:
        if (!Number(value, x)) {
            reason = "\"" + value + "\" is not a number";
            return false;
        }
        break;
    case TypeBoolean:
        if (value != "True" && value != "False") {
            reason = "\"" + value + "\" is not True or False";
            return false;
        }
        break;
    case TypeString:
        if (value.find('"') != std::string::npos || value.find('\0') != std::string::npos) {
            reason = "a string value cannot hold a double quote";
            return false;
        }
        break;
    }

    switch (Format) {
    case FormatValue:
        if (!Same(Type, value, Values[0])) {
            reason = "the value is fixed at " + Values[0];
            return false;
        }
        return true;
    case FormatList:
    case FormatCorner:
        for (std::size_t i = 0; i < Values.size(); ++i)
            if (Same(Type, value, Values[i]))
                return true;
        reason = value + " is not one of " + Join(Values, 0, ", ");
        return false;
    case FormatRange:
    case FormatIncrement:
    case FormatSteps: {
        double low = 0.0;
        double high = 0.0;
        Number(Values[1], low);
        Number(Values[2], high);
        if (!(x >= low && x <= high)) {
            reason = value + " is outside the range " + Values[1] + " .. " + Values[2];
            return false;
        }
        if (Format == FormatRange)
            return true;
        double count = 0.0;
        Number(Values[3], count);
        // Increment: min + k * delta; Steps: min + k * (max - min) / n.
        const double step = Format == FormatIncrement ? count : (high - low) / count;
        const double k = std::round((x - low) / step);
        if (std::fabs(low + k * step - x) > 1e-9 * std::fabs(step)) {
            reason = value + " is not on the grid " + Values[1] + " + k * " +
                     (Format == FormatIncrement ? Values[3] : "(" + Values[2] + " - " + Values[1] + ") / " + Values[3]);
            return false;
        }
        return true;
    }
    }
    return true;
}

std::string AmiParameterDefinition::Written(const std::string& value) const
{
    return Type == TypeString ? "\"" + value + "\"" : value;
}

std::string AmiParameterDefinition::Describe() const
{
    std::string text = std::string(TypeName(Type)) + ", " + FormatName(Format);
    switch (Format) {
    case FormatValue: text += " " + Values[0]; break;
    case FormatRange: text += " " + Values[1] + " .. " + Values[2]; break;
    case FormatIncrement: text += " " + Values[1] + " .. " + Values[2] + " by " + Values[3]; break;
    case FormatSteps: text += " " + Values[1] + " .. " + Values[2] + " in " + Values[3] + " steps"; break;
    case FormatList:
    case FormatCorner: text += " " + Join(Values, 0, " "); break;
    }
    return text + ", default " + Written(Default);
}
