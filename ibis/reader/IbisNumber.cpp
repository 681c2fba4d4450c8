#include "ibis/reader/IbisNumber.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The power of ten of an IBIS scale letter; false for any other character.
bool ScaleExponent(char c, long& exponent)
{
    switch (c) {
    case 'T': exponent = 12; return true;
    case 'G': exponent = 9; return true;
    case 'M': exponent = 6; return true;
    case 'k': exponent = 3; return true;
    case 'm': exponent = -3; return true;
    case 'u': exponent = -6; return true;
    case 'n': exponent = -9; return true;
    case 'p': exponent = -12; return true;
    case 'f': exponent = -15; return true;
    default: return false;
    }
}

// Reads an exponent "e[+|-]digits" at `p`; leaves `p` where it was when there
// is none ("1e" is 1 with the unit "e"). Magnitudes are held below 10^6, far
// beyond any finite double, so the sum with the scale cannot overflow.
void ReadExponent(const char*& p, const char* end, long& exponent)
{
    if (p == end || (*p != 'e' && *p != 'E'))
        return;
    const char* q = p + 1;
    const bool negative = q != end && *q == '-';
    if (q != end && (*q == '+' || *q == '-'))
        ++q;
    if (q == end || !IsDigit(*q))
        return;
    long magnitude = 0;
    for (; q != end && IsDigit(*q); ++q)
        if (magnitude < 1000000)
            magnitude = magnitude * 10 + (*q - '0');
    exponent = negative ? -magnitude : magnitude;
    p = q;
}

} // namespace

bool IbisNumber::Parse(std::string_view text, double& value)
{
    const char* p = text.data();
    const char* const end = p + text.size();
    // The decimal handed to from_chars: sign, digits and point, then "e" and
    // the whole exponent; on the stack for the numbers files hold, on the
    // heap for longer ones.
    char small[64];
    std::string large;
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    const char* const digits = p;
    std::size_t digitCount = 0;
    for (; p != end && IsDigit(*p); ++p)
        ++digitCount;
    if (p != end && *p == '.')
        for (++p; p != end && IsDigit(*p); ++p)
            ++digitCount;
    if (digitCount == 0)
        return false;
    const std::size_t mantissa = static_cast<std::size_t>(p - digits);
    long exponent = 0;
    ReadExponent(p, end, exponent);
    long scale = 0;
    if (p != end && ScaleExponent(*p, scale)) {
        exponent += scale;
        ++p;
    }
    for (; p != end; ++p)
        if (!IsLetter(*p))
            return false;
    const std::string power = "e" + std::to_string(exponent);
    const std::size_t length = (negative ? 1 : 0) + mantissa + power.size();
    char* decimal = small;
    if (length > sizeof small) {
        large.resize(length);
        decimal = &large[0];
    }
    char* out = decimal;
    if (negative)
        *out++ = '-';
    out = std::copy(digits, digits + mantissa, out);
    out = std::copy(power.begin(), power.end(), out);
    double parsed = 0.0;
    const std::from_chars_result r = std::from_chars(decimal, out, parsed);
    if (r.ec != std::errc() || r.ptr != out || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

bool IbisNumber::IsNa(std::string_view text)
{
    return text.size() == 2 && (text[0] == 'N' || text[0] == 'n') && (text[1] == 'A' || text[1] == 'a');
}

bool IbisNumber::ParseOrNa(std::string_view text, std::optional<double>& value)
{
    if (IsNa(text)) {
        value.reset();
        return true;
    }
    double number = 0.0;
    if (!Parse(text, number))
        return false;
    value = number;
    return true;
}

bool IbisNumber::ParseSlope(std::string_view text, std::optional<IbisSlope>& value)
{
    if (IsNa(text)) {
        value.reset();
        return true;
    }
    const std::size_t slash = text.find('/');
    IbisSlope slope;
    if (slash == std::string_view::npos || !Parse(text.substr(0, slash), slope.Dv) ||
        !Parse(text.substr(slash + 1), slope.Dt))
        return false;
    value = slope;
    return true;
}
