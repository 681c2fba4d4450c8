#pragma once

#include <deque>

#include "runtime/CircularBuffer.h"

// One-element storage for test ports, owned by the fixture (a deque keeps the
// addresses of earlier elements stable while more are added).
template <typename T>
class PortStorage {
public:
    // Attaches `port` to a fresh element holding `initial` and returns it.
    template <typename B>
    T& Connect(B& port, T initial = T())
    {
        cells_.push_back(initial);
        port.Attach(&cells_.back(), 1, 1, 0);
        return cells_.back();
    }

private:
    std::deque<T> cells_;
};
