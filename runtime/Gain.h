#pragma once

#include "runtime/CircularBuffer.h"
#include "runtime/DFModel.h"

namespace TorvaneModelBuilder {

// Output[0] = Input[0] * GainValue (one product in T's arithmetic).
template <typename T>
class Gain : public DFModel {
public:
    T GainValue{};               // multiplier; the owner writes it before Setup
    CircularBuffer<T> Input;     // current sample
    CircularBuffer<T> Output;    // scaled sample

    bool Run() override
    {
        Output.ElementAt(0) = Input.ElementAt(0) * GainValue;
        return true;
    }
};

} // namespace TorvaneModelBuilder
