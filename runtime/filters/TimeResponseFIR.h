#pragma once

#include <cstdint>

#include "runtime/filters/CubicSpline.h"
#include "runtime/filters/FIR.h"

namespace TorvaneModelBuilder {

// FIR block whose taps are built in Setup from a measured time response: an
// impulse response h(t) or a step response s(t), given at strictly
// increasing time stamps (seconds) that need not be uniform. With the time
// origin moved to the first stamp, tap i samples the response at
// t_i = i / SampleRate, for i = 0 .. NumTaps-1, NumTaps = trunc(span * SampleRate) + 1:
//
//   impulse: Taps[i] = h(t_i) / SampleRate   (the value itself where a stamp
//            equals t_i exactly, else the cubic through the stamp before t_i
//            and the next three)
//   step:    Taps[i] = s'(t_i) / SampleRate  (derivative of the quadratic
//            through the stamp before t_i and the next two)
//
// Near either end the window is clamped to the first or last points of the
// table, so the end intervals are extrapolated from their neighbours. The
// table is walked once, forward, so Setup costs O(NumTaps + NumResponse)
// and allocates the taps and a four-point spline workspace only. Run is the
// plain convolution of FIR<double,0> (D = I = 1 unless the owner changes it).
//
// Ownership: the block owns Taps (freed before each rebuild and on
// destruction). Response and ResponseTimeStamps are lent by the owner and
// read only by Setup, which rewrites ResponseTimeStamps in place to times
// relative to its first stamp (even when a later check fails, as far as the
// shift got); the owner may free both once Setup has returned.
//
// Values outside the design are refused with one line each: fewer than 4
// points, an unknown ResponseType, mismatched counts, a SampleRate that is
// not > 0.0 (NaN included), stamps not strictly increasing (NaN included),
// and a span * SampleRate that is not a finite number below 2147483647 (the
// tap count must fit NumTaps). Non-finite response values are not checked:
// they make the taps whose window holds them non-finite.
class TimeResponseFIR : public FIR<double, 0> {
public:
    enum ResponseKind : std::int32_t { ImpulseResponse = 0, StepResponse = 1 };

    double* Response = nullptr;           // NumResponse values, lent by the owner (must hold them)
    double* ResponseTimeStamps = nullptr; // time of each value, s; lent, rewritten by Setup
    std::int32_t NumResponse = 0;           // values in Response
    std::int32_t NumResponseTimeStamps = 0; // values in ResponseTimeStamps
    ResponseKind ResponseType = StepResponse; // what Response holds; other values are refused
    double SampleRate = 1e12;             // samples per second; taps are 1 / SampleRate apart

    TimeResponseFIR() = default;
    ~TimeResponseFIR() override;

    // Validates the table, builds Taps and runs FIR<double,0>::Setup.
    bool Setup() override;
};

} // namespace TorvaneModelBuilder
