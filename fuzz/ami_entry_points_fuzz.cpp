// Fuzz target of the three exported entry points, driven as a simulator
// drives them, and as a faulty one might.
//
// Input, read front to back (a short input reads as zeros past its end):
//   byte  0        how the sample interval is chosen (see Timing)
//   bytes 1 .. 8   raw bits of a double, used when byte 0 chooses them
//   byte  9        how the bit time is chosen
//   bytes 10 .. 17 likewise
//   byte  18       flags: 1 null parameter string, 2 null handle pointer,
//                  4 null message pointer, 8 GetWave after a failed Init
//   byte  19       number of AMI_GetWave calls (mod 9)
//   per call: 2 bytes of size (mod 1200; 1199 stands for -1 .. -3 by the
//             next byte), 1 byte of sample kind, then the sample bytes
//   then, up to the first NUL, the parameter string (the rest of the input
//   when it has no NUL)
//
// Besides sanitizer findings, the target traps when a result is not 0 or 1,
// when AMI_Init succeeds without a handle, when its message does not end
// with a blank or holds a line break, when a non-empty wave leaves no
// end mark -1 in the clock times, when a successful call leaves a
// non-finite sample from a history of samples of modest size (at a bit time
// of at most a second), or when a failed call
// changes the wave (the only failing Run is the first one of an instance
// whose de is out of range, so a failed call leaves every sample).

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "ami/AmiEntryPoints.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Reads the input front to back; past its end every byte is 0.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }

    double Raw()
    {
        std::uint64_t bits = 0;
        for (int i = 0; i < 8; ++i)
            bits |= static_cast<std::uint64_t>(Byte()) << (8 * i);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    // The rest up to the first NUL.
    std::string Text()
    {
        std::string text;
        while (at_ < size_ && data_[at_] != 0)
            text.push_back(static_cast<char>(data_[at_++]));
        return text;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// A timing value: one of the values simulators send and the faults they
// might make, or the raw bits that follow.
double Timing(std::uint8_t kind, double raw, double typical)
{
    static const double special[] = {0.0, -0.0, -1e-12, std::numeric_limits<double>::quiet_NaN(),
                                     std::numeric_limits<double>::infinity(),
                                     -std::numeric_limits<double>::infinity(),
                                     std::numeric_limits<double>::denorm_min(),
                                     std::numeric_limits<double>::max()};
    const unsigned n = sizeof special / sizeof special[0];
    if (kind < 128)
        return typical * (1.0 + kind / 16.0); // ordinary values near the typical one
    if (kind < 128 + n)
        return special[kind - 128];
    return raw;
}

// About the taps per filter that AMI_Init would build for this timing (the
// responses span 5 ns), or 0 when it refuses the timing anyway.
double TapsPerFilter(double sampleInterval, double bitTime)
{
    if (!(std::isfinite(sampleInterval) && sampleInterval > 0.0 && std::isfinite(bitTime) && bitTime > 0.0))
        return 0.0;
    const double quotient = bitTime / sampleInterval + 0.5;
    if (!(quotient < 2147483648.0))
        return 0.0;
    return 5e-9 * std::trunc(quotient) / bitTime;
}

// Samples of one call: all of one value, an edge pattern, or raw bits from
// the input, with NaN and infinities among the chosen values.
void FillWave(Reader& in, std::uint8_t kind, std::vector<double>& wave)
{
    static const double values[] = {0.0, 0.5, -0.5, 1e300, -1e300, 5e-324,
                                    std::numeric_limits<double>::quiet_NaN(),
                                    std::numeric_limits<double>::infinity(),
                                    -std::numeric_limits<double>::infinity()};
    const unsigned n = sizeof values / sizeof values[0];
    switch (kind % 4) {
    case 0:
        for (double& x : wave)
            x = values[(kind / 4) % n];
        break;
    case 1:
        for (std::size_t i = 0; i < wave.size(); ++i)
            wave[i] = (i / (1 + kind / 4)) % 2 ? 0.5 : -0.5;
        break;
    case 2:
        for (double& x : wave)
            x = values[in.Byte() % n];
        break;
    default:
        for (double& x : wave)
            x = in.Raw();
        break;
    }
}

// Samples no filter can take past the largest double: |x| <= 1e100.
bool Modest(const std::vector<double>& wave)
{
    for (double x : wave)
        if (!(std::fabs(x) <= 1e100))
            return false;
    return true;
}

bool AllFinite(const std::vector<double>& wave)
{
    for (double x : wave)
        if (!std::isfinite(x))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Reader in(data, size);
    const std::uint8_t intervalKind = in.Byte();
    const double intervalRaw = in.Raw();
    const std::uint8_t bitKind = in.Byte();
    const double bitRaw = in.Raw();
    const double sampleInterval = Timing(intervalKind, intervalRaw, 1e-10 / 32);
    const double bitTime = Timing(bitKind, bitRaw, 1e-10);
    // Models of more than a few thousand taps per filter cost milliseconds a
    // sample; they are the same code at a larger size, so they are left to
    // the unit tests and the soak benchmark. Timings that ask for well over
    // the 262144 taps AMI_Init allows are refused at once and stay in.
    const double taps = TapsPerFilter(sampleInterval, bitTime);
    if (taps > 4096.0 && taps <= 300000.0)
        return 0;

    const std::uint8_t flags = in.Byte();
    const int calls = in.Byte() % 9;
    struct Call {
        long Size;
        std::vector<double> Wave;
    };
    std::vector<Call> plan;
    for (int c = 0; c < calls; ++c) {
        const unsigned size = (in.Byte() | in.Byte() << 8) % 1200;
        Call call;
        call.Size = size == 1199 ? -1 - static_cast<long>(in.Byte() % 3) : static_cast<long>(size);
        call.Wave.resize(call.Size > 0 ? static_cast<std::size_t>(call.Size) : 0);
        FillWave(in, in.Byte(), call.Wave);
        plan.push_back(std::move(call));
    }
    std::string parameters = in.Text();

    char* message = nullptr;
    void* handle = nullptr;
    const long init = AMI_Init(nullptr, 0, 0, sampleInterval, bitTime,
                               flags & 1 ? nullptr : &parameters[0], nullptr,
                               flags & 2 ? nullptr : &handle, flags & 4 ? nullptr : &message);
    Check(init == 0 || init == 1);
    Check(init == 0 || handle != nullptr);
    if (message != nullptr) {
        // Every piece of a message ends with one blank and has no line break.
        const std::size_t length = std::strlen(message);
        Check(length > 0 && length < (std::size_t{1} << 20) && message[length - 1] == ' ');
        Check(std::strchr(message, '\n') == nullptr);
    }
    if (handle == nullptr) {
        Check(AMI_GetWave(nullptr, 0, nullptr, nullptr, nullptr) == 0);
        Check(AMI_Close(nullptr) == 0);
        return 0;
    }

    if (init == 1 || (flags & 8)) {
        // Every tap is a response's slope times the model's sample interval
        // (bit time / samples per bit, at most the bit time), and no slope of
        // the table reaches 1e15 V/s. So with a bit time of at most 1 s and
        // samples of at most 1e100 no sum can overflow; an absurd timing
        // (say 1e222 s) makes taps that can, and that output is left alone.
        bool modestSoFar = bitTime <= 1.0; // every sample so far, the filters' history included
        for (Call& call : plan) {
            std::vector<double> clock(call.Wave.size() + 1, 7.0);
            const std::vector<double> before = call.Wave;
            const long ok = AMI_GetWave(call.Wave.empty() ? nullptr : call.Wave.data(), call.Size, clock.data(),
                                        nullptr, handle);
            Check(ok == 0 || ok == 1);
            if (ok == 1) {
                Check(init == 1 && call.Size >= 0);
                Check(call.Size == 0 ? clock[0] == 7.0 : clock[0] == -1.0);
                // The filters are finite sums of finite taps: modest in, finite out.
                modestSoFar = modestSoFar && Modest(before);
                if (modestSoFar)
                    Check(AllFinite(call.Wave));
            } else if (!before.empty()) {
                Check(std::memcmp(before.data(), call.Wave.data(), before.size() * sizeof(double)) == 0);
            }
        }
    }
    const long closed = AMI_Close(handle);
    Check(closed == 0 || closed == 1);
    return 0;
}
