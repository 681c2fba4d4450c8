#pragma once

// What the model's fuzz targets share: the trap that reports a failed check
// to libFuzzer, a front-to-back reader of the input, and the waves built
// from it. Header only; every target is a program of its own.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace FuzzInput {

// A failed check of the target's own: libFuzzer reports it like a crash.
inline void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Reads the input front to back; past its end every byte is 0.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Done() const { return at_ >= size_; }

    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }

    // `bytes` bytes, little-endian.
    std::uint64_t Unsigned(int bytes)
    {
        std::uint64_t value = 0;
        for (int i = 0; i < bytes; ++i)
            value |= static_cast<std::uint64_t>(Byte()) << (8 * i);
        return value;
    }

    // The raw bits of a double.
    double Raw()
    {
        const std::uint64_t bits = Unsigned(8);
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

// Whether an input is one of the `oneIn` (a power of two) whose FNV-1a 64
// hash it divides: a choice the fuzzer cannot learn, so mutations of such an
// input hardly ever inherit it. For what is costly and should stay rare
// whatever the corpus holds (a call of tens of thousands of samples).
inline bool OneInputIn(const std::uint8_t* data, std::size_t size, std::uint64_t oneIn)
{
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (std::size_t i = 0; i < size; ++i)
        hash = (hash ^ data[i]) * 0x100000001b3ull;
    return hash % oneIn == 0;
}

// Sample values a simulator may send, or a faulty one: zeros of both signs,
// ordinary levels, the extremes, denormals, NaN and the infinities.
constexpr double SpecialSamples[] = {0.0,
                                     -0.0,
                                     0.5,
                                     -0.5,
                                     1.0,
                                     1e300,
                                     -1e300,
                                     5e-324,
                                     -1e-310,
                                     std::numeric_limits<double>::quiet_NaN(),
                                     std::numeric_limits<double>::infinity(),
                                     -std::numeric_limits<double>::infinity()};
constexpr unsigned SpecialSampleCount = sizeof SpecialSamples / sizeof SpecialSamples[0];

// Samples of one call, by `kind`: all of one special value, an edge pattern
// of +-0.5, special values chosen sample by sample, or raw bits.
inline void FillWave(Reader& in, std::uint8_t kind, std::vector<double>& wave)
{
    switch (kind % 4) {
    case 0:
        for (double& x : wave)
            x = SpecialSamples[(kind / 4) % SpecialSampleCount];
        break;
    case 1:
        for (std::size_t i = 0; i < wave.size(); ++i)
            wave[i] = (i / (1 + kind / 4)) % 2 ? 0.5 : -0.5;
        break;
    case 2:
        for (double& x : wave)
            x = SpecialSamples[in.Byte() % SpecialSampleCount];
        break;
    default:
        for (double& x : wave)
            x = in.Raw();
        break;
    }
}

} // namespace FuzzInput
