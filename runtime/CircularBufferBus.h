#pragma once

#include <cstddef>

#include "runtime/CircularBuffer.h"

namespace TorvaneModelBuilder {

// A variable number of ports of one buffer type.
class CircularBufferBus {
public:
    // Holds n fresh buffers afterwards; the same n keeps the existing ones.
    virtual void Resize(std::size_t n) = 0;
    virtual ~CircularBufferBus() = default;
    // Buffer i; i < count is the caller's obligation (not checked).
    virtual CircularBufferBase* At(std::size_t i) = 0;
};

// Owns an array of Count buffers of type B. Destroying or resizing the bus
// destroys the buffers, never the storage attached to them.
template <typename B>
class CircularBufferBusT : public CircularBufferBus {
public:
    std::size_t Count = 0;   // number of buffers
    B* Buffers = nullptr;    // owned array of Count buffers, null when Count is 0

    CircularBufferBusT() = default;
    CircularBufferBusT(const CircularBufferBusT&) = delete;
    CircularBufferBusT& operator=(const CircularBufferBusT&) = delete;
    ~CircularBufferBusT() override { delete[] Buffers; }

    void Resize(std::size_t n) override
    {
        if (n == Count)
            return;
        delete[] Buffers;
        Buffers = nullptr;
        Count = 0;
        if (n > 0)
            Buffers = new B[n];
        Count = n; // only once the array exists, should the allocation throw
    }

    B* At(std::size_t i) override { return Buffers + i; }
};

} // namespace TorvaneModelBuilder
