#pragma once

#include "runtime/CircularBufferBus.h"
#include "runtime/DFModel.h"

namespace TorvaneModelBuilder {

// Copies the current input element to the current element of every output:
// Outputs[i][0] = Input[0] for i = 0 .. Outputs.Count - 1. Ports are buffers of
// type B whose storage the owner attaches; the block owns only the bus array.
template <typename B>
class Fork : public DFModel {
public:
    B Input;                       // the sample to copy
    CircularBufferBusT<B> Outputs; // one buffer per destination; sized by the owner

    bool Run() override
    {
        const auto value = Input.ElementAt(0);
        for (std::size_t i = 0; i < Outputs.Count; ++i)
            Outputs.Buffers[i].ElementAt(0) = value;
        return true;
    }
};

} // namespace TorvaneModelBuilder
