#pragma once

#include <complex>
#include <vector>

#include "tools/amihost/channel/ThroughPath.h"
#include "tools/amihost/channel/TouchstoneFile.h"

// A lossy, edge-coupled differential stripline: two equal traces between two
// planes in one homogeneous dielectric, seen as its even and odd modes, each
// a transmission line given per unit length (RLGC), with losses that are
// causal by construction.
//
// Per mode m (odd: the differential signal; even: the common one), with the
// lossless impedance Zm at RefFrequency and the phase velocity
// v = c / sqrt(Permittivity):
//   L = Zm / v, C0 = 1 / (Zm v)                               (H/m, F/m)
//   conductor: Zs(w) = sqrt(Rdc^2 + j w X),  Rdc = 1 / (Conductivity W T),
//     X = (SkinFactor / (2 W))^2 mu0 / Conductivity: Rdc at DC, and at high
//     frequency the skin effect Rs (1 + j) SkinFactor / (2 W) of both faces
//     of the trace (Rs = sqrt(pi f mu0 / Conductivity)), its internal
//     inductance included; SkinFactor counts the planes' return current and
//     the copper's roughness.
//   dielectric (wideband Debye, Djordjevic-Sarkar): eps(w) = EpsInf +
//     dEps log10((w2 + j w) / (w1 + j w)) / log10(w2 / w1), w1, w2 at
//     DebyeLow, DebyeHigh; EpsInf and dEps set so that eps = Permittivity
//     (1 - j LossTangent) at RefFrequency. The loss tangent is then nearly
//     flat over the band and the permittivity falls slowly with frequency,
//     as the Kramers-Kronig relations require of a causal medium.
//   Z' = Zs + j w L,  Y' = j w C0 eps(w) / Permittivity
//   Zc = sqrt(Z' / Y'),  gamma = sqrt(Z' Y')                  (Re >= 0)
// The mode's two-port on references Z0 = Reference: G = (Zc - Z0)/(Zc + Z0),
// P = exp(-gamma Length), S11 = G (1 - P^2) / (1 - G^2 P^2),
// S21 = P (1 - G^2) / (1 - G^2 P^2); at DC the series resistance Rdc Length.
// The single-ended 4-port: for ports on the same line, S = (Se + So) / 2,
// on different lines (Se - So) / 2, with S11 of the modes for ports at the
// same end and S21 across. Its differential through Sdd21 is the odd
// mode's S21 (on 2 Z0), its common through the even mode's.
struct DifferentialStripline {
    enum Mode { Odd, Even };

    double Length = 0.6;            // m
    double OddImpedance = 47.5;     // ohm: a 95 ohm pair, within a board's 10 % of the 100 ohm reference
    double EvenImpedance = 60.0;    // ohm
    double Permittivity = 3.7;      // relative, at RefFrequency
    double LossTangent = 0.01;      // at RefFrequency
    double RefFrequency = 1e9;      // Hz
    double DebyeLow = 1e4;          // Hz, w1 / (2 pi)
    double DebyeHigh = 1e12;        // Hz, w2 / (2 pi)
    double TraceWidth = 0.127e-3;   // m (5 mil)
    double TraceThickness = 17.5e-6; // m (half-ounce copper)
    double Conductivity = 5.8e7;    // S/m (copper)
    double SkinFactor = 1.6;        // skin loss against the trace's two faces alone
    double Reference = 50.0;        // ohm, every single-ended port

    // The mode's two-port at `frequency` (Hz, >= 0): S11 (= S22), S21 (= S12).
    void ModeParameters(Mode mode, double frequency, std::complex<double>& s11, std::complex<double>& s21) const;

    // The single-ended 4-port at `frequencies`, its ports numbered by `order`
    // (line P the positive trace).
    TouchstoneData Network(const std::vector<double>& frequencies, ThroughPath::PairOrder order) const;
};
