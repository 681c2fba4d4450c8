#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "tools/amihost/eye/EyeAnalysis.h"
#include "tools/amihost/eye/GaussianTail.h"

// What the eye and the bathtub need of a received NRZ wave, gathered as the
// wave streams past, so that neither holds it.
//
// Bit k is seen at the offsets o = First .. Last (samples from the bit's
// start, Last = First + Offsets - 1; First may be negative) in the samples
// k spb + o. Measured are the bits k >= skipBits whose whole window
// k spb + First .. k spb + Last lies inside the wave [0, totalSamples):
// the same bits at every offset, so that heights and tails at different
// offsets compare like with like. For each offset and symbol it keeps
//   the count of bits measured,
//   the inner extreme: the lowest one and the highest zero,
//   with tailPoints > 0, the tailPoints innermost values (the lowest ones,
//   the highest zeros), for the Gaussian fit of BerAnalysis.
// Then at offset o
//   height(o) = lowest one - highest zero   (-inf without both symbols),
// exactly as EyeAnalysis::HeightAt reads a whole wave over the same bits.
//
// Memory: a window of the last Offsets + Stretch samples, 2 numbers an
// offset, and 3 tailPoints numbers an offset for the tails: some Offsets
// (3 tailPoints + 2) + Stretch doubles in all, whatever the number of bits.
// Time: 2 Offsets compares a bit (in loops the compiler vectorises), and
// for the tails some K (1 + ln(n / K)) values of n entering one, at
// amortised constant cost each, for K kept.
class EyeAccumulator {
public:
    // `symbols` gives symbol k (0 or 1) at its k-th call, k = 0, 1, ...; it
    // is called once for every bit (of totalBits) whose window has streamed
    // past, in order.
    // spb >= 1, offsets >= 1.
    EyeAccumulator(int samplesPerBit, long firstOffset, std::size_t offsets, std::size_t skipBits,
                   std::size_t totalBits, std::size_t totalSamples, std::size_t tailPoints, std::function<int()> symbols);

    // The next n samples of the wave (samples past totalSamples are ignored).
    void Add(const double* samples, std::size_t n);

    long First() const { return first_; }
    std::size_t Offsets() const { return offsets_; }
    std::size_t SkipBits() const { return skip_; }
    int SamplesPerBit() const { return spb_; }
    std::size_t BitsMeasured() const { return ones_ + zeros_; }

    // Samples the window holds beyond one bit window, before it moves.
    static constexpr std::size_t Stretch = 4096;

    // height(First + i), with the midpoint of its two levels in *threshold.
    double HeightAt(std::size_t i, double* threshold = nullptr) const;

    // The eye at the best latency among First + from .. First + to (each at
    // least 0), its width read from the heights around it as EyeAnalysis
    // reads them. Latency is in samples from the bit's start.
    EyeResult Eye(std::size_t from, std::size_t to) const;

    // The Gaussian fits of both tails at First + i (GaussianTail::FitLowerOf
    // for the ones, FitUpperOf for the zeros); false without enough values
    // or without tails kept.
    bool FitTails(std::size_t i, GaussianTail& one, GaussianTail& zero) const;

private:
    // A tail: at least the tailPoints innermost values so far (at most half
    // again as many, unsorted), and the value a new one must pass to enter
    // (infinite until the first cut).
    struct Tail {
        std::vector<double> Kept;
        double Limit;
    };

    void Measure(std::size_t bit, int symbol);
    void Enter(Tail& tail, double v, bool lower) const;

    int spb_;
    long first_;
    std::size_t offsets_;
    std::size_t skip_;
    std::size_t bits_;             // of the stimulus
    std::size_t total_;            // samples of the wave
    std::size_t tailPoints_;
    std::function<int()> symbols_;
    // The wave's recent samples, oldest first: sample i at window_[i - base_].
    std::vector<double> window_;
    std::size_t base_ = 0;
    std::size_t received_ = 0;     // samples added so far
    std::size_t nextBit_ = 0;      // the next bit whose window is awaited
    std::size_t ones_ = 0;         // measured bits of each symbol (the same at every offset)
    std::size_t zeros_ = 0;
    std::vector<double> lowestOne_;   // per offset
    std::vector<double> highestZero_; // per offset
    std::vector<Tail> oneTails_;      // per offset: the lowest ones
    std::vector<Tail> zeroTails_;     // per offset: the highest zeros
};
