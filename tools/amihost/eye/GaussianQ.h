#pragma once

// The tail of the standard normal distribution and its inverse, the two
// conversions between a probability and a distance in standard deviations
// that BER figures are made of:
//   Q(x) = P(N(0,1) > x) = erfc(x / sqrt 2) / 2,
//   InverseQ(p) = the x with Q(x) = p, for 0 < p < 1.
// Q(7.034) is 1e-12: a Gaussian of sigma leaves a level 7.034 sigma away
// with probability 1e-12. InverseQ is good to a few units in the last place
// of x from p = 1e-300 to 1 - 1e-16; p <= 0 gives +inf, p >= 1 -inf, NaN
// stays NaN.
class GaussianQ {
public:
    static double Q(double x);
    static double InverseQ(double p);
};
