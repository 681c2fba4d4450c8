#pragma once

#include <cstdint>

#include "runtime/CircularBuffer.h"
#include "runtime/DFModel.h"

namespace TorvaneModelBuilder {

// Constant source: after Initialize, the first InitialDelay firings call
// WriteDelayValue and every later firing writes Value to Output[0]. Value is
// read at every firing, so an owner's change shows at the next one.
template <typename T, typename B>
class ConstUnTimedBase : public DFModel {
public:
    B Output;                    // the emitted value
    T Value{};                   // emitted after the delay; the owner writes it
    int32_t InitialDelay = 0;    // firings that emit the delay value, >= 0
    uint64_t FiringCount = 0;    // firings since the last Initialize

    bool Initialize() override
    {
        FiringCount = 0;
        return Validate();
    }

    bool Run() override
    {
        // InitialDelay is widened as unsigned: Initialize has refused a negative one.
        if (FiringCount < static_cast<uint64_t>(static_cast<int64_t>(InitialDelay)))
            WriteDelayValue();
        else
            Output.ElementAt(0) = Value;
        ++FiringCount;
        return true;
    }

    bool Validate() override
    {
        if (InitialDelay < 0) {
            ReportError("InitialDelay must be >= 0");
            return false;
        }
        return true;
    }

    // Writes the output of a firing inside the initial delay.
    virtual void WriteDelayValue() = 0;
};

// Constant source on a plain buffer; emits T's zero value during the delay.
template <typename T>
class ConstUnTimed : public ConstUnTimedBase<T, CircularBuffer<T>> {
public:
    void WriteDelayValue() override { this->Output.ElementAt(0) = T(); }
};

} // namespace TorvaneModelBuilder
