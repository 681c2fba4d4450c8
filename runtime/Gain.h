#pragma once

#include <cstddef>

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

    // What n firings fed in[0 .. n-1] write: out[i] = in[i] * GainValue (out
    // may be in). The ports are left to the owner.
    void ScaleBlock(const T* in, T* out, std::size_t n) const
    {
        for (std::size_t i = 0; i < n; ++i)
            out[i] = in[i] * GainValue;
    }
};

} // namespace TorvaneModelBuilder
