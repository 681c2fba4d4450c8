#include "tools/amihost/signal/GaussianNoise.h"

#include <cmath>

GaussianNoise::GaussianNoise(std::uint64_t seed) : engine_(seed) {}

double GaussianNoise::Next()
{
    if (hasSpare_) {
        hasSpare_ = false;
        return spare_;
    }
    constexpr double Unit = 1.0 / 9007199254740992.0; // 2^-53
    double u = 0.0;
    double v = 0.0;
    double s = 0.0;
    do {
        u = 2.0 * static_cast<double>(engine_() >> 11) * Unit - 1.0;
        v = 2.0 * static_cast<double>(engine_() >> 11) * Unit - 1.0;
        s = u * u + v * v;
    } while (s >= 1.0 || s == 0.0);
    const double scale = std::sqrt(-2.0 * std::log(s) / s);
    spare_ = v * scale;
    hasSpare_ = true;
    return u * scale;
}

void GaussianNoise::Add(std::vector<double>& wave, double rms, std::uint64_t seed)
{
    GaussianNoise noise(seed);
    for (double& sample : wave)
        sample += rms * noise.Next();
}
