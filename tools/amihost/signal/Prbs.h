#pragma once

#include <cstdint>
#include <vector>

// Pseudo-random binary sequences of the orders used to stimulate serial links,
// from a Fibonacci linear-feedback shift register seeded with all ones:
//
//   order  7: x^7  + x^6  + 1     period 127
//   order 15: x^15 + x^14 + 1     period 32767
//   order 23: x^23 + x^18 + 1     period 8388607
//   order 31: x^31 + x^28 + 1     period 2147483647
//
// Bit n of the sequence is b[n] = b[n - order] xor b[n - tap], the register
// holding the last `order` bits (the seed counts as the bits before n = 0).
// Every period holds 2^(order-1) ones and 2^(order-1) - 1 zeros.
class Prbs {
public:
    // True for the four supported orders (7, 15, 23, 31).
    static bool Supported(int order);

    // An unsupported order falls back to 7; callers check Supported first.
    explicit Prbs(int order);

    // The next bit, 0 or 1.
    int Next();

    // The next `count` bits.
    std::vector<int> Take(std::size_t count);

    int Order() const { return order_; }

private:
    int order_;       // register length, in bits
    int tap_;         // the second feedback tap (the first is `order_`)
    uint32_t state_;  // the last `order_` bits; bit 0 is the newest
};
