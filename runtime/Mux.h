#pragma once

#include <cstdint>

#include "runtime/CircularBufferBus.h"
#include "runtime/DFModel.h"

namespace TorvaneModelBuilder {

// Reports a Mux control value outside [0, inputs - 1], e.g. "Control input
// signal value is equal to 20.  There are 16 inputs connected.  The valid
// control input range is [0,15]."
void ReportMuxControlOutOfRange(int32_t control, std::size_t inputs);

// Passes on the first BlockSize elements of input number Control:
// Output[0 .. BlockSize-1] = Inputs[Control][0 .. BlockSize-1], valid for
// 0 <= Control < Inputs.Count. The owner gives the Inputs bus its buffers before
// Setup (Setup sizes the ones that exist then) and writes Control before every Run.
template <typename B>
class Mux : public DFModel {
public:
    CircularBufferBusT<B> Inputs; // candidate inputs
    B Output;                     // the selected input's elements
    int32_t Control = 0;          // index of the selected input
    int32_t BlockSize = 1;        // elements moved per firing, >= 1

    bool Setup() override
    {
        if (BlockSize < 1) {
            ReportError("BlockSize must be >= 1");
            return false;
        }
        const auto size = static_cast<std::size_t>(BlockSize);
        Output.SetSize(size);
        for (std::size_t i = 0; i < Inputs.Count; ++i)
            Inputs.Buffers[i].SetSize(size);
        return true;
    }

    bool Run() override
    {
        if (Control >= 0 && static_cast<std::size_t>(Control) < Inputs.Count) {
            Inputs.Buffers[Control].CopyTo(0, Output, 0, static_cast<std::size_t>(BlockSize));
            return true;
        }
        ReportMuxControlOutOfRange(Control, Inputs.Count);
        return false;
    }
};

} // namespace TorvaneModelBuilder
