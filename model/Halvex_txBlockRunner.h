#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/Halvex_tx.h"
#include "runtime/filters/FirBlockKernel.h"

// Runs a whole wave through a Halvex_tx in one call, with the same output
// bits and the same model state as firing Halvex_tx::Run once per sample.
//
// Per sample the graph computes y[i] = sum_k taps_j[k] * g[i - k] with
// g = x * GainValue for the selected filter j only; the other 15 filters'
// outputs reach nobody but their own output links. So the runner computes the
// selected filter's outputs for a chunk of samples side by side (SIMD lanes
// over consecutive outputs, each lane summing in the per-sample order), then
// leaves behind exactly what the per-sample firings would: every filter's
// delay line and position, every filter's output for the last sample (the 16
// sums side by side, one lane per filter), the last values of all other
// links and ports, the selector control and the constant source's count.
//
// It applies only in the model's normal state (see Applies); everything else,
// an out-of-range de above all, goes through the per-sample Run, which stays
// the reference. All filters must hold one common history, which the model
// guarantees by initialising and firing them together.
//
// Ownership: the runner owns its scratch (derived in Prepare, about 0.4 MB at
// the default rate); it only reads and writes the model's members during
// Process and keeps no pointer into the model beyond the taps it derived from.
class Halvex_txBlockRunner {
public:
    static constexpr std::size_t ChunkSize = 4096; // samples per kernel call

    // Derives the interleaved taps and scratch from a model whose Setup and
    // Initialize succeeded; picks the kernels of `level` (false, with nothing
    // prepared, when this processor lacks it). Allocates; may throw bad_alloc.
    bool Prepare(const Halvex_tx& model, TorvaneModelBuilder::SimdLevel level);

    // True when Process on `model` is equivalent to per-sample firings: the
    // runner was prepared for these taps (the same arrays, counts and rates:
    // the taps are a function of the constant table and the rate, so a Setup
    // at another rate is noticed), every filter is a plain one-in,
    // one-out convolution with its delay line in place, the links exist, the
    // constant source is past its delay and the rounded de selects an input.
    bool Applies(const Halvex_tx& model) const;

    // Filters wave[0 .. n-1] in place. Call only when Applies(model).
    void Process(Halvex_tx& model, double* wave, std::size_t n);

    // The kernels in use; null before a successful Prepare.
    const TorvaneModelBuilder::FirBlockKernels* Kernels() const { return kernels_; }

private:
    void ProcessChunk(Halvex_tx& model, int selected, double* wave, std::size_t m);
    void StoreNewestOutputs(Halvex_tx& model);

    const TorvaneModelBuilder::FirBlockKernels* kernels_ = nullptr;
    const double* taps_[Halvex_tx::NumFilters] = {}; // each filter's taps when prepared
    std::int32_t numTaps_[Halvex_tx::NumFilters] = {}; // each filter's tap count when prepared
    double sampleRate_[Halvex_tx::NumFilters] = {};    // each filter's rate when prepared
    std::size_t longestTaps_ = 0;     // largest tap count over the filters
    std::size_t commonTaps_ = 0;      // smallest tap count: the bank's side-by-side part
    std::vector<double> bankTaps_;    // taps k < commonTaps_ of all filters, tap-major
    std::vector<double> work_;        // history then scaled chunk, longestTaps_ - 1 + ChunkSize
    std::vector<double> newest_;      // the last longestTaps_ scaled inputs, oldest first
};
