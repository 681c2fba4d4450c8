#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "tools/amihost/signal/EdgeJitter.h"
#include "tools/amihost/signal/GaussianNoise.h"
#include "tools/amihost/signal/Stimulus.h"
#include "tools/amihost/signal/SymbolReader.h"

// A stimulus made piece by piece: the samples that Stimulus and
// EdgeJitter::Apply make for the same arguments, bit for bit, without
// holding them (a wave read from a file is held whole: it is the file's).
//
// Sample n of an NRZ stimulus is Level(b[n / spb]) = +-amplitude / 2 (the
// level of bit floor(n / spb)); with jitter, the change of every edge that
// reaches it is then added in bit order, as EdgeJitter::Apply adds it:
//   x[n] = Level(b[n / spb]) + sum over transitions k, in ascending k, of
//          step_k (ShareAfter(n, (k + j_k) spb) - ShareAfter(n, k spb))
// for the transitions whose changed samples [First, End) hold n. The draws
// g_k of j_k come from GaussianNoise(seed), one per transition in bit order,
// as in Apply.
//
// Fill keeps a queue of the edges made ahead of the samples it writes. Edge
// k changes only samples within (k +- |j_k|) spb, and
//   |j_k| <= SjUi + RjUi 13          (UI)
// since GaussianNoise never gives |g| above 12.01 (EdgeJitter::MaxDraw), so
// to fill samples [a, b) every edge k with k spb < b + (that bound) spb + 1
// is made first; an edge leaves the queue once the samples it changes are
// all written. Memory: the queue holds the edges of about 2 (SjUi + 13 RjUi)
// + 2 bits, independent of the number of bits.
//
// Copies are independent streams (a held wave is shared, read only).
class StimulusStream {
public:
    // As Stimulus::Prbs, Step and Pulse; samplesPerBit < 1 gives no samples.
    static StimulusStream Prbs(int order, std::size_t bits, int samplesPerBit, double amplitude);
    static StimulusStream Step(std::size_t bits, int samplesPerBit, double amplitude);
    static StimulusStream Pulse(std::size_t bits, int samplesPerBit, double amplitude);
    // A wave read from a file (Stimulus::FromWave): held whole.
    static StimulusStream FromWave(Stimulus whole);

    // Moves the edges as EdgeJitter::Apply moves them for `seed`, with the
    // swing of Swing(); call before the first Fill. bitTime in seconds.
    void SetJitter(const EdgeJitter& jitter, double bitTime, std::uint64_t seed);

    std::size_t TotalSamples() const { return samples_; }
    std::size_t TotalBits() const { return bits_; }
    double Swing() const { return swing_; }                          // as Stimulus::Swing
    const std::string& Description() const { return description_; } // as Stimulus::Description
    // Samples given by Fill so far.
    std::size_t Filled() const { return next_; }

    // The next n samples into out[0..n) (out borrowed for the call); n past
    // what is left fills only what is left.
    void Fill(double* out, std::size_t n);

    // The symbols from bit 0, apart from Fill (a reader of its own).
    SymbolReader Symbols() const { return symbols_; }

    // The NRZ level of `bit`: +amplitude / 2 for 1, -amplitude / 2 for 0.
    static double Level(int bit, double amplitude) { return bit ? amplitude / 2.0 : -amplitude / 2.0; }

private:
    StimulusStream(SymbolReader symbols, std::size_t bits, int samplesPerBit, double amplitude);

    void FillLevels(double* out, std::size_t from, std::size_t to);
    void MakeEdgesBelow(std::size_t end);

    SymbolReader symbols_;                 // at bit 0, for Symbols()
    std::size_t bits_ = 0;
    std::size_t spb_ = 0;                  // samples per bit
    std::size_t samples_ = 0;
    double amplitude_ = 0.0;               // NRZ peak to peak
    double swing_ = 0.0;
    std::string description_;
    std::shared_ptr<const Stimulus> held_; // a file's wave; null for NRZ

    // Fill's levels: the bit of the last level read.
    std::size_t next_ = 0;                 // next sample to fill
    SymbolReader levels_;
    std::size_t levelBit_ = 0;             // bits read by levels_
    double level_ = 0.0;                   // the level of bit levelBit_ - 1

    // Fill's edges.
    std::optional<EdgeJitter> jitter_;     // absent: no jitter
    double bitTime_ = 0.0;
    std::optional<GaussianNoise> random_;
    SymbolReader edgeBits_;
    std::size_t edgeBit_ = 0;              // bits read by edgeBits_
    int previous_ = 0;                     // the last of them
    std::size_t reach_ = 0;                // samples past b whose edges may reach below b
    std::deque<EdgeJitter::Edge> edges_;   // made, not yet wholly written, in bit order
};
