#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "tools/amihost/host/AmiModel.h"

// One instance of a loaded model, driven as a simulator drives it: AMI_Init
// once, AMI_GetWave on consecutive blocks of one signal, AMI_Close once (by
// Close or the destructor; also after a failed AMI_Init that returned a
// handle, since the handle is the model's to release).
class AmiSession {
public:
    explicit AmiSession(const AmiModel& model) : model_(model) {}
    ~AmiSession() { Close(); }
    AmiSession(const AmiSession&) = delete;
    AmiSession& operator=(const AmiSession&) = delete;

    // AMI_Init with a copy of `impulse` (h(t) in 1/s, one row, no
    // aggressors; the model may overwrite the copy, kept as ImpulseOut). The
    // message and output parameters are copied at once. A return of 0 is an
    // error that quotes the model's message.
    bool Init(const std::vector<double>& impulse, double sampleInterval, double bitTime,
              const std::string& parameters, std::string& error);

    // One AMI_GetWave call on wave[0 .. n-1]. The clock-time array (n + 1
    // entries, NaN before the call) is kept for inspection.
    bool GetWave(double* wave, std::size_t n, std::string& error);

    // The whole wave in consecutive blocks of `blockSize` samples (the last
    // may be shorter); `progress`, if set, gets the samples done after each.
    // With `clockTimes`, the times each call returns before its end mark -1
    // are appended to it (seconds from the start of the wave); a call whose
    // list has no end mark, or a time that is not finite, is negative or
    // does not come after the one before (across calls too), is an error.
    bool Process(std::vector<double>& wave, std::size_t blockSize,
                 const std::function<void(std::size_t)>& progress, std::string& error,
                 std::vector<double>* clockTimes = nullptr);

    // The same on the next n samples of a wave streamed through this
    // instance piece by piece (wave[0 .. n-1], the caller's): the clock
    // times are checked against the last one of any earlier piece.
    bool Process(double* wave, std::size_t n, std::size_t blockSize, std::string& error,
                 std::vector<double>* clockTimes = nullptr);

    // AMI_Close, once; true when there was nothing to close or it returned 1.
    bool Close();

    const std::string& Message() const { return message_; }
    const std::string& ParametersOut() const { return parametersOut_; }
    const std::vector<double>& ClockTimes() const { return clock_; }
    const std::vector<double>& ImpulseOut() const { return impulseOut_; }
    // ImpulseOut holds only finite values; else false with the first sample
    // that is not, as an error of the model.
    bool ImpulseOutFinite(std::string& error) const;

    // Wall seconds spent inside AMI_GetWave so far: the model's own share
    // of a run.
    double GetWaveSeconds() const { return getWaveSeconds_; }
    bool Open() const { return handle_ != nullptr; }

private:
    // Appends the last call's clock times (of a call of n samples) to `times`.
    bool CollectClock(std::size_t n, std::vector<double>& times, std::string& error);

    const AmiModel& model_;
    void* handle_ = nullptr;       // the model's memory handle; null when closed
    std::string message_;          // AMI_Init's message, copied
    std::string parametersOut_;    // AMI_Init's output parameters, copied
    std::vector<double> clock_;    // clock times of the last GetWave
    std::vector<double> impulseOut_; // the impulse matrix as AMI_Init left it
    std::size_t samplesDone_ = 0;  // samples passed so far, for messages
    double lastClock_ = -1.0;      // the last clock time collected; -1 before any
    double getWaveSeconds_ = 0.0;
};
