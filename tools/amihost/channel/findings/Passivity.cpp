#include "tools/amihost/channel/findings/Passivity.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

namespace {

using Complex = std::complex<double>;

// Whether mu I - A (A Hermitian, n x n, rows of n) is positive definite:
// its Cholesky factorisation finds every pivot above 0.
bool Above(const std::vector<Complex>& a, std::size_t n, double mu, std::vector<Complex>& l)
{
    for (std::size_t j = 0; j < n; ++j) {
        double pivot = mu - a[j * n + j].real();
        for (std::size_t k = 0; k < j; ++k)
            pivot -= std::norm(l[j * n + k]);
        if (!(pivot > 0.0))
            return false;
        const double root = std::sqrt(pivot);
        l[j * n + j] = root;
        for (std::size_t i = j + 1; i < n; ++i) {
            Complex sum = -a[i * n + j];
            for (std::size_t k = 0; k < j; ++k)
                sum -= l[i * n + k] * std::conj(l[j * n + k]);
            l[i * n + j] = sum / root;
        }
    }
    return true;
}

} // namespace

double Passivity::LargestSingularValue(const TouchstoneData& data, std::size_t point)
{
    const std::size_t n = static_cast<std::size_t>(data.Ports);
    // A = S^H S, Hermitian and positive semi-definite; its trace bounds
    // its largest eigenvalue from above.
    std::vector<Complex> a(n * n);
    double trace = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j)
            for (std::size_t k = 0; k < n; ++k)
                a[i * n + j] += std::conj(data.S(point, static_cast<int>(k + 1), static_cast<int>(i + 1))) *
                                data.S(point, static_cast<int>(k + 1), static_cast<int>(j + 1));
        trace += a[i * n + i].real();
    }
    if (!(trace > 0.0) || !std::isfinite(trace))
        return std::isfinite(trace) ? 0.0 : trace;
    std::vector<Complex> l(n * n);
    double low = 0.0;
    double high = trace * (1.0 + 1e-12);
    for (int step = 0; step < Bisections && high - low > 1e-15 * high; ++step) {
        const double middle = 0.5 * (low + high);
        (Above(a, n, middle, l) ? high : low) = middle;
    }
    return std::sqrt(high);
}

Passivity Passivity::Assess(const TouchstoneData& data)
{
    Passivity result;
    for (std::size_t p = 0; p < data.Frequencies.size(); ++p) {
        const double sigma = LargestSingularValue(data, p);
        if (sigma > result.Largest) {
            result.Largest = sigma;
            result.Frequency = data.Frequencies[p];
            result.Point = p;
        }
    }
    result.Passive = !(result.Largest > 1.0 + Tolerance);
    return result;
}
