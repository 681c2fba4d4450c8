#pragma once

#include <optional>
#include <string>

// The value types of an IBIS file as its reader keeps them. Every record
// carries the 1-based line it was read from, so that a checker can point at
// it; Line 0 means the file does not give the item at all. A value the file
// gives as NA is an empty optional.

// A text keyword ([Date], [Notes], [Manufacturer], ...): for a multi-line
// keyword its lines trimmed and joined with "\n", comment lines left out.
struct IbisText {
    std::string Text;
    int Line = 0; // line of the keyword
};

// One number (Vmeas, R_load, ...), in SI units (V, A, ohm, F, s).
struct IbisValue {
    std::optional<double> Value; // empty for NA
    int Line = 0;
};

// A slew rate as [Ramp] writes it, "dV/dt": Dv volts (20 % to 80 % of the
// swing) in Dt seconds. Kept as the two numbers the file gives, not their
// quotient, so that nothing is rounded twice and Dt = 0 stays visible.
struct IbisSlope {
    double Dv = 0.0;
    double Dt = 0.0;
};

// The typ, min and max columns of one quantity.
template <typename T>
struct IbisCorners {
    std::optional<T> Typ; // empty for NA
    std::optional<T> Min;
    std::optional<T> Max;
    int Line = 0;
};
