#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "tools/amihost/channel/Channel.h"
#include "tools/amihost/host/AmiSession.h"
#include "tools/amihost/host/Receiver.h"
#include "tools/amihost/signal/StreamConvolver.h"

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
// The wave streams through piece by piece (StreamConvolver carries each
// convolution's tail from one piece to the next). An impulse returned with
// a value that is not finite is refused.
class ReceiverStage {
public:
    ReceiverStage(const Receiver& rx, double sampleInterval, double bitTime, std::size_t blockSize);

    // AMI_Init with h_in; `includesTransmitter` when h_in is the
    // transmitter's AMI_Init output rather than the channel's own.
    bool Open(const std::vector<double>& impulseIn, bool includesTransmitter, const Channel& channel,
              std::string& error);

    // The next n samples x -> y in place (wave[0 .. n-1], the caller's);
    // the clock times that AMI_GetWave returns for them are appended to
    // `clock` (seconds from the wave's start; none for an Init-only
    // receiver).
    bool Pass(double* wave, std::size_t n, std::vector<double>& clock, std::string& error);

    // Samples a Pass should hold for the convolution's full speed.
    std::size_t PreferredChunk() const;

    // AMI_Close; false with the reason when it returns 0.
    bool Close(std::string& error);

    const std::vector<double>& ImpulseOut() const { return session_.ImpulseOut(); }
    const std::string& Message() const { return session_.Message(); }

    static constexpr double Epsilon = 1e-9; // of the deconvolution

private:
    const Receiver& rx_;
    AmiSession session_;
    double sampleInterval_;        // dt, seconds
    double bitTime_;               // seconds
    std::size_t blockSize_;        // samples per AMI_GetWave call
    std::optional<StreamConvolver> convolver_; // c through AMI_GetWave, g Init only; set by Open
};
