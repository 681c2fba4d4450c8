#pragma once

#include <cstddef>
#include <vector>

#include "tools/amihost/eye/EyeAccumulator.h"
#include "tools/amihost/eye/EyeAnalysis.h"

// The bathtub of a received NRZ wave whose symbols are known, and the eye's
// height and width at a target bit error ratio, extrapolated from the
// measured levels.
//
// Method: at each sampling phase d over two UI around the eye's best
// latency c (EyeResult::Latency; d = c - spb .. c + spb, one phase per
// sample), the levels of the ones and of the zeros over the measured bits
// are collected, and a Gaussian is fitted to the inner tail of each on the
// Q scale (GaussianTail: the lowest ones, the highest zeros): means m1, m0
// and sigmas s1, s0. The tails are what decides errors, and at one phase
// they hold everything that closes the eye there: noise, the timing spread
// that jitter turns into level spread along the edges, and interference.
// Fitting levels rather than edge crossing times (a dual-Dirac fit of the
// edges) keeps one model for height and width, needs no crossing detection
// (which fails on a closed or multi-level eye), and uses exactly the
// samples that the slicer sees.
//   Opening(d) = (m1 - s1 z) - (m0 + s0 z),  z = InverseQ(TargetBer):
// the levels that each symbol passes with probability TargetBer (each
// held to the extremes seen, GaussianTail), and
//   Ber(d) = Q(z + Opening(d) / (s1 + s0)), at most 1/2,
// which is Q((m1 - m0) / (s1 + s0)) for the tails as fitted: the error
// ratio with the threshold where both symbols err equally (0 or 1/2 when
// both sigmas are 0). Ber(d) <= TargetBer exactly where Opening(d) >= 0.
// The eye's centre is the middle of the run of phases with Opening >= 0
// around the largest Opening (the largest itself when none is open),
// rounded to a phase; the bathtub is the UI of phases centred on it.
// Height is the Opening at the centre: the phases' openings are estimates,
// and the largest of several errs high (by about one standard error of the
// fit on a flat eye), while the walls that set the centre are steep. Width
// is the span of the run, its ends interpolated linearly between phases,
// at most 1 UI. For Gaussian noise of sigma on an eye of clean height h0,
// Height is h0 - 2 sigma InverseQ(TargetBer).
struct BerResult {
    bool Valid = false;          // enough bits of each symbol to fit (2 GaussianTail::MinPoints);
                                 // without a random part, whenever the eye is valid
    double TargetBer = 0.0;
    // The bathtub: spb + 1 phases over one UI, Phase in UI from the eye's
    // best latency; the middle one, Phase[spb / 2], is the eye's centre.
    std::vector<double> Phase;
    std::vector<double> Ber;     // at each phase, 0 .. 0.5
    std::vector<double> Opening; // at each phase, signal units
    std::size_t Best = 0;        // index of the eye's centre, spb / 2
    double Height = 0.0;         // Opening[Best]; <= 0 when closed at TargetBer
    double Width = 0.0;          // UI; 0 when closed
    double OneLevel = 0.0;       // m1 - s1 z at the centre
    double ZeroLevel = 0.0;      // m0 + s0 z at the centre
    std::size_t BitCount = 0;    // bits measured at each phase
};

class BerAnalysis {
public:
    // Whether the wave holds a random part: noise, random jitter, a
    // model's own randomness.
    enum class RandomPart { Absent, Present };

    // The bits measured are those from eye.FirstBit (at least 1) whose
    // samples at every phase lie inside the wave. 0 < targetBer < 1/2.
    static BerResult Measure(const std::vector<double>& wave, const std::vector<int>& bits, int samplesPerBit,
                             const EyeResult& eye, double targetBer, RandomPart random = RandomPart::Present);

    // The same from the statistics of a streamed wave, which must hold the
    // offsets eye.Latency - spb .. eye.Latency + spb (with tails, for a
    // random part); the bits are the accumulator's, the same at every
    // offset. Not valid when an offset is missing.
    static BerResult Measure(const EyeAccumulator& stats, const EyeResult& eye, double targetBer,
                             RandomPart random = RandomPart::Present);
};
