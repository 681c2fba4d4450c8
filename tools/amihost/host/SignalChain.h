#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "tools/amihost/host/AmiModel.h"
#include "tools/amihost/host/AmiSession.h"
#include "tools/amihost/host/ReceiverStage.h"
#include "tools/amihost/host/Simulation.h"
#include "tools/amihost/signal/StreamConvolver.h"

// One wave through the chain of a SimulationConfig, piece by piece, with
// one new instance of the model (and of the receiver after it) that lives
// as long as the chain:
//   transmitter:           x -> model (AMI_GetWave) -> channel -> eye
//   with a receiver (Rx):  x -> model -> ReceiverStage (channel and Rx) -> eye
//   receiver:              x -> channel -> model (AMI_GetWave) -> eye
// AMI_GetWave gets BlockSize samples a call (the last of the wave fewer);
// the channel is a StreamConvolver, so a piece's output carries the tails
// of all earlier pieces and no piece is held after its Pass.
//
// Memory: the channel's taps and the convolver's transform (a few times
// the taps), whatever the wave's length. The models, the channel and the
// receiver are the caller's and outlive the chain.
class SignalChain {
public:
    SignalChain(const AmiModel& model, const SimulationConfig& config);
    ~SignalChain();
    SignalChain(const SignalChain&) = delete;
    SignalChain& operator=(const SignalChain&) = delete;

    // AMI_Init of the model with the channel's impulse matrix (with the
    // receiver's room after it, when there is a receiver), then of the
    // receiver with the matrix the chain gives it. False with the reason.
    bool Open(const std::string& parameters, std::string& error);

    // The next n samples, wave[0 .. n-1], from the chain's input to the eye
    // in place. `modelOut`, if not null, gets the model's own output (n
    // values). The clock times that the model or the receiver returns are
    // appended to `clock` (seconds from the wave's start).
    bool Pass(double* wave, std::size_t n, double* modelOut, std::vector<double>& clock, std::string& error);

    // AMI_Close of both; false with the reason when one returns 0.
    bool Close(std::string& error);

    // Whether a Pass can return clock times: the model is the receiver, or
    // a receiver after the channel runs AMI_GetWave.
    bool MayReturnClock() const;

    // Samples a Pass should hold: a multiple of BlockSize at which the
    // convolutions run at full speed.
    std::size_t Chunk() const;

    // Wall seconds inside the model's AMI_GetWave (not the receiver's).
    double ModelSeconds() const { return session_.GetWaveSeconds(); }
    const std::string& Message() const { return session_.Message(); }
    const std::string& ParametersOut() const { return session_.ParametersOut(); }
    // What the receiver's AMI_Init got and left, and said; empty without Rx.
    const std::vector<double>& RxImpulseIn() const { return rxImpulseIn_; }
    std::vector<double> RxImpulseOut() const;
    std::string RxMessage() const;

private:
    bool OpenReceiver(const std::vector<double>& impulse, std::string& error);

    const AmiModel& model_;
    const SimulationConfig& config_;
    AmiSession session_;
    std::optional<StreamConvolver> channel_;  // absent with a receiver stage, which applies it
    std::optional<ReceiverStage> rx_;
    std::vector<double> rxImpulseIn_;
};
