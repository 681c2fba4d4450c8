#include "params/DecimalNumber.h"

#include <charconv>
#include <climits>
#include <cstring>
#include <limits>
#include <system_error>

#if !defined(_WIN32)
#include <locale.h>
#include <stdlib.h>
#endif

#include "params/AmiText.h"

namespace {

#if defined(__cpp_lib_to_chars)
using AmiText::IsDigit;

// Power of ten of the first non-zero digit of the unsigned plain decimal
// number `s`, its exponent included; LONG_MIN when every digit is zero.
long LeadingPower(const char* s)
{
    const char* point = s;
    while (IsDigit(*point))
        ++point;
    long power = static_cast<long>(point - s) - 1;
    const char* c = s;
    for (; IsDigit(*c) || *c == '.'; ++c) {
        if (*c == '.')
            continue;
        if (*c != '0')
            break;
        --power;
    }
    if (!IsDigit(*c))
        return LONG_MIN;
    while (IsDigit(*c) || *c == '.')
        ++c;
    if (*c == 'e' || *c == 'E') {
        ++c;
        const bool down = *c == '-';
        if (*c == '+' || *c == '-')
            ++c;
        long exponent = 0;
        for (; IsDigit(*c); ++c)
            if (exponent < 1000000000L) // saturates far beyond the double range
                exponent = exponent * 10 + (*c - '0');
        power += down ? -exponent : exponent;
    }
    return power;
}
#endif

} // namespace

#if !defined(_WIN32)
double DecimalToDoubleInCLocale(const char* text)
{
    // A locale object of its own per call, so that no other thread's
    // setlocale can reach it. For "C" the C library hands out its built-in
    // object without allocating. Deliberately no static: not every toolchain
    // runs a shared library's static destructors when it is unloaded.
    const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (c == static_cast<locale_t>(nullptr))
        return strtod(text, nullptr); // only a comma locale would then misread
    const double value = strtod_l(text, nullptr, c);
    freelocale(c);
    return value;
}
#endif

double DecimalToDouble(const char* text)
{
#if defined(__cpp_lib_to_chars)
    const char* end = text + std::strlen(text);
    double value = 0.0;
    const std::from_chars_result result = std::from_chars(text, end, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) // too large or too small, as strtod answers
        value = LeadingPower(text) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return value;
#else
    return DecimalToDoubleInCLocale(text);
#endif
}
