#pragma once

#include <cstddef>

#include "tools/amihost/channel/TouchstoneFile.h"

// Whether a network is passive: it returns no more power than it takes in,
// which for S-parameters of real references is
//   sigma_max(S(f)) <= 1 at every frequency,
// sigma_max the largest singular value, the square root of the largest
// eigenvalue of the Hermitian S^H S. Measured data of a passive network
// exceed 1 by calibration noise only (a measured board trace reaches
// 1.004 at a few MHz); Tolerance, 1 % (0.09 dB), allows that, and a network
// above 1 + Tolerance is flagged (a through scaled by 3, an amplifier, a
// file of another quantity, a stop band measured badly).
//
// lambda_max(A), A = S^H S, is the least mu for which mu I - A is positive
// definite (its Cholesky factorisation succeeds, a stable test); it is
// found by bisection between 0 and trace(A) to a relative 1e-15 (at most
// Bisections halvings). Unlike a power iteration this does not slow down
// where the largest eigenvalues lie close, as those of a through do (both
// near |S21|^2). Any port count up to TouchstoneFile::MaxPorts.
struct Passivity {
    static constexpr double Tolerance = 0.01; // on sigma_max
    static constexpr int Bisections = 128;

    double Largest = 0.0;   // the largest sigma_max over the frequencies
    double Frequency = 0.0; // where, Hz
    std::size_t Point = 0;  // its index in the data
    bool Passive = true;    // Largest <= 1 + Tolerance

    static Passivity Assess(const TouchstoneData& data);

    // sigma_max of the Ports x Ports matrix of point `point`.
    static double LargestSingularValue(const TouchstoneData& data, std::size_t point);
};
