#include "tools/amihost/signal/Stimulus.h"

#include <algorithm>

#include "tools/amihost/signal/Prbs.h"

std::vector<double> Stimulus::Nrz(const std::vector<int>& bits, int samplesPerBit, double amplitude)
{
    std::vector<double> wave;
    wave.reserve(bits.size() * static_cast<std::size_t>(samplesPerBit));
    for (int bit : bits)
        wave.insert(wave.end(), static_cast<std::size_t>(samplesPerBit), bit ? amplitude / 2.0 : -amplitude / 2.0);
    return wave;
}

Stimulus Stimulus::Prbs(int order, std::size_t bits, int samplesPerBit, double amplitude)
{
    Stimulus s;
    s.Bits = ::Prbs(order).Take(bits);
    s.Wave = Nrz(s.Bits, samplesPerBit, amplitude);
    s.Description = "PRBS" + std::to_string(order) + ", " + std::to_string(bits) + " bits";
    s.Swing = amplitude;
    return s;
}

Stimulus Stimulus::Step(std::size_t bits, int samplesPerBit, double amplitude)
{
    Stimulus s;
    s.Bits.assign(bits, 0);
    std::fill(s.Bits.begin() + static_cast<std::ptrdiff_t>(bits / 2), s.Bits.end(), 1);
    s.Wave = Nrz(s.Bits, samplesPerBit, amplitude);
    s.Description = "step at bit " + std::to_string(bits / 2) + " of " + std::to_string(bits);
    s.Swing = amplitude;
    return s;
}

Stimulus Stimulus::Pulse(std::size_t bits, int samplesPerBit, double amplitude)
{
    Stimulus s;
    s.Bits.assign(bits, 0);
    if (bits > 0)
        s.Bits[bits / 2] = 1;
    s.Wave = Nrz(s.Bits, samplesPerBit, amplitude);
    s.Description = "single pulse at bit " + std::to_string(bits / 2) + " of " + std::to_string(bits);
    s.Swing = amplitude;
    return s;
}

Stimulus Stimulus::FromWave(std::vector<double> wave, int samplesPerBit, const std::string& name)
{
    Stimulus s;
    s.Wave = std::move(wave);
    const std::size_t spb = static_cast<std::size_t>(samplesPerBit);
    const std::size_t bits = s.Wave.size() / spb;
    if (!s.Wave.empty()) {
        const auto extremes = std::minmax_element(s.Wave.begin(), s.Wave.end());
        const double middle = (*extremes.first + *extremes.second) / 2.0;
        s.Swing = *extremes.second - *extremes.first;
        for (std::size_t k = 0; k < bits; ++k)
            s.Bits.push_back(s.Wave[k * spb + spb / 2] > middle ? 1 : 0);
    }
    s.Description = "wave " + name + ", " + std::to_string(s.Wave.size()) + " samples";
    return s;
}
