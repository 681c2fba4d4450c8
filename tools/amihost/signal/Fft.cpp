#include "tools/amihost/signal/Fft.h"

#include <kissfft/kissfft.hh>

bool Fft::Transform(std::vector<std::complex<double>>& data, bool inverse)
{
    const std::size_t n = data.size();
    if (n == 0 || (n & (n - 1)) != 0)
        return false;
    // kissfft transforms out of place and does not scale; its plan (the
    // twiddles, exp(-+2 pi i k / n) each computed directly) costs O(n), small
    // beside the transform for the one-off spectra this serves.
    const kissfft<double> plan(n, inverse);
    const std::vector<std::complex<double>> in = data;
    plan.transform(in.data(), data.data());
    if (inverse)
        for (std::complex<double>& x : data)
            x /= static_cast<double>(n);
    return true;
}
