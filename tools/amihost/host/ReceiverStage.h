#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "tools/amihost/channel/Channel.h"
#include "tools/amihost/host/AmiSession.h"
#include "tools/amihost/host/Receiver.h"

// One wave through the receiver of a chain (Receiver), in an instance of its
// own: from the transmitter's output x to the wave at the eye y.
//
// Open hands AMI_Init the impulse matrix h_in (1/s) that the chain gives the
// receiver and keeps what it returns, h_out. Pass then applies the channel
// (taps c at the sample interval dt) and the receiver:
//   through AMI_GetWave:  y = GetWave(c (*) x), in blocks, with the clock
//                         times of every call collected;
//   Init only:            y = x (*) g, with the taps g (n = h_in's length):
//     g = h_out dt             when h_in is the channel's: h_out = h_in (*) r
//                              holds the channel and the receiver's r;
//     g = c (*) r, h_out = h_in (*) r   when h_in holds the transmitter's
//                              AMI_Init response too: x already carries that
//                              equalisation (from the transmitter's
//                              AMI_GetWave), so it must not count twice;
//                              DeconvolveCausal finds g in one step, with
//                              Tikhonov's epsilon 1e-9.
// Convolutions are ConvolveCausal's. An impulse returned with a value that
// is not finite is refused.
class ReceiverStage {
public:
    ReceiverStage(const Receiver& rx, double sampleInterval, double bitTime, std::size_t blockSize);

    // AMI_Init with h_in; `includesTransmitter` when h_in is the
    // transmitter's AMI_Init output rather than the channel's own.
    bool Open(const std::vector<double>& impulseIn, bool includesTransmitter, const Channel& channel,
              std::string& error);

    // x -> y in place; `progress`, if set, gets the samples done by
    // AMI_GetWave (none for an Init-only receiver).
    bool Pass(std::vector<double>& wave, const std::function<void(std::size_t)>& progress, std::string& error);

    // AMI_Close; false with the reason when it returns 0.
    bool Close(std::string& error);

    const std::vector<double>& ImpulseOut() const { return session_.ImpulseOut(); }
    const std::string& Message() const { return session_.Message(); }
    const std::vector<double>& ClockTimes() const { return clock_; }

    static constexpr double Epsilon = 1e-9; // of the deconvolution

private:
    const Receiver& rx_;
    AmiSession session_;
    double sampleInterval_;        // dt, seconds
    double bitTime_;               // seconds
    std::size_t blockSize_;        // samples per AMI_GetWave call
    const Channel* channel_ = nullptr; // the chain's, set by Open; the caller's
    std::vector<double> taps_;     // g, Init only
    std::vector<double> clock_;    // clock times collected by Pass
};
