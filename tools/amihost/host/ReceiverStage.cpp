#include "tools/amihost/host/ReceiverStage.h"

#include "tools/amihost/channel/Deconvolution.h"

ReceiverStage::ReceiverStage(const Receiver& rx, double sampleInterval, double bitTime, std::size_t blockSize)
    : rx_(rx), session_(rx.Library), sampleInterval_(sampleInterval), bitTime_(bitTime), blockSize_(blockSize)
{
}

bool ReceiverStage::Open(const std::vector<double>& impulseIn, bool includesTransmitter, const Channel& channel,
                         std::string& error)
{
    if (!session_.Init(impulseIn, sampleInterval_, bitTime_, rx_.Parameters, error))
        return false;
    if (!rx_.InitOnly) {
        convolver_.emplace(channel.Taps(), blockSize_);
        return true;
    }
    if (!session_.ImpulseOutFinite(error))
        return false;
    const std::vector<double>& out = session_.ImpulseOut();
    const std::size_t n = out.size();
    std::vector<double> taps(n, 0.0);
    if (!includesTransmitter) {
        for (std::size_t i = 0; i < n; ++i)
            taps[i] = out[i] * sampleInterval_;
    } else {
        const std::vector<double>& c = channel.Taps();
        DeconvolveCausal(out.data(), impulseIn.data(), n, c.data(), c.size(), Epsilon, taps.data());
    }
    convolver_.emplace(std::move(taps), blockSize_);
    return true;
}

bool ReceiverStage::Pass(double* wave, std::size_t n, std::vector<double>& clock, std::string& error)
{
    if (!convolver_) {
        error = rx_.LibraryPath + ": the receiver was not opened";
        return false;
    }
    convolver_->Process(wave, n);
    return rx_.InitOnly || session_.Process(wave, n, blockSize_, error, &clock);
}

std::size_t ReceiverStage::PreferredChunk() const { return convolver_ ? convolver_->PreferredChunk() : 1; }

bool ReceiverStage::Close(std::string& error)
{
    if (session_.Close())
        return true;
    error = rx_.LibraryPath + ": AMI_Close returned 0";
    return false;
}
