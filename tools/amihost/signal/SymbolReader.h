#pragma once

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

#include "tools/amihost/signal/Prbs.h"

// The symbols of a stimulus read from bit 0 on, one per call, as
// Stimulus::Bits holds them, in constant time and memory a call:
//   PRBS: its own shift register (Prbs), started from the seed;
//   step: symbol k is 1 from k = bits / 2 on;
//   pulse: symbol k is 1 at k = bits / 2 only;
//   held: the symbols of a wave read from a file, shared with whoever made
//   the reader (a copy of the reader shares them too).
// Past the stimulus's last bit a PRBS goes on with its sequence, a step and
// a pulse with their formulas, and held symbols read 0.
class SymbolReader {
public:
    static SymbolReader OfPrbs(int order) { return SymbolReader(Kind::Prbs, order, 0, nullptr); }
    static SymbolReader OfStep(std::size_t bits) { return SymbolReader(Kind::Step, 7, bits, nullptr); }
    static SymbolReader OfPulse(std::size_t bits) { return SymbolReader(Kind::Pulse, 7, bits, nullptr); }
    static SymbolReader OfHeld(std::shared_ptr<const std::vector<int>> symbols)
    {
        return SymbolReader(Kind::Held, 7, 0, std::move(symbols));
    }

    // Symbol k (0 or 1) of k = 0, 1, 2, ... in turn.
    int Next()
    {
        const std::size_t k = next_++;
        switch (kind_) {
        case Kind::Prbs: return prbs_.Next();
        case Kind::Step: return k >= bits_ / 2 ? 1 : 0;
        case Kind::Pulse: return k == bits_ / 2 ? 1 : 0;
        case Kind::Held: break;
        }
        return held_ && k < held_->size() ? (*held_)[k] : 0;
    }

private:
    enum class Kind { Prbs, Step, Pulse, Held };

    SymbolReader(Kind kind, int order, std::size_t bits, std::shared_ptr<const std::vector<int>> held)
        : kind_(kind), prbs_(order), bits_(bits), held_(std::move(held))
    {
    }

    Kind kind_;
    Prbs prbs_;                                // the register (PRBS only)
    std::size_t bits_;                         // the stimulus's length in bits (step and pulse)
    std::shared_ptr<const std::vector<int>> held_; // the symbols (held only)
    std::size_t next_ = 0;                     // k of the next call
};
