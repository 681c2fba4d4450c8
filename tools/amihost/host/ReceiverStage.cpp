#include "tools/amihost/host/ReceiverStage.h"

#include <cmath>

#include "tools/amihost/channel/Deconvolution.h"
#include "tools/amihost/signal/Convolution.h"

ReceiverStage::ReceiverStage(const Receiver& rx, double sampleInterval, double bitTime, std::size_t blockSize)
    : rx_(rx), session_(rx.Library), sampleInterval_(sampleInterval), bitTime_(bitTime), blockSize_(blockSize)
{
}

bool ReceiverStage::Open(const std::vector<double>& impulseIn, bool includesTransmitter, const Channel& channel,
                         std::string& error)
{
    channel_ = &channel;
    if (!session_.Init(impulseIn, sampleInterval_, bitTime_, rx_.Parameters, error))
        return false;
    if (!rx_.InitOnly)
        return true;
    const std::vector<double>& out = session_.ImpulseOut();
    for (std::size_t i = 0; i < out.size(); ++i)
        if (!std::isfinite(out[i])) {
            error = rx_.LibraryPath + ": AMI_Init returned an impulse response whose sample " + std::to_string(i) +
                    " is not finite";
            return false;
        }
    const std::size_t n = out.size();
    taps_.assign(n, 0.0);
    if (!includesTransmitter) {
        for (std::size_t i = 0; i < n; ++i)
            taps_[i] = out[i] * sampleInterval_;
        return true;
    }
    const std::vector<double>& c = channel.Taps();
    DeconvolveCausal(out.data(), impulseIn.data(), n, c.data(), c.size(), Epsilon, taps_.data());
    return true;
}

bool ReceiverStage::Pass(std::vector<double>& wave, const std::function<void(std::size_t)>& progress,
                         std::string& error)
{
    if (rx_.InitOnly) {
        std::vector<double> out(wave.size());
        ConvolveCausal(wave.data(), wave.size(), taps_.data(), taps_.size(), out.data());
        wave = std::move(out);
        return true;
    }
    wave = channel_->Apply(wave);
    return session_.Process(wave, blockSize_, progress, error, &clock_);
}

bool ReceiverStage::Close(std::string& error)
{
    if (session_.Close())
        return true;
    error = rx_.LibraryPath + ": AMI_Close returned 0";
    return false;
}
