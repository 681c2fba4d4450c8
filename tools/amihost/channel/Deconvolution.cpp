#include "tools/amihost/channel/Deconvolution.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

#include "tools/amihost/signal/Fft.h"

namespace {

// The first `count` values of `data`, zero-padded to `size`, transformed.
std::vector<std::complex<double>> Spectrum(const double* data, std::size_t count, std::size_t size)
{
    std::vector<std::complex<double>> spectrum(size);
    for (std::size_t i = 0; i < count; ++i)
        spectrum[i] = data[i];
    Fft::Forward(spectrum);
    return spectrum;
}

} // namespace

void DeconvolveCausal(const double* y, const double* x, std::size_t n, const double* c, std::size_t m,
                      double epsilon, double* z)
{
    if (n == 0)
        return;
    std::size_t size = 1;
    while (size < 2 * std::max(n, m))
        size *= 2;
    const std::vector<std::complex<double>> in = Spectrum(x, n, size);
    const std::vector<std::complex<double>> other = Spectrum(c, m, size);
    std::vector<std::complex<double>> out = Spectrum(y, n, size);
    double largest = 0.0;
    for (const std::complex<double>& v : in)
        largest = std::max(largest, std::abs(v));
    const double floor = epsilon * largest * (epsilon * largest);
    for (std::size_t k = 0; k < size; ++k) {
        const double power = std::norm(in[k]) + floor;
        out[k] = power > 0.0 ? out[k] * other[k] * std::conj(in[k]) / power : std::complex<double>();
    }
    Fft::Inverse(out);
    for (std::size_t i = 0; i < n; ++i)
        z[i] = out[i].real();
}
