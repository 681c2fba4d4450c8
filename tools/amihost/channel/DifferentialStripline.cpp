#include "tools/amihost/channel/DifferentialStripline.h"

#include <cmath>

namespace {

using Complex = std::complex<double>;

const double Pi = std::acos(-1.0);
constexpr double SpeedOfLight = 299792458.0; // m/s
constexpr double Mu0 = 1.25663706212e-6;     // H/m

// log10((w2 + j w) / (w1 + j w)) / log10(w2 / w1) of the wideband Debye model.
Complex Debye(double w, double w1, double w2)
{
    return std::log10(Complex(w2, w) / Complex(w1, w)) / std::log10(w2 / w1);
}

} // namespace

void DifferentialStripline::ModeParameters(Mode mode, double frequency, Complex& s11, Complex& s21) const
{
    const double rdc = 1.0 / (Conductivity * TraceWidth * TraceThickness);
    if (frequency == 0.0) {
        const double r = rdc * Length;
        s11 = r / (r + 2.0 * Reference);
        s21 = 2.0 * Reference / (r + 2.0 * Reference);
        return;
    }
    const double w = 2.0 * Pi * frequency;
    const double w1 = 2.0 * Pi * DebyeLow;
    const double w2 = 2.0 * Pi * DebyeHigh;
    const Complex atRef = Debye(2.0 * Pi * RefFrequency, w1, w2);
    const double spread = -Permittivity * LossTangent / atRef.imag(); // dEps
    const double infinite = Permittivity - spread * atRef.real();     // EpsInf
    const Complex eps = infinite + spread * Debye(w, w1, w2);

    const double z = mode == Odd ? OddImpedance : EvenImpedance;
    const double v = SpeedOfLight / std::sqrt(Permittivity);
    const double skin = SkinFactor / (2.0 * TraceWidth);
    const Complex series = std::sqrt(Complex(rdc * rdc, w * skin * skin * Mu0 / Conductivity)) + Complex(0.0, w * z / v);
    const Complex shunt = Complex(0.0, w / (z * v)) * eps / Permittivity;
    const Complex zc = std::sqrt(series / shunt);
    const Complex gamma = std::sqrt(series * shunt);
    const Complex g = (zc - Reference) / (zc + Reference);
    const Complex p = std::exp(-gamma * Length);
    const Complex d = 1.0 - g * g * p * p;
    s11 = g * (1.0 - p * p) / d;
    s21 = p * (1.0 - g * g) / d;
}

TouchstoneData DifferentialStripline::Network(const std::vector<double>& frequencies,
                                              ThroughPath::PairOrder order) const
{
    // Each port's line (0: P, 1: N) and end (0: near, 1: far).
    const int line[4] = {0, order == ThroughPath::Through12And34 ? 0 : 1, order == ThroughPath::Through12And34 ? 1 : 0,
                         1};
    const int end[4] = {0, order == ThroughPath::Through12And34 ? 1 : 0, order == ThroughPath::Through12And34 ? 0 : 1,
                        1};
    TouchstoneData data;
    data.Ports = 4;
    data.Frequencies = frequencies;
    data.Reference.assign(4, Reference);
    data.Parameters.resize(frequencies.size() * 16);
    for (std::size_t p = 0; p < frequencies.size(); ++p) {
        Complex odd11, odd21, even11, even21;
        ModeParameters(Odd, frequencies[p], odd11, odd21);
        ModeParameters(Even, frequencies[p], even11, even21);
        for (int a = 0; a < 4; ++a) {
            for (int b = 0; b < 4; ++b) {
                const Complex se = end[a] == end[b] ? even11 : even21;
                const Complex so = end[a] == end[b] ? odd11 : odd21;
                data.Parameters[p * 16 + static_cast<std::size_t>(a * 4 + b)] =
                    line[a] == line[b] ? 0.5 * (se + so) : 0.5 * (se - so);
            }
        }
    }
    return data;
}
