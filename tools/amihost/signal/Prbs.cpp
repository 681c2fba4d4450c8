#include "tools/amihost/signal/Prbs.h"

namespace {

// Second feedback tap of each supported order; 0 when unsupported.
int TapOf(int order)
{
    switch (order) {
    case 7: return 6;
    case 15: return 14;
    case 23: return 18;
    case 31: return 28;
    default: return 0;
    }
}

} // namespace

bool Prbs::Supported(int order) { return TapOf(order) != 0; }

Prbs::Prbs(int order)
    : order_(Supported(order) ? order : 7), tap_(TapOf(order_)),
      state_((uint32_t{1} << order_) - 1u)
{
}

int Prbs::Next()
{
    // Bit k of the state is b[n - 1 - k]; b[n - order] is the oldest bit.
    const uint32_t bit = ((state_ >> (order_ - 1)) ^ (state_ >> (tap_ - 1))) & 1u;
    state_ = ((state_ << 1) | bit) & ((uint32_t{1} << order_) - 1u);
    return static_cast<int>(bit);
}

std::vector<int> Prbs::Take(std::size_t count)
{
    std::vector<int> bits(count);
    for (int& b : bits)
        b = Next();
    return bits;
}
