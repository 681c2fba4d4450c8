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

EdgeJitter::Edge EdgeJitter::EdgeAt(std::size_t k, int bit, int samplesPerBit, double bitTime, double swing,
                                    std::size_t size, GaussianNoise& random) const
{
    const double spb = static_cast<double>(samplesPerBit);
    const double pi = 3.14159265358979323846;
    double j = 0.0;
    if (RjUi > 0.0)
        j += RjUi * random.Next();
    if (SjUi > 0.0)
        j += SjUi * std::sin(2.0 * pi * SjHz * static_cast<double>(k) * bitTime);
    Edge edge;
    edge.Step = bit ? swing : -swing;
    edge.Nominal = static_cast<double>(k) * spb;
    edge.Moved = edge.Nominal + j * spb;
    // Only the samples between the two positions change.
    const double first = std::max(0.0, std::floor(std::min(edge.Nominal, edge.Moved)));
    const double end = std::min(static_cast<double>(size), std::ceil(std::max(edge.Nominal, edge.Moved)));
    edge.First = static_cast<std::size_t>(first);
    edge.End = end > first ? static_cast<std::size_t>(end) : edge.First;
    return edge;
}

void EdgeJitter::AddEdge(const Edge& edge, std::size_t from, std::size_t to, double* out)
{
    const std::size_t end = std::min(to, edge.End);
    for (std::size_t n = std::max(from, edge.First); n < end; ++n) {
        const double at = static_cast<double>(n);
        out[n - from] += edge.Step * (ShareAfter(at, edge.Moved) - ShareAfter(at, edge.Nominal));
    }
}

void EdgeJitter::Apply(const std::vector<int>& bits, int samplesPerBit, double bitTime, double swing,
                       std::uint64_t seed, std::vector<double>& wave) const
{
    if (!Any() || samplesPerBit < 1)
        return;
    GaussianNoise random(seed);
    for (std::size_t k = 1; k < bits.size(); ++k) {
        if ((bits[k] != 0) == (bits[k - 1] != 0))
            continue;
        const Edge edge = EdgeAt(k, bits[k] != 0, samplesPerBit, bitTime, swing, wave.size(), random);
        AddEdge(edge, 0, wave.size(), wave.data());
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
