// The test receiver that amihost chains after a channel: the CTLE of Ctle.h
// followed by the clock recovery of BangBangCdr.h. Built twice:
//   amihost_rx_ctle_cdr   AMI_GetWave filters the wave in place through the
//                         CTLE and returns the clock times of the clock
//                         recovery, ended by -1; AMI_Init leaves the impulse
//                         matrix as it is (rx_ctle_cdr.ami: GetWave_Exists
//                         True, Init_Returns_Impulse False)
//   amihost_rx_ctle_init  RX_INIT_ONLY: no AMI_GetWave; AMI_Init filters
//                         every column of the impulse matrix through the
//                         CTLE in place and returns it (rx_ctle_init.ami:
//                         GetWave_Exists False, Init_Returns_Impulse True)
// Parameters, under the root RX_ROOT: peaking (dB), peak_ghz (GHz) and, with
// AMI_GetWave, cdr_gain (UI per transition); defaults below when absent.
// AMI_Init refuses (0, with the reason) values outside Ctle's and
// BangBangCdr's ranges and timings that are not finite and positive or give
// fewer than 2 samples per bit; it still hands out a handle for AMI_Close.
// AMI_GetWave writes at most wave_size clock times and the end mark, so its
// clock_times need wave_size + 1 entries (a tick is more than one sample
// from the next). Every instance owns its state; nothing is shared.
#include <cmath>
#include <string>

#include "params/AmiParameters.h"
#include "tests/amihost/models/BangBangCdr.h"
#include "tests/amihost/models/Ctle.h"

#define RX_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Settings {
    double PeakingDb = 6.0;
    double PeakGhz = 6.4;
    double CdrGain = 1.0 / 64.0;
};

struct Receiver {
    Ctle Filter;
    BangBangCdr Clock;
    bool Ready = false;  // AMI_Init succeeded
    std::string Message; // AMI_Init's message, owned here
};

// The settings in `text`; absent or unreadable ones keep their defaults.
Settings Read(const char* text)
{
    Settings s;
    if (!text)
        return s;
    const AmiParameters parameters(text);
    const std::string root = RX_ROOT;
    parameters.GetDouble(s.PeakingDb, (root + ".peaking").c_str());
    parameters.GetDouble(s.PeakGhz, (root + ".peak_ghz").c_str());
    parameters.GetDouble(s.CdrGain, (root + ".cdr_gain").c_str());
    return s;
}

bool Setup(Receiver& rx, double dt, double bitTime, const char* text)
{
    if (!(dt > 0.0 && bitTime > 0.0 && std::isfinite(dt) && std::isfinite(bitTime) && bitTime / dt >= 2.0)) {
        rx.Message = "the sample interval and the bit time must be finite and positive, 2 or more samples a bit";
        return false;
    }
    const Settings s = Read(text);
    if (!rx.Filter.Design(s.PeakingDb, s.PeakGhz * 1e9, dt, rx.Message))
        return false;
    if (!(s.CdrGain > 0.0 && s.CdrGain < 0.5)) {
        rx.Message = "cdr_gain must lie between 0 and 0.5 UI";
        return false;
    }
    rx.Clock.Setup(bitTime / dt, s.CdrGain, dt);
    return true;
}

} // namespace

RX_EXPORT long AMI_Init(double* impulse, long rowSize, long aggressors, double dt, double bitTime, char* parameters,
                        char** parametersOut, void** handle, char** message)
{
    if (!handle)
        return 0;
    Receiver* rx = new Receiver();
    *handle = rx;
    if (parametersOut)
        *parametersOut = nullptr;
    rx->Ready = Setup(*rx, dt, bitTime, parameters);
#ifdef RX_INIT_ONLY
    if (rx->Ready && impulse && rowSize > 0 && aggressors >= 0) {
        for (long column = 0; column <= aggressors; ++column) {
            Ctle filter = rx->Filter; // from rest for each column
            double* h = impulse + column * rowSize;
            for (long i = 0; i < rowSize; ++i)
                h[i] = filter.Step(h[i]);
        }
    }
#else
    (void)impulse;
    (void)rowSize;
    (void)aggressors;
#endif
    if (message)
        *message = rx->Message.empty() ? nullptr : &rx->Message[0];
    return rx->Ready ? 1 : 0;
}

#ifndef RX_INIT_ONLY
RX_EXPORT long AMI_GetWave(double* wave, long size, double* clockTimes, char** parametersOut, void* handle)
{
    Receiver* rx = static_cast<Receiver*>(handle);
    if (!rx || !rx->Ready || size < 0 || (size > 0 && !wave))
        return 0;
    if (parametersOut)
        *parametersOut = nullptr;
    long ticks = 0;
    for (long i = 0; i < size; ++i) {
        wave[i] = rx->Filter.Step(wave[i]);
        double tick = 0.0;
        if (rx->Clock.Push(wave[i], tick) && clockTimes)
            clockTimes[ticks++] = tick;
    }
    if (clockTimes)
        clockTimes[ticks] = -1.0;
    return 1;
}
#endif

RX_EXPORT long AMI_Close(void* handle)
{
    if (!handle)
        return 0;
    delete static_cast<Receiver*>(handle);
    return 1;
}
