// Fuzz target of AMI_Init's refusals: any timing it refuses, any parameter
// string, missing pointers, then what a simulator may still do with the
// handle. Refused timings never reach the model's Setup (which derives 16
// filters from the table), so this target runs thousands of inputs a second;
// accepted timings belong to ami_wave_stream_fuzz.
//
// Input, read front to back (a short input reads as zeros past its end):
//   byte  0        how the sample interval is chosen (see Interval)
//   bytes 1 .. 8   raw bits of a double, used when byte 0 chooses them
//   byte  9        how the bit time is chosen (see BitTime)
//   bytes 10 .. 17 likewise
//   byte  18       flags: 1 null parameter string, 2 null handle pointer,
//                  4 null message pointer
//   then, up to the first NUL, the parameter string
//
// Timings that the model would accept are left alone (the input is
// dropped); among the refused ones a zero-sample bit (a bit time under half
// the sample interval) is left alone too, as AMI_Init refuses it only
// after Setup. Besides sanitizer findings, the target traps when a refused
// timing returns anything but 0, when the message does not name the refusal,
// when a message piece does not end with a blank or holds a line break,
// when AMI_GetWave on the refused handle returns anything but 0 or changes
// the wave or the clock times, or when AMI_Close does not return 1.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "ami/AmiEntryPoints.h"
#include "fuzz/FuzzInput.h"

namespace {

using FuzzInput::Check;

constexpr double TypicalBitTime = 1e-10;

// Values no simulator should send.
constexpr double SpecialTimes[] = {0.0,
                                   -0.0,
                                   -1e-12,
                                   std::numeric_limits<double>::quiet_NaN(),
                                   std::numeric_limits<double>::infinity(),
                                   -std::numeric_limits<double>::infinity(),
                                   std::numeric_limits<double>::denorm_min(),
                                   std::numeric_limits<double>::max()};
constexpr unsigned SpecialTimeCount = sizeof SpecialTimes / sizeof SpecialTimes[0];

// Below 128: an interval far too short for the bit time (too many taps),
// 1e-8 to 1e-5 of a typical bit; then the special values; else raw bits.
double Interval(std::uint8_t kind, double raw)
{
    if (kind < 128)
        return TypicalBitTime * 1e-8 * (1.0 + kind * 8.0);
    if (kind < 128 + SpecialTimeCount)
        return SpecialTimes[kind - 128];
    return raw;
}

// Below 128: a typical bit time; then the special values; else raw bits.
double BitTime(std::uint8_t kind, double raw)
{
    if (kind < 128)
        return TypicalBitTime * (1.0 + kind / 16.0);
    if (kind < 128 + SpecialTimeCount)
        return SpecialTimes[kind - 128];
    return raw;
}

// Whether AMI_Init refuses the timing before Setup, with a margin so that
// no borderline timing is counted on: not finite and positive, 2^31 sample
// intervals a bit or more, or clearly more than 262144 taps a filter (the
// responses span just under 5 ns).
bool RefusedBeforeSetup(double interval, double bit)
{
    if (!(std::isfinite(interval) && interval > 0.0 && std::isfinite(bit) && bit > 0.0))
        return true;
    const double quotient = bit / interval + 0.5;
    if (!(quotient < 2147483648.0))
        return true;
    return 4.99e-9 * std::trunc(quotient) / bit > 262144.0 * 1.01;
}

void CheckMessage(const char* message)
{
    Check(message != nullptr);
    const std::size_t length = std::strlen(message);
    Check(length > 0 && length < 4096 && message[length - 1] == ' ');
    Check(std::strchr(message, '\n') == nullptr);
    const std::string text(message);
    Check(text.find("must both be finite and greater than 0") != std::string::npos ||
          text.find("spans too many sample intervals") != std::string::npos ||
          text.find("is too small for this model") != std::string::npos ||
          text.find("no place for the memory handle") != std::string::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput::Reader in(data, size);
    const std::uint8_t intervalKind = in.Byte();
    const double interval = Interval(intervalKind, in.Raw());
    const std::uint8_t bitKind = in.Byte();
    const double bit = BitTime(bitKind, in.Raw());
    const std::uint8_t flags = in.Byte();
    std::string parameters = in.Text();
    if (!RefusedBeforeSetup(interval, bit))
        return 0; // accepted, or refused only by Setup: not cheap


    char* message = nullptr;
    void* handle = nullptr;
    const long init = AMI_Init(nullptr, 0, 0, interval, bit, flags & 1 ? nullptr : &parameters[0],
                               nullptr, flags & 2 ? nullptr : &handle, flags & 4 ? nullptr : &message);
    Check(init == 0);
    if (!(flags & 4))
        CheckMessage(message);
    if (flags & 2) {
        Check(handle == nullptr);
        return 0;
    }
    Check(handle != nullptr);

    double wave[3] = {0.25, -0.5, 1e300};
    double clock[2] = {7.0, 7.0};
    Check(AMI_GetWave(wave, 3, clock, nullptr, handle) == 0);
    Check(wave[0] == 0.25 && wave[1] == -0.5 && wave[2] == 1e300 && clock[0] == 7.0);
    Check(AMI_GetWave(nullptr, 0, nullptr, nullptr, handle) == 0);
    Check(AMI_Close(handle) == 1);
    return 0;
}
