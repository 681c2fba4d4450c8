#include "tools/amihost/Convolution.h"

void ConvolveCausal(const double* x, std::size_t n, const double* h, std::size_t m, double* y)
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
