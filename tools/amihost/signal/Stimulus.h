#pragma once

#include <string>
#include <vector>

// The wave that drives the first element of the chain, with the symbols it
// carries (the eye needs to know which bit is which).
//
// NRZ: bit 1 is +Amplitude/2, bit 0 is -Amplitude/2, each held for
// samplesPerBit samples. Kinds:
//   PRBS of order 7, 15, 23 or 31 (Prbs), `bits` bits;
//   step: `bits` / 2 zeros, then ones;
//   pulse: zeros with a single one at bit `bits` / 2;
//   a wave from a file: its samples as given; its symbols are its levels at
//   the middle of each bit, against the midpoint of its extremes.
// The NRZ kinds are StimulusStream's samples gathered whole; a run too long
// to hold uses the stream itself.
struct Stimulus {
    std::vector<double> Wave; // one value per sample
    std::vector<int> Bits;    // one symbol (0 or 1) per bit
    std::string Description;  // "PRBS7, 1000 bits" ...
    double Swing = 0.0;       // peak to peak: Amplitude, or a file wave's max - min
    int SamplesPerBit = 0;    // of Wave

    static Stimulus Prbs(int order, std::size_t bits, int samplesPerBit, double amplitude);
    static Stimulus Step(std::size_t bits, int samplesPerBit, double amplitude);
    static Stimulus Pulse(std::size_t bits, int samplesPerBit, double amplitude);
    static Stimulus FromWave(std::vector<double> wave, int samplesPerBit, const std::string& name);

    // NRZ levels for `bits` (none when samplesPerBit < 1).
    static std::vector<double> Nrz(const std::vector<int>& bits, int samplesPerBit, double amplitude);
};
