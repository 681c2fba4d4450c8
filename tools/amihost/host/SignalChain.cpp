#include "tools/amihost/host/SignalChain.h"

#include <algorithm>
#include <cstring>

SignalChain::SignalChain(const AmiModel& model, const SimulationConfig& config)
    : model_(model), config_(config), session_(model)
{
}

SignalChain::~SignalChain()
{
    std::string ignored;
    Close(ignored);
}

bool SignalChain::Open(const std::string& parameters, std::string& error)
{
    const Channel& channel = *config_.Link;
    std::vector<double> impulse = channel.ImpulseMatrix(config_.SampleInterval());
    if (config_.Rx)
        impulse.resize(impulse.size() + config_.ResponseBits * static_cast<std::size_t>(config_.SamplesPerBit),
                       0.0);
    if (!session_.Init(impulse, config_.SampleInterval(), config_.BitTime, parameters, error))
        return false;
    if (!config_.Rx) {
        channel_.emplace(channel.Taps(), config_.BlockSize);
        return true;
    }
    return OpenReceiver(config_.TxReturnsImpulse ? session_.ImpulseOut() : impulse, error);
}

bool SignalChain::OpenReceiver(const std::vector<double>& impulse, std::string& error)
{
    if (config_.TxReturnsImpulse && !session_.ImpulseOutFinite(error))
        return false;
    rxImpulseIn_ = impulse;
    rx_.emplace(*config_.Rx, config_.SampleInterval(), config_.BitTime, config_.BlockSize);
    return rx_->Open(impulse, config_.TxReturnsImpulse, *config_.Link, error);
}

bool SignalChain::Pass(double* wave, std::size_t n, double* modelOut, std::vector<double>& clock,
                       std::string& error)
{
    const bool receiver = config_.ModelRole == SimulationConfig::Receiver;
    if (receiver && channel_)
        channel_->Process(wave, n);
    if (!session_.Process(wave, n, config_.BlockSize, error, receiver ? &clock : nullptr))
        return false;
    if (modelOut)
        std::memcpy(modelOut, wave, n * sizeof(double));
    if (receiver)
        return true;
    if (rx_)
        return rx_->Pass(wave, n, clock, error);
    channel_->Process(wave, n);
    return true;
}

bool SignalChain::Close(std::string& error)
{
    bool closed = true;
    if (session_.Open() && !session_.Close()) {
        error = model_.Path + ": AMI_Close returned 0";
        closed = false;
    }
    if (rx_) {
        std::string rxError;
        if (!rx_->Close(rxError) && closed) {
            error = rxError;
            closed = false;
        }
    }
    return closed;
}

bool SignalChain::MayReturnClock() const
{
    return config_.ModelRole == SimulationConfig::Receiver || (config_.Rx && !config_.Rx->InitOnly);
}

std::size_t SignalChain::Chunk() const
{
    // A multiple of the model's calls and of the convolution's blocks (which
    // are multiples of the calls), so that no piece ends inside either: a
    // block cut by a piece costs another transform. Long enough that
    // per-piece costs vanish.
    const std::size_t block = std::max<std::size_t>(config_.BlockSize, 1);
    const std::size_t preferred = channel_ ? channel_->PreferredChunk() : rx_ ? rx_->PreferredChunk() : block;
    // The direct sum has no blocks to respect: then the calls alone count.
    const std::size_t unit = preferred % block == 0 ? preferred : block;
    const std::size_t wanted = std::size_t(1) << 16;
    return (wanted + unit - 1) / unit * unit;
}

std::vector<double> SignalChain::RxImpulseOut() const { return rx_ ? rx_->ImpulseOut() : std::vector<double>(); }

std::string SignalChain::RxMessage() const { return rx_ ? rx_->Message() : std::string(); }
