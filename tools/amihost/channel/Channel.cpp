#include "tools/amihost/channel/Channel.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "tools/amihost/channel/LossyLine.h"
#include "tools/amihost/signal/Convolution.h"

Channel::Channel() : taps_{1.0}, description_("none") {}

bool Channel::Line(double lossDb, double bitTime, double sampleInterval, std::size_t maxLength, Channel& channel,
                   std::string& error)
{
    std::vector<double> taps;
    if (!LossyLine::Design(lossDb, bitTime, sampleInterval, maxLength, taps, error))
        return false;
    channel.taps_ = std::move(taps);
    channel.none_ = false;
    char text[96];
    std::snprintf(text, sizeof text, "lossy line, %g dB at %g GHz", lossDb, 0.5 / bitTime * 1e-9);
    channel.description_ = text;
    return true;
}

bool Channel::FromImpulse(const std::vector<double>& impulse, double sampleInterval, const std::string& name,
                          Channel& channel, std::string& error)
{
    if (impulse.empty()) {
        error = name + ": no impulse response samples";
        return false;
    }
    double sum = 0.0;
    channel.taps_.resize(impulse.size());
    for (std::size_t i = 0; i < impulse.size(); ++i) {
        channel.taps_[i] = impulse[i] * sampleInterval;
        sum += channel.taps_[i];
    }
    if (!std::isfinite(sum)) {
        error = name + ": the impulse response overflows when scaled by the sample interval";
        return false;
    }
    channel.none_ = false;
    char text[64];
    std::snprintf(text, sizeof text, " (%zu samples, DC gain %.4g)", impulse.size(), sum);
    channel.description_ = "impulse response " + name + text;
    return true;
}

Channel Channel::FromTaps(std::vector<double> taps, std::string description)
{
    Channel channel;
    channel.taps_ = std::move(taps);
    channel.none_ = false;
    channel.description_ = std::move(description);
    return channel;
}

std::vector<double> Channel::Apply(const std::vector<double>& wave) const
{
    if (none_)
        return wave;
    std::vector<double> out(wave.size());
    ConvolveCausal(wave.data(), wave.size(), taps_.data(), taps_.size(), out.data());
    return out;
}

std::vector<double> Channel::ImpulseMatrix(double sampleInterval) const
{
    std::vector<double> matrix(taps_.size());
    for (std::size_t i = 0; i < taps_.size(); ++i)
        matrix[i] = taps_[i] / sampleInterval;
    return matrix;
}
