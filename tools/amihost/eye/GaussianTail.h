#pragma once

#include <cstddef>
#include <vector>

// A Gaussian fitted to the tail of a sample on the Q scale: how far the
// sample reaches with probabilities it is too short to show.
//
// The values are ordered from the tail inward; the i-th of N (i = 0, 1, ...)
// gets the probability p_i = (i + 5/8) / (N + 1/4) of lying beyond it
// (Blom's plotting position, close to the expected order statistics of a
// normal sample) and the distance z_i = InverseQ(p_i) in standard
// deviations. A Gaussian tail P(x beyond v) = Q(|v - Mean| / Sigma) is the
// straight line v = Mean -+ Sigma z through those points; it is fitted by
// least squares (v on z) to the Count(N) points furthest out: 1 % of the
// sample, at least MinPoints and at most MaxPoints. The cap keeps what a
// stream must hold per tail bounded (MaxPoints values, whatever N), and past
// it the fit reaches further out, where the tail that decides errors lies.
// The line then extrapolates the level that the sample passes with any
// probability.
//
// A tail of equal values (a sample with no random part, only bounded
// interference) gives Sigma 0 and Mean at that value, so nothing is
// extrapolated beyond what was seen; a tail that mixes several groups of
// values gives the slope of their envelope, on the safe side. Beyond the
// outermost value (probabilities below its p_0) the level is never put
// further in than that value: a lone straggler (a bit before the chain has
// quite settled) would otherwise leave a line more hopeful than the data.
struct GaussianTail {
    double Mean = 0.0;      // where the fitted line crosses z = 0, units of the values
    double Sigma = 0.0;     // its slope, >= 0
    double Extreme = 0.0;   // the outermost value of the sample
    double ExtremeP = 0.0;  // its probability p_0

    static constexpr std::size_t MinPoints = 32;  // points fitted at least
    static constexpr std::size_t MaxPoints = 8192; // points fitted at most
    static constexpr double Share = 0.01;         // of the sample fitted between those

    // Points fitted of a sample of n: min(MaxPoints, max(MinPoints, ceil(n Share))).
    static std::size_t Count(std::size_t n);

    // Fits the lower tail (the smallest values) of `values`, which it
    // reorders. False when there are fewer than 2 MinPoints values.
    static bool FitLower(std::vector<double>& values, GaussianTail& tail);
    // The upper tail (the largest values), the mirror image.
    static bool FitUpper(std::vector<double>& values, GaussianTail& tail);

    // The same fits of a sample of n values of which `innermost` holds only
    // the tail: at least min(n, Count(n)) of the smallest (FitLowerOf) or
    // largest (FitUpperOf) values, in any order; it is reordered. Equal to
    // FitLower/FitUpper on the whole sample.
    static bool FitLowerOf(std::vector<double>& innermost, std::size_t n, GaussianTail& tail);
    static bool FitUpperOf(std::vector<double>& innermost, std::size_t n, GaussianTail& tail);

    // The level that the sample passes with probability p (0 < p < 1):
    // Mean - Sigma InverseQ(p) for a lower tail, Mean + Sigma InverseQ(p)
    // for an upper one; for p < ExtremeP at most as far in as Extreme.
    double LowerLevel(double p) const;
    double UpperLevel(double p) const;
};
