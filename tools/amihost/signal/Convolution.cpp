#include "tools/amihost/signal/Convolution.h"

#include <algorithm>
#include <complex>
#include <vector>

#include "tools/amihost/signal/Fft.h"

namespace {

// Responses up to this length are summed directly (exact, ascending k);
// longer ones, such as a lossy line of thousands of taps over a long wave,
// go through FFT overlap-add, which costs O(n log m) instead of O(n m).
constexpr std::size_t DirectLimit = 256;

void ConvolveDirect(const double* x, std::size_t n, const double* h, std::size_t m, double* y)
{
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t count = i + 1 < m ? i + 1 : m;
        const double* xi = x + i;
        double sum = 0.0;
        for (std::size_t k = 0; k < count; ++k)
            sum += h[k] * xi[-static_cast<std::ptrdiff_t>(k)];
        y[i] = sum;
    }
}

// Overlap-add: blocks of L input samples, each convolved with h through one
// FFT of size N >= L + m - 1, their tails added into the next blocks.
void ConvolveOverlapAdd(const double* x, std::size_t n, const double* h, std::size_t m, double* y)
{
    std::size_t size = 1;
    while (size < 2 * m)
        size *= 2;
    const std::size_t block = size - m + 1;

    std::vector<std::complex<double>> response(size);
    for (std::size_t k = 0; k < m; ++k)
        response[k] = h[k];
    Fft::Forward(response);

    std::fill(y, y + n, 0.0);
    std::vector<std::complex<double>> work(size);
    for (std::size_t start = 0; start < n; start += block) {
        const std::size_t length = std::min(block, n - start);
        std::fill(work.begin(), work.end(), std::complex<double>());
        for (std::size_t i = 0; i < length; ++i)
            work[i] = x[start + i];
        Fft::Forward(work);
        for (std::size_t k = 0; k < size; ++k)
            work[k] *= response[k];
        Fft::Inverse(work);
        const std::size_t reach = std::min(size, n - start);
        for (std::size_t i = 0; i < reach; ++i)
            y[start + i] += work[i].real();
    }
}

} // namespace

void ConvolveCausal(const double* x, std::size_t n, const double* h, std::size_t m, double* y)
{
    if (m <= DirectLimit || n <= DirectLimit)
        ConvolveDirect(x, n, h, m, y);
    else
        ConvolveOverlapAdd(x, n, h, m, y);
}
