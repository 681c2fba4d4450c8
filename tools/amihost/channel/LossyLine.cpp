#include "tools/amihost/channel/LossyLine.h"

#include <cmath>
#include <complex>

#include "tools/amihost/signal/Fft.h"

bool LossyLine::Design(double lossDb, double bitTime, double sampleInterval, std::size_t maxLength,
                       std::vector<double>& taps, std::string& error)
{
    taps.clear();
    if (!(lossDb >= 0.0 && lossDb <= 100.0)) {
        error = "the line's loss must lie in 0 .. 100 dB at Nyquist";
        return false;
    }
    if (!(bitTime > 0.0) || !(sampleInterval > 0.0) || !(sampleInterval <= bitTime / 2.0)) {
        error = "the line needs a positive bit time and at least two samples per bit";
        return false;
    }
    if (maxLength < 1 || maxLength > (std::size_t{1} << 20)) {
        error = "the line's length must lie in 1 .. 2^20 samples";
        return false;
    }
    std::size_t n = 16;
    while (n < 8 * maxLength)
        n <<= 1;

    // Log magnitude (nepers) on the FFT grid, even in frequency.
    const double nyquist = 0.5 / bitTime;
    const double df = 1.0 / (static_cast<double>(n) * sampleInterval);
    std::vector<std::complex<double>> spectrum(n);
    for (std::size_t k = 0; k <= n / 2; ++k) {
        const double x = static_cast<double>(k) * df / nyquist;
        const double db = lossDb * (SkinShare * std::sqrt(x) + (1.0 - SkinShare) * x);
        const double logMagnitude = -db * std::log(10.0) / 20.0;
        spectrum[k] = logMagnitude;
        if (k > 0 && k < n / 2)
            spectrum[n - k] = logMagnitude;
    }
    // Minimum phase: fold the real cepstrum onto positive quefrencies.
    Fft::Inverse(spectrum);
    for (std::size_t i = 1; i < n / 2; ++i)
        spectrum[i] *= 2.0;
    for (std::size_t i = n / 2 + 1; i < n; ++i)
        spectrum[i] = 0.0;
    spectrum[0] = spectrum[0].real();
    spectrum[n / 2] = spectrum[n / 2].real();
    Fft::Forward(spectrum);
    for (std::complex<double>& x : spectrum)
        x = std::exp(x);
    Fft::Inverse(spectrum);

    double total = 0.0;
    for (std::size_t i = 0; i < maxLength; ++i)
        total += std::fabs(spectrum[i].real());
    std::size_t length = maxLength;
    double tail = 0.0;
    while (length > 1 && tail + std::fabs(spectrum[length - 1].real()) < 1e-4 * total) {
        tail += std::fabs(spectrum[length - 1].real());
        --length;
    }
    taps.resize(length);
    for (std::size_t i = 0; i < length; ++i)
        taps[i] = spectrum[i].real();
    return true;
}

double LossyLine::LossAt(const std::vector<double>& taps, double sampleInterval, double frequency)
{
    const double pi = std::acos(-1.0);
    std::complex<double> sum = 0.0;
    for (std::size_t i = 0; i < taps.size(); ++i) {
        const double phase = -2.0 * pi * frequency * static_cast<double>(i) * sampleInterval;
        sum += taps[i] * std::complex<double>(std::cos(phase), std::sin(phase));
    }
    return -20.0 * std::log10(std::abs(sum));
}
