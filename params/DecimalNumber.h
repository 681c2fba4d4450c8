#pragma once

// Conversion of the unsigned plain decimal numbers that the parameter
// classifier accepts (digits[.digits][(e|E)[+-]digits], a leading or trailing
// point allowed) to the nearest double, rounded to nearest, ties to even.
// Beyond the double range the result is +infinity, below half the smallest
// subnormal it is +0.0, as strtod answers. The process's locale never
// matters: a simulator may run under one whose decimal point is a comma.
//
// `text` is NUL-terminated and owned by the caller; conversion stops at the
// first character that cannot continue the number.

// Through std::from_chars where the standard library has it for doubles, else
// through DecimalToDoubleInCLocale.
double DecimalToDouble(const char* text);

#if !defined(_WIN32)
// Through the C library's strtod_l in the "C" locale: the route for standard
// libraries without a floating-point from_chars. Kept callable everywhere it
// compiles so that tests can hold both routes to the same bits.
double DecimalToDoubleInCLocale(const char* text);
#endif
