#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "runtime/DFModel.h"

namespace TorvaneModelBuilder {

// Common base of the type converters; adds nothing to DFModel.
class TypeConverterBase : public DFModel {};

// A converter's ports. Its own Run is the default (does nothing).
template <typename In, typename Out, typename Policy>
class TypeConverter : public TypeConverterBase {
public:
    In Input;   // buffer of the source type
    Out Output; // buffer of the target type
};

// Output[0] = Policy::Convert(Input[0]) at every firing.
template <typename In, typename Out, typename Policy>
class ScalarToScalar : public TypeConverter<In, Out, Policy> {
public:
    bool Run() override
    {
        using Target = typename Out::ElementType;
        this->Output.ElementAt(0) = static_cast<Target>(Policy::Convert(this->Input.ElementAt(0)));
        return true;
    }
};

// Rounds a double to the nearest int32, halves away from zero:
// r = ceil(x - 0.5) for x < 0, else floor(x + 0.5) (sums in double precision).
// An r outside [-2^31, 2^31 - 1], and NaN, give -2^31. The range is tested
// before the conversion, which C++ leaves undefined for such values.
struct TypeConverterRound {
    static int32_t Convert(double x)
    {
        const double r = x < 0.0 ? std::ceil(x - 0.5) : std::floor(x + 0.5);
        if (!(r >= -2147483648.0 && r <= 2147483647.0))
            return std::numeric_limits<int32_t>::min();
        return static_cast<int32_t>(r);
    }
};

} // namespace TorvaneModelBuilder
