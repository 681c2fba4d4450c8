#include "tools/amihost/signal/EdgeJitter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/amihost/signal/GaussianNoise.h"

namespace {

// The share of sample n's interval [n, n + 1) that lies after a step at
// `edge` (in samples): what the step adds to that sample's mean.
double ShareAfter(double n, double edge) { return std::clamp(n + 1.0 - edge, 0.0, 1.0); }

} // namespace

void EdgeJitter::Apply(const std::vector<int>& bits, int samplesPerBit, double bitTime, double swing,
                       std::uint64_t seed, std::vector<double>& wave) const
{
    if (!Any() || samplesPerBit < 1)
        return;
    const double spb = static_cast<double>(samplesPerBit);
    const double size = static_cast<double>(wave.size());
    const double pi = 3.14159265358979323846;
    GaussianNoise random(seed);
    for (std::size_t k = 1; k < bits.size(); ++k) {
        if ((bits[k] != 0) == (bits[k - 1] != 0))
            continue;
        double j = 0.0;
        if (RjUi > 0.0)
            j += RjUi * random.Next();
        if (SjUi > 0.0)
            j += SjUi * std::sin(2.0 * pi * SjHz * static_cast<double>(k) * bitTime);
        const double step = bits[k] ? swing : -swing;
        const double nominal = static_cast<double>(k) * spb;
        const double moved = nominal + j * spb;
        // Only the samples between the two positions change.
        const double first = std::max(0.0, std::floor(std::min(nominal, moved)));
        const double end = std::min(size, std::ceil(std::max(nominal, moved)));
        for (double n = first; n < end; n += 1.0)
            wave[static_cast<std::size_t>(n)] += step * (ShareAfter(n, moved) - ShareAfter(n, nominal));
    }
}

std::string EdgeJitter::Description() const
{
    char text[128] = "";
    if (RjUi > 0.0 && SjUi > 0.0)
        std::snprintf(text, sizeof text, "RJ %g UI rms, SJ %g UI at %g Hz", RjUi, SjUi, SjHz);
    else if (RjUi > 0.0)
        std::snprintf(text, sizeof text, "RJ %g UI rms", RjUi);
    else if (SjUi > 0.0)
        std::snprintf(text, sizeof text, "SJ %g UI at %g Hz", SjUi, SjHz);
    return text;
}
