// Fuzz target of amihost's Touchstone reader and of the channel made from
// what it reads.
//
// Input: byte 0 picks the file name, whose extension gives a version 1
// file its port count (.s1p, .s2p, .s3p, .s4p or .ts); byte 1 picks the
// channel's settings: bits 0-2 the sample interval (1 ps * 2^k), bits 3-4
// the terminations, bit 5 the port order of a 4-port; the rest is the text.
// Besides sanitizer findings, the target traps when
//  - the reader fails without one line "NAME:LINE: what" (LINE at most one
//    past the text's last line), or leaves part of a network behind;
//  - it succeeds with a message, or with a network that breaks its own
//    description: Ports^2 values a frequency, frequencies finite, >= 0 and
//    increasing, references finite and > 0, values finite;
//  - the network, written back (version 2; version 1 too where every port
//    has the same reference), does not read back to the same bits;
//  - a 2- or 4-port does not become a channel of finite taps, at most
//    MaxTaps, nor is refused with one line "NAME: what".

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/amihost/channel/TouchstoneChannel.h"
#include "tools/amihost/channel/TouchstoneFile.h"

namespace {

constexpr std::size_t MaxTaps = 256; // keeps the transforms short

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool SameBits(const TouchstoneData& a, const TouchstoneData& b)
{
    return a.Ports == b.Ports && a.Frequencies == b.Frequencies && a.Parameters == b.Parameters &&
           a.Reference == b.Reference;
}

void CheckError(const std::string& error, const std::string& name, const std::string& text)
{
    Check(error.rfind(name + ":", 0) == 0 && error.find('\n') == std::string::npos);
    std::size_t at = name.size() + 1;
    long line = 0;
    while (at < error.size() && error[at] >= '0' && error[at] <= '9' && line < 1000000000)
        line = line * 10 + (error[at++] - '0');
    Check(line >= 1 && error.compare(at, 2, ": ") == 0);
    long lines = 1;
    for (char c : text)
        lines += c == '\n';
    Check(line <= lines);
}

void CheckNetwork(const TouchstoneData& data)
{
    const std::size_t n = static_cast<std::size_t>(data.Ports);
    Check(data.Ports >= 1 && data.Ports <= TouchstoneFile::MaxPorts && !data.Frequencies.empty());
    Check(data.Parameters.size() == data.Frequencies.size() * n * n && data.Reference.size() == n);
    for (std::size_t i = 0; i < data.Frequencies.size(); ++i)
        Check(std::isfinite(data.Frequencies[i]) && data.Frequencies[i] >= 0.0 &&
              (i == 0 || data.Frequencies[i] > data.Frequencies[i - 1]));
    for (double z : data.Reference)
        Check(std::isfinite(z) && z > 0.0);
    for (const std::complex<double>& s : data.Parameters)
        Check(std::isfinite(s.real()) && std::isfinite(s.imag()));
}

void CheckRoundTrip(const TouchstoneData& data)
{
    bool oneReference = true;
    for (double z : data.Reference)
        oneReference = oneReference && z == data.Reference[0];
    const std::string name = "back.s" + std::to_string(data.Ports) + "p";
    for (int version = oneReference ? 1 : 2; version <= 2; ++version) {
        TouchstoneData back;
        std::string error;
        Check(TouchstoneFile::Read(TouchstoneFile::Write(data, version, "fuzz"), name, back, error));
        Check(SameBits(back, data));
    }
}

void CheckChannel(const std::string& text, const std::string& name, std::uint8_t settings)
{
    const double dt = 1e-12 * static_cast<double>(1 << (settings & 7));
    const ThroughPath::Terminations ends[] = {{0.0, 0.0}, {25.0, 150.0}, {1e-3, 1e9}, {1e9, 1e-3}};
    TouchstoneChannel::Options options;
    options.Ends = ends[(settings >> 3) & 3];
    options.Order = (settings >> 5) & 1 ? ThroughPath::Through13And24 : ThroughPath::Through12And34;
    options.MaxTaps = MaxTaps;
    Channel channel;
    std::string error;
    if (!TouchstoneChannel::Make(text, name, options, dt, channel, error)) {
        Check(error.rfind(name + ": ", 0) == 0 && error.size() > name.size() + 2);
        Check(error.find('\n') == std::string::npos && channel.IsNone());
        return;
    }
    Check(error.empty() && !channel.IsNone() && !channel.Taps().empty() && channel.Taps().size() <= MaxTaps);
    for (double tap : channel.Taps())
        Check(std::isfinite(tap));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    static const char* const names[] = {"fuzz.s1p", "fuzz.s2p", "fuzz.s3p", "fuzz.s4p", "fuzz.ts"};
    const std::string name = names[data[0] % 5];
    const std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);
    TouchstoneData network;
    std::string error;
    if (!TouchstoneFile::Read(text, name, network, error)) {
        CheckError(error, name, text);
        Check(network.Ports == 0 && network.Frequencies.empty() && network.Parameters.empty() &&
              network.Reference.empty());
        return 0;
    }
    Check(error.empty());
    CheckNetwork(network);
    CheckRoundTrip(network);
    if (network.Ports == 2 || network.Ports == 4)
        CheckChannel(text, name, data[1]);
    return 0;
}
