#pragma once

#include <cmath>
#include <string>

// The continuous-time linear equaliser of the test receiver: one zero, two
// equal poles, DC gain 1:
//   H(s) = (1 + s / wz) / (1 + s / wp)^2.
// |H(jw)|^2 = (1 + w^2 / wz^2) / (1 + w^2 / wp^2)^2 peaks at
// w_pk = sqrt(wp^2 - 2 wz^2), where, with r = wp^2 / wz^2,
//   |H(j w_pk)|^2 = r^2 / (4 (r - 1)).
// So the peaking P in dB (|H| at the peak over its DC value) and the peak
// frequency f_pk give, with q = 10^(P / 10):
//   r = 2 q + 2 sqrt(q^2 - q),   wz = 2 pi f_pk / sqrt(r - 2),   wp = wz sqrt(r)
// (r > 2 for every P > 0). P = 0 is no equaliser at all: H = 1.
//
// In discrete time, at the sample interval dt: the bilinear transform
// prewarped at f_pk, s = K (1 - 1/z) / (1 + 1/z), K = w_pk / tan(w_pk dt / 2),
// so the digital response is exactly P dB at f_pk and 1 at DC. With
// a = K / wz and c = K / wp:
//   b0 = (1 + a) / (1 + c)^2,  b1 = 2 / (1 + c)^2,  b2 = (1 - a) / (1 + c)^2,
//   a1 = 2 (1 - c) / (1 + c),  a2 = ((1 - c) / (1 + c))^2,
//   y[n] = b0 x[n] + b1 x[n-1] + b2 x[n-2] - a1 y[n-1] - a2 y[n-2],
// summed in that order (direct form I), from rest. The double pole at
// z = (c - 1) / (c + 1) lies inside the unit circle for every c > 0.
// Valid: 0 <= P <= 40 dB, 0 < f_pk < 1 / (2 dt).
class Ctle {
public:
    // Designs the filter; false with the reason for values outside the above.
    bool Design(double peakingDb, double peakHz, double sampleInterval, std::string& error)
    {
        if (!(peakingDb >= 0.0 && peakingDb <= 40.0)) {
            error = "peaking must be 0 .. 40 dB";
            return false;
        }
        if (!(peakHz > 0.0 && peakHz * sampleInterval < 0.5)) {
            error = "the peak frequency must lie between 0 and half the sample rate";
            return false;
        }
        *this = Ctle();
        if (peakingDb == 0.0)
            return true; // b0 = 1, the rest 0: y = x
        const double pi = std::acos(-1.0);
        const double q = std::pow(10.0, peakingDb / 10.0);
        const double r = 2.0 * q + 2.0 * std::sqrt(q * q - q);
        const double wpk = 2.0 * pi * peakHz;
        const double wz = wpk / std::sqrt(r - 2.0);
        const double wp = wz * std::sqrt(r);
        const double k = wpk / std::tan(wpk * sampleInterval / 2.0);
        const double a = k / wz;
        const double c = k / wp;
        const double norm = (1.0 + c) * (1.0 + c);
        b0_ = (1.0 + a) / norm;
        b1_ = 2.0 / norm;
        b2_ = (1.0 - a) / norm;
        a1_ = 2.0 * (1.0 - c) / (1.0 + c);
        a2_ = (1.0 - c) / (1.0 + c) * ((1.0 - c) / (1.0 + c));
        return true;
    }

    // One sample through the filter.
    double Step(double x)
    {
        const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
        x2_ = x1_;
        x1_ = x;
        y2_ = y1_;
        y1_ = y;
        return y;
    }

private:
    double b0_ = 1.0, b1_ = 0.0, b2_ = 0.0; // numerator
    double a1_ = 0.0, a2_ = 0.0;            // denominator (a0 = 1)
    double x1_ = 0.0, x2_ = 0.0;            // x[n-1], x[n-2]
    double y1_ = 0.0, y2_ = 0.0;            // y[n-1], y[n-2]
};
