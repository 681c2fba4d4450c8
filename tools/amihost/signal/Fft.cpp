#include "tools/amihost/signal/Fft.h"

#include <cmath>
#include <utility>

bool Fft::Transform(std::vector<std::complex<double>>& data, bool inverse)
{
    const std::size_t n = data.size();
    if (n == 0 || (n & (n - 1)) != 0)
        return false;
    // Bit-reversal permutation, then butterflies of growing span.
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(data[i], data[j]);
    }
    const double pi = std::acos(-1.0);
    for (std::size_t span = 2; span <= n; span <<= 1) {
        const double angle = (inverse ? 2.0 : -2.0) * pi / static_cast<double>(span);
        const std::size_t half = span / 2;
        for (std::size_t k = 0; k < half; ++k) {
            // Twiddles from the angle directly, not by repeated multiplication,
            // so that long transforms keep their accuracy.
            const std::complex<double> w(std::cos(angle * static_cast<double>(k)),
                                         std::sin(angle * static_cast<double>(k)));
            for (std::size_t start = 0; start < n; start += span) {
                const std::complex<double> a = data[start + k];
                const std::complex<double> b = data[start + k + half] * w;
                data[start + k] = a + b;
                data[start + k + half] = a - b;
            }
        }
    }
    if (inverse)
        for (std::complex<double>& x : data)
            x /= static_cast<double>(n);
    return true;
}
