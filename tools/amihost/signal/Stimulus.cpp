#include "tools/amihost/signal/Stimulus.h"

#include <algorithm>

#include "tools/amihost/signal/StimulusStream.h"

namespace {

// The whole of `stream`, which is at its start.
Stimulus Gather(StimulusStream stream, int samplesPerBit)
{
    Stimulus s;
    SymbolReader symbols = stream.Symbols();
    s.Bits.resize(stream.TotalBits());
    for (int& bit : s.Bits)
        bit = symbols.Next();
    s.Wave.resize(stream.TotalSamples());
    stream.Fill(s.Wave.data(), s.Wave.size());
    s.Description = stream.Description();
    s.Swing = stream.Swing();
    s.SamplesPerBit = samplesPerBit;
    return s;
}

} // namespace

std::vector<double> Stimulus::Nrz(const std::vector<int>& bits, int samplesPerBit, double amplitude)
{
    if (samplesPerBit < 1)
        return {};
    std::vector<double> wave;
    wave.reserve(bits.size() * static_cast<std::size_t>(samplesPerBit));
    for (int bit : bits)
        wave.insert(wave.end(), static_cast<std::size_t>(samplesPerBit), StimulusStream::Level(bit, amplitude));
    return wave;
}

Stimulus Stimulus::Prbs(int order, std::size_t bits, int samplesPerBit, double amplitude)
{
    return Gather(StimulusStream::Prbs(order, bits, samplesPerBit, amplitude), samplesPerBit);
}

Stimulus Stimulus::Step(std::size_t bits, int samplesPerBit, double amplitude)
{
    return Gather(StimulusStream::Step(bits, samplesPerBit, amplitude), samplesPerBit);
}

Stimulus Stimulus::Pulse(std::size_t bits, int samplesPerBit, double amplitude)
{
    return Gather(StimulusStream::Pulse(bits, samplesPerBit, amplitude), samplesPerBit);
}

Stimulus Stimulus::FromWave(std::vector<double> wave, int samplesPerBit, const std::string& name)
{
    Stimulus s;
    s.Wave = std::move(wave);
    s.SamplesPerBit = samplesPerBit;
    if (!s.Wave.empty()) {
        const auto extremes = std::minmax_element(s.Wave.begin(), s.Wave.end());
        const double middle = (*extremes.first + *extremes.second) / 2.0;
        s.Swing = *extremes.second - *extremes.first;
        // No bits at all rather than a division by zero.
        const std::size_t spb = samplesPerBit > 0 ? static_cast<std::size_t>(samplesPerBit) : 0;
        const std::size_t bits = spb > 0 ? s.Wave.size() / spb : 0;
        for (std::size_t k = 0; k < bits; ++k)
            s.Bits.push_back(s.Wave[k * spb + spb / 2] > middle ? 1 : 0);
    }
    s.Description = "wave " + name + ", " + std::to_string(s.Wave.size()) + " samples";
    return s;
}
