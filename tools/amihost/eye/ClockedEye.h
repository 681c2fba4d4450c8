#pragma once

#include <cstddef>
#include <vector>

#include "tools/amihost/eye/EyeAnalysis.h"

// The eye of a received NRZ wave sampled where a receiver's clock recovery
// chose, rather than at one fixed latency (EyeAnalysis).
//
// Instants s_j are in samples from the start of the wave (sample n is at
// time n dt) and may fall between samples: a receiver's clock time t_j
// marks its recovered clock edge, and the data are sampled half a bit
// later, s_j = (t_j + bit time / 2) / dt. Values between samples are
// interpolated linearly:
//   w(s) = w[i] + (s - i) (w[i+1] - w[i]),   i = floor(s).
// Instant j belongs to the bit whose centre at the best fixed latency d
// (EyeResult::Latency of EyeAnalysis) lies nearest:
//   k_j = floor((s_j - d) / spb + 1/2).
// Measured are the instants with k_j >= skipBits, k_j < bits.size() and
// 0 <= s_j - spb, s_j + spb <= wave.size() - 1 (the same set for every
// offset below). For an offset delta in samples:
//   height(delta) = min over ones of w(s_j + delta) - max over zeros of w(s_j + delta).
// The result reads as EyeAnalysis's: Height = height(0) and Threshold the
// midpoint of the two levels there; Width the span of whole-sample offsets
// around 0 over which height stays above 0, crossings interpolated linearly,
// in UI, at most 1 (0 for a closed eye); Latency the mean of s_j - k_j spb
// rounded to a sample (at least 0), where the clock sampled its bits on
// average; BitCount the instants measured; FirstBit = skipBits. Valid when
// both symbols were measured.
class ClockedEye {
public:
    static EyeResult Measure(const std::vector<double>& wave, const std::vector<int>& bits, int samplesPerBit,
                             const std::vector<double>& instants, std::size_t latency, std::size_t skipBits);

    // The result above from the heights already measured: height[spb +
    // delta] = height(delta), delta = -spb .. spb, both symbols seen;
    // `threshold` the midpoint at delta 0 and `meanPhase` the mean of
    // s_j - k_j spb over the `bitCount` instants measured.
    static EyeResult FromHeights(const std::vector<double>& height, double threshold, double meanPhase,
                                 std::size_t bitCount, std::size_t skipBits, int samplesPerBit);

    // k_j above; negative for an instant before the first bit's window.
    static long long BitOf(double instant, std::size_t latency, int samplesPerBit);

    // w(s) above, for 0 <= s <= wave.size() - 1.
    static double ValueAt(const std::vector<double>& wave, double instant);
};
