#pragma once

#include <optional>
#include <string_view>

#include "ibis/IbisValue.h"

// Numbers as IBIS writes them:
//
//   [+|-] digits [. digits] [(e|E) [+|-] digits] [scale] [unit letters]
//
// (digits may also be left out on one side of the point: ".5", "5.").
// The scale is one letter, case-sensitive: T 1e12, G 1e9, M 1e6, k 1e3,
// m 1e-3, u 1e-6, n 1e-9, p 1e-12, f 1e-15. Letters after it (or after the
// digits) are units and are ignored: "10.0fF", "0.1V", "50ohm", "1.5nH".
// Anything else (a blank, a second point, a digit after a letter, a byte
// outside ASCII) makes the token not a number.
//
// The scale is folded into the decimal exponent before conversion, so the
// result is the decimal the token spells rounded once: "20.0mA" is the
// double nearest 0.02, exactly as "0.02" would be. Results are finite;
// a token whose value overflows or underflows to zero is refused.
class IbisNumber {
public:
    // `text` as a number.
    static bool Parse(std::string_view text, double& value);

    // `text` as a number or NA (any case), which gives an empty optional.
    static bool ParseOrNa(std::string_view text, std::optional<double>& value);

    // A [Ramp] rate "DV/DT" (two numbers), or NA.
    static bool ParseSlope(std::string_view text, std::optional<IbisSlope>& value);

    // True for "NA" in any case.
    static bool IsNa(std::string_view text);
};
