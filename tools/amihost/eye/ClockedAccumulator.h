#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <vector>

#include "tools/amihost/eye/EyeAnalysis.h"

// The clocked eye (ClockedEye, same definitions) of a wave that streams
// past with the receiver's sampling instants, without holding either.
//
// Instants s_j (samples from the wave's start, increasing) are taken as
// they come; each waits until the samples it reads, floor(s_j) - spb ..
// floor(s_j) + spb + 1, have arrived, and then adds w(s_j + delta) to the
// lowest one or the highest zero at each whole offset delta = -spb .. spb.
// The bit of an instant is ClockedEye::BitOf(s_j, latency); the measured
// ones are those of ClockedEye::Measure with the wave's length
// totalSamples. The wave is kept for the last `history` samples; an instant
// reaching before them (one that came more than `history` samples late) is
// left out and counted in Late().
//
// Memory: `history` samples, the instants waiting, and 2 (2 spb + 1)
// levels, whatever the number of bits.
class ClockedAccumulator {
public:
    // `symbols` gives symbol k at its k-th call, as EyeAccumulator's.
    ClockedAccumulator(int samplesPerBit, std::size_t latency, std::size_t skipBits, std::size_t totalBits,
                       std::size_t totalSamples, std::size_t history, std::function<int()> symbols);

    void AddSamples(const double* samples, std::size_t n);
    void AddInstant(double instant);

    // The eye of the instants measured so far (all of them once the whole
    // wave has been added).
    EyeResult Eye() const;

    std::size_t Instants() const { return instants_; } // taken, measured or not
    std::size_t Late() const { return late_; }

private:
    void Settle();           // measures the instants whose samples are in
    void Measure(double s);
    int Symbol(std::size_t bit);
    double ValueAt(double s) const;

    int spb_;
    std::size_t latency_;
    std::size_t skip_;
    std::size_t bits_;
    std::size_t total_;
    std::function<int()> symbols_;
    std::vector<double> ring_;   // sample i at ring_[i % ring_.size()]
    std::size_t received_ = 0;
    std::deque<double> waiting_;
    std::size_t nextSymbol_ = 0; // symbols_ has given bits 0 .. nextSymbol_ - 1
    int lastSymbol_ = 0;         // bit nextSymbol_ - 1
    std::vector<double> lowestOne_;
    std::vector<double> highestZero_;
    double phase_ = 0.0;         // sum of s_j - k_j spb
    std::size_t measured_ = 0;
    std::size_t instants_ = 0;
    std::size_t late_ = 0;
    bool ones_ = false;
    bool zeros_ = false;
};
