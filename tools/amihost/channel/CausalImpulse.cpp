#include "tools/amihost/channel/CausalImpulse.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <tuple>
#include <utility>

#include "tools/amihost/signal/Fft.h"

namespace {

using Complex = std::complex<double>;

const double Pi = std::acos(-1.0);
constexpr std::size_t MaxGrid = std::size_t{1} << 24;

// Interpolation nodes: DC first, then every data point above DC.
struct Nodes {
    std::vector<double> Frequency; // Hz
    std::vector<double> Magnitude;
    std::vector<double> Phase;     // radians, unwrapped
};

std::string Hz(double frequency)
{
    char text[48];
    std::snprintf(text, sizeof text, "%g GHz", frequency * 1e-9);
    return text;
}

bool Check(const std::vector<double>& f, const std::vector<Complex>& h, double dt, std::size_t n,
           std::string& error)
{
    if (f.size() < 2 || f.size() != h.size()) {
        error = "the transfer needs at least 2 frequencies, each with one value";
        return false;
    }
    if (!(dt > 0.0) || !std::isfinite(dt) || n < 4 || n > MaxGrid || (n & (n - 1)) != 0) {
        error = "the sample interval must be positive and the grid a power of two in 4 .. 2^24";
        return false;
    }
    double largest = 0.0;
    for (std::size_t m = 0; m < f.size(); ++m) {
        if (!std::isfinite(f[m]) || !(f[m] >= 0.0) || (m > 0 && !(f[m] > f[m - 1]))) {
            error = "the frequencies must be finite, at least 0 and increasing";
            return false;
        }
        const double magnitude = std::abs(h[m]);
        if (!std::isfinite(h[m].real()) || !std::isfinite(h[m].imag()) || !(magnitude <= CausalImpulse::MaxGain)) {
            char text[120];
            std::snprintf(text, sizeof text, "the transfer's magnitude %g at %s is not a channel's (above %g)",
                          magnitude, Hz(f[m]).c_str(), CausalImpulse::MaxGain);
            error = text;
            return false;
        }
        largest = std::max(largest, magnitude);
    }
    if (!(f[0] < 0.5 / dt)) {
        error = "the data start at " + Hz(f[0]) + ", at or above the Nyquist frequency of the sample interval (" +
                Hz(0.5 / dt) + ")";
        return false;
    }
    if (largest == 0.0) {
        error = "the transfer is 0 at every frequency";
        return false;
    }
    return true;
}

// The polynomial of degree `degree` (<= 2) through (x, y) in the least-squares
// sense, evaluated at x = 0: the normal equations of 1, x, x^2, solved by
// Cramer's rule (3 x 3 at most; x near 1 .. 3 keeps them well conditioned).
double FitAtZero(const std::vector<double>& x, const std::vector<double>& y, int degree)
{
    double m[3][3] = {};
    double r[3] = {};
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double power[3] = {1.0, x[i], x[i] * x[i]};
        for (int a = 0; a <= degree; ++a) {
            r[a] += power[a] * y[i];
            for (int b = 0; b <= degree; ++b)
                m[a][b] += power[a] * power[b];
        }
    }
    if (degree == 0)
        return r[0] / m[0][0];
    if (degree == 1)
        return (r[0] * m[1][1] - m[0][1] * r[1]) / (m[0][0] * m[1][1] - m[0][1] * m[1][0]);
    const auto det = [](const double (&c0)[3], const double (&c1)[3], const double (&c2)[3]) {
        return c0[0] * (c1[1] * c2[2] - c1[2] * c2[1]) - c1[0] * (c0[1] * c2[2] - c0[2] * c2[1]) +
               c2[0] * (c0[1] * c1[2] - c0[2] * c1[1]);
    };
    const double c0[3] = {m[0][0], m[1][0], m[2][0]};
    const double c1[3] = {m[0][1], m[1][1], m[2][1]};
    const double c2[3] = {m[0][2], m[1][2], m[2][2]};
    return det(r, c1, c2) / det(c0, c1, c2);
}

// Step 2 of the header for data that start above DC: magnitude (quadratic)
// and unwrapped phase (linear) fitted over the lowest points and taken to
// f = 0. Returns {magnitude, phase}; either falls back to the first point's
// where the fit is not finite.
std::pair<double, double> ExtrapolateToDc(const std::vector<double>& f, const std::vector<double>& magnitude,
                                          const std::vector<double>& phase, double passiveGain)
{
    std::vector<double> x;
    std::vector<double> m;
    std::vector<double> p;
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (x.size() >= CausalImpulse::DcFitMinPoints && f[i] > CausalImpulse::DcFitSpan * f[0])
            break;
        x.push_back(f[i] / f[0]);
        m.push_back(magnitude[i]);
        p.push_back(phase[i]);
    }
    const int degree = static_cast<int>(std::min<std::size_t>(2, x.size() - 1));
    const double magnitudeAtDc = FitAtZero(x, m, degree);
    const double phaseAtDc = FitAtZero(x, p, 1);
    const double bound = std::isfinite(passiveGain) && passiveGain > 0.0 ? passiveGain : 1.0;
    return {std::isfinite(magnitudeAtDc) ? std::min(std::max(magnitudeAtDc, 0.0), bound) : magnitude[0],
            std::isfinite(phaseAtDc) ? phaseAtDc : phase[0]};
}

// Steps 1 and 2 of the header: unwrapped phase, whole turns removed, and
// the DC node.
Nodes Unwrap(const std::vector<double>& f, const std::vector<Complex>& h, double passiveGain)
{
    const std::size_t m = f.size();
    std::vector<double> phase(m);
    std::vector<double> magnitude(m);
    for (std::size_t i = 0; i < m; ++i) {
        phase[i] = std::arg(h[i]);
        if (i > 0)
            phase[i] = phase[i - 1] + std::remainder(phase[i] - std::arg(h[i - 1]), 2.0 * Pi);
        magnitude[i] = std::abs(h[i]);
    }
    double dcPhase = phase[0];
    double dcMagnitude = magnitude[0];
    if (f[0] > 0.0)
        std::tie(dcMagnitude, dcPhase) = ExtrapolateToDc(f, magnitude, phase, passiveGain);
    const double turns = std::nearbyint(dcPhase / (2.0 * Pi));
    const double rest = dcPhase - 2.0 * Pi * turns; // in -pi .. pi
    Nodes nodes;
    nodes.Frequency.push_back(0.0);
    nodes.Magnitude.push_back(dcMagnitude);
    nodes.Phase.push_back(std::fabs(rest) <= Pi / 2 ? 0.0 : rest > 0.0 ? Pi : -Pi);
    for (std::size_t i = f[0] > 0.0 ? 0 : 1; i < m; ++i) {
        nodes.Frequency.push_back(f[i]);
        nodes.Magnitude.push_back(magnitude[i]);
        nodes.Phase.push_back(phase[i] - 2.0 * Pi * turns);
    }
    return nodes;
}

} // namespace

std::size_t CausalImpulse::GridLength(const std::vector<double>& frequencies, double sampleInterval,
                                      std::size_t maxTaps)
{
    const std::size_t cap = std::min(MaxGrid, 2 * std::max<std::size_t>(32, std::min(maxTaps, MaxGrid)));
    double wanted = 0.0;
    if (frequencies.size() >= 2) {
        // 1 / mean spacing: the longest response the data resolve.
        const double span = frequencies.back() - frequencies.front();
        wanted = 2.0 * static_cast<double>(frequencies.size() - 1) / span / sampleInterval;
    }
    std::size_t n = 64;
    while (n < cap && static_cast<double>(n) < wanted)
        n <<= 1;
    return std::min(n, cap);
}

bool CausalImpulse::Spectrum(const std::vector<double>& frequencies, const std::vector<Complex>& response,
                             double sampleInterval, std::size_t gridLength, std::vector<Complex>& bins,
                             Report& report, std::string& error, double passiveGain)
{
    bins.clear();
    report = Report();
    if (!Check(frequencies, response, sampleInterval, gridLength, error))
        return false;
    const Nodes nodes = Unwrap(frequencies, response, passiveGain);
    const std::size_t half = gridLength / 2;
    const double df = 1.0 / (static_cast<double>(gridLength) * sampleInterval);
    const double top = std::min(frequencies.back(), 0.5 / sampleInterval);
    if (top < 2.0 * df) {
        error = "the data's band (to " + Hz(top) + ") is narrower than two steps of the " + Hz(df) +
                " grid: its response would outlast " + std::to_string(half) + " samples";
        return false;
    }
    const double taperStart = (1.0 - TaperShare) * top;
    bins.assign(half + 1, Complex());
    std::size_t j = 0;
    for (std::size_t k = 0; k <= half; ++k) {
        const double f = static_cast<double>(k) * df;
        if (f >= top)
            break;
        while (j + 2 < nodes.Frequency.size() && nodes.Frequency[j + 1] <= f)
            ++j;
        const double u = (f - nodes.Frequency[j]) / (nodes.Frequency[j + 1] - nodes.Frequency[j]);
        const double magnitude = nodes.Magnitude[j] + u * (nodes.Magnitude[j + 1] - nodes.Magnitude[j]);
        const double phase = nodes.Phase[j] + u * (nodes.Phase[j + 1] - nodes.Phase[j]);
        const double window = f <= taperStart ? 1.0 : 0.5 * (1.0 + std::cos(Pi * (f - taperStart) / (top - taperStart)));
        bins[k] = window * magnitude * Complex(std::cos(phase), std::sin(phase));
    }
    bins[0] = bins[0].real(); // a real response's H(0)
    report.DcGain = bins[0].real();
    report.BandEdge = top;
    report.GridLength = gridLength;
    return true;
}

std::vector<double> CausalImpulse::TimeResponse(const std::vector<Complex>& bins)
{
    const std::size_t half = bins.size() - 1;
    const std::size_t n = 2 * half;
    std::vector<Complex> x(n);
    x[0] = bins[0].real();
    for (std::size_t k = 1; k < half; ++k) {
        x[k] = bins[k];
        x[n - k] = std::conj(bins[k]);
    }
    x[half] = bins[half].real();
    Fft::Inverse(x);
    std::vector<double> h(n);
    for (std::size_t i = 0; i < n; ++i)
        h[i] = x[i].real();
    return h;
}

bool CausalImpulse::Design(const std::vector<double>& frequencies, const std::vector<Complex>& response,
                           double sampleInterval, std::size_t gridLength, std::size_t maxTaps,
                           std::vector<double>& taps, Report& report, std::string& error, double passiveGain)
{
    taps.clear();
    std::vector<Complex> bins;
    if (!Spectrum(frequencies, response, sampleInterval, gridLength, bins, report, error, passiveGain))
        return false;
    const std::vector<double> h = TimeResponse(bins);
    const std::size_t half = gridLength / 2;
    double causal = 0.0;
    double acausal = 0.0;
    for (std::size_t i = 0; i < gridLength; ++i)
        (i < half ? causal : acausal) += h[i] * h[i];
    report.NonCausalShare = causal + acausal > 0.0 ? acausal / (causal + acausal) : 0.0;
    if (causal + acausal == 0.0) {
        error = "the transfer is 0 below the band edge (" + Hz(report.BandEdge) + ")";
        return false;
    }
    if (!(causal > 0.0) || report.NonCausalShare > MaxNonCausalShare) {
        const std::string share = std::to_string(static_cast<int>(100.0 * report.NonCausalShare)) + " %";
        error = "the response lies before t = 0 (" + share + " of its energy): the data are not causal (a "
                "negative delay?)";
        return false;
    }
    const std::size_t limit = std::min(half, std::max<std::size_t>(1, maxTaps));
    double total = 0.0;
    for (std::size_t i = 0; i < limit; ++i)
        total += std::fabs(h[i]);
    std::size_t length = limit;
    double tail = 0.0;
    while (length > 1 && tail + std::fabs(h[length - 1]) < TailShare * total) {
        tail += std::fabs(h[length - 1]);
        --length;
    }
    taps.assign(h.begin(), h.begin() + static_cast<std::ptrdiff_t>(length));
    // The band limit's smear of an edge at t = 0 goes back to t = 0, the
    // nearest causal instant.
    const double smear = std::ceil(SmearPeriods / (report.BandEdge * sampleInterval));
    const std::size_t fold = static_cast<std::size_t>(std::min(smear, static_cast<double>(half)));
    for (std::size_t i = gridLength - fold; i < gridLength; ++i)
        report.Folded += h[i];
    taps[0] += report.Folded;
    return true;
}
