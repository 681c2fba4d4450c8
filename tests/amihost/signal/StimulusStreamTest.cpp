#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tools/amihost/signal/EdgeJitter.h"
#include "tools/amihost/signal/GaussianNoise.h"
#include "tools/amihost/signal/Prbs.h"
#include "tools/amihost/signal/Stimulus.h"
#include "tools/amihost/signal/StimulusStream.h"

namespace {

constexpr double BitTime = 1e-10;
constexpr std::uint64_t Seed = 7;

// The stimulus written out naively: its symbols by definition, its NRZ and
// the edges moved one transition at a time, in bit order, each changing the
// samples between its two places by the share of their interval after it.
struct Reference {
    std::vector<int> Bits;
    std::vector<double> Wave;
};

double After(double n, double edge) { return std::min(1.0, std::max(0.0, n + 1.0 - edge)); }

void Jitter(const EdgeJitter& j, const std::vector<int>& bits, int spb, double swing, std::vector<double>& wave)
{
    GaussianNoise random(Seed);
    for (std::size_t k = 1; k < bits.size(); ++k) {
        if (bits[k] == bits[k - 1])
            continue;
        double shift = 0.0;
        if (j.RjUi > 0.0)
            shift += j.RjUi * random.Next();
        if (j.SjUi > 0.0)
            shift += j.SjUi * std::sin(2.0 * 3.14159265358979323846 * j.SjHz * static_cast<double>(k) * BitTime);
        const double nominal = static_cast<double>(k) * spb;
        const double moved = nominal + shift * spb;
        for (double n = std::max(0.0, std::floor(std::min(nominal, moved)));
             n < std::min(static_cast<double>(wave.size()), std::ceil(std::max(nominal, moved))); n += 1.0)
            wave[static_cast<std::size_t>(n)] += (bits[k] ? swing : -swing) * (After(n, moved) - After(n, nominal));
    }
}

enum class Kind { Prbs7, Prbs15, Prbs31, Step, Pulse, File };

// A wave "read from a file": smooth, not whole bits long.
std::vector<double> FileWave(std::size_t bits, int spb)
{
    const std::vector<int> symbols = Prbs(7).Take(bits);
    std::vector<double> wave(bits * static_cast<std::size_t>(spb) + static_cast<std::size_t>(spb) / 2);
    double level = 0.0;
    for (std::size_t n = 0; n < wave.size(); ++n) {
        const int bit = symbols[std::min(n / static_cast<std::size_t>(spb), bits - 1)];
        level += 0.3 * ((bit ? 0.4 : -0.4) - level);
        wave[n] = level + 0.01;
    }
    return wave;
}

Reference Naive(Kind kind, std::size_t bits, int spb, double amplitude, const EdgeJitter& jitter)
{
    Reference r;
    const int orders[] = {7, 15, 31};
    if (kind == Kind::File) {
        r.Wave = FileWave(bits, spb);
        const auto [low, high] = std::minmax_element(r.Wave.begin(), r.Wave.end());
        for (std::size_t k = 0; k < bits; ++k)
            r.Bits.push_back(r.Wave[k * spb + spb / 2] > (*low + *high) / 2.0);
        Jitter(jitter, r.Bits, spb, *high - *low, r.Wave);
        return r;
    }
    for (std::size_t k = 0; k < bits; ++k)
        r.Bits.push_back(kind == Kind::Step ? k >= bits / 2 : k == bits / 2);
    if (kind <= Kind::Prbs31)
        r.Bits = Prbs(orders[static_cast<int>(kind)]).Take(bits);
    for (int bit : r.Bits)
        r.Wave.insert(r.Wave.end(), static_cast<std::size_t>(spb), bit ? amplitude / 2.0 : -amplitude / 2.0);
    Jitter(jitter, r.Bits, spb, amplitude, r.Wave);
    return r;
}

StimulusStream Make(Kind kind, std::size_t bits, int spb, double amplitude)
{
    switch (kind) {
    case Kind::Prbs7: return StimulusStream::Prbs(7, bits, spb, amplitude);
    case Kind::Prbs15: return StimulusStream::Prbs(15, bits, spb, amplitude);
    case Kind::Prbs31: return StimulusStream::Prbs(31, bits, spb, amplitude);
    case Kind::Step: return StimulusStream::Step(bits, spb, amplitude);
    case Kind::Pulse: return StimulusStream::Pulse(bits, spb, amplitude);
    case Kind::File: break;
    }
    return StimulusStream::FromWave(Stimulus::FromWave(FileWave(bits, spb), spb, "w.csv"));
}

Stimulus Whole(Kind kind, std::size_t bits, int spb, double amplitude)
{
    switch (kind) {
    case Kind::Prbs7: return Stimulus::Prbs(7, bits, spb, amplitude);
    case Kind::Prbs15: return Stimulus::Prbs(15, bits, spb, amplitude);
    case Kind::Prbs31: return Stimulus::Prbs(31, bits, spb, amplitude);
    case Kind::Step: return Stimulus::Step(bits, spb, amplitude);
    case Kind::Pulse: return Stimulus::Pulse(bits, spb, amplitude);
    case Kind::File: break;
    }
    return Stimulus::FromWave(FileWave(bits, spb), spb, "w.csv");
}

// Piece sizes: single samples, odd sizes below a bit or a few, and pieces
// longer than many bits.
std::size_t Piece(std::mt19937& random, int spb)
{
    switch (random() % 4) {
    case 0: return 1;
    case 1: return 2 * (random() % 20) + 1;
    case 2: return random() % (3 * static_cast<std::size_t>(spb)) + 1;
    default: return random() % (40 * static_cast<std::size_t>(spb)) + 1;
    }
}

// The stream filled in random pieces, each written into a buffer with a
// guard value after it.
std::vector<double> Streamed(StimulusStream stream, std::mt19937& random, int spb)
{
    std::vector<double> wave;
    std::vector<double> piece;
    while (stream.Filled() < stream.TotalSamples()) {
        const std::size_t n = std::min(Piece(random, spb), stream.TotalSamples() - stream.Filled());
        piece.assign(n + 1, -1234.5);
        stream.Fill(piece.data(), n);
        EXPECT_EQ(piece[n], -1234.5);
        wave.insert(wave.end(), piece.begin(), piece.begin() + static_cast<std::ptrdiff_t>(n));
    }
    return wave;
}

bool SameBits(const std::vector<double>& a, const std::vector<double>& b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

std::vector<EdgeJitter> Jitters()
{
    std::vector<EdgeJitter> jitters(5);
    jitters[1].RjUi = 0.3;
    jitters[2] = {0.0, 3.7, 0.97 / BitTime}; // several UI, near the bit rate
    jitters[3] = {0.2, 4.5, 1.3e8};
    jitters[4] = {0.05, 0.4, 0.49 / BitTime};
    return jitters;
}

} // namespace

TEST(StimulusStream, EveryKindFilledInAnyPiecesIsTheWholeStimulusWithItsJitterBitForBit)
{
    std::mt19937 random(11);
    const Kind kinds[] = {Kind::Prbs7, Kind::Prbs15, Kind::Prbs31, Kind::Step, Kind::Pulse, Kind::File};
    for (const int spb : {1, 5, 32}) {
        const std::size_t bits = spb == 1 ? 4001 : 1203;
        for (const Kind kind : kinds) {
            for (const EdgeJitter& jitter : Jitters()) {
                const std::string what = "kind " + std::to_string(static_cast<int>(kind)) + ", spb " +
                                         std::to_string(spb) + ", " + jitter.Description();
                const Reference reference = Naive(kind, bits, spb, 0.8, jitter);
                Stimulus whole = Whole(kind, bits, spb, 0.8);
                jitter.Apply(whole.Bits, spb, BitTime, whole.Swing, Seed, whole.Wave);
                StimulusStream stream = Make(kind, bits, spb, 0.8);
                stream.SetJitter(jitter, BitTime, Seed);
                EXPECT_TRUE(SameBits(Streamed(stream, random, spb), reference.Wave)) << what;
                EXPECT_TRUE(SameBits(whole.Wave, reference.Wave)) << what;
            }
        }
    }
}

TEST(StimulusStream, ItsSymbolsTotalsSwingAndDescriptionAreTheWholeStimulus)
{
    const Kind kinds[] = {Kind::Prbs7, Kind::Prbs15, Kind::Prbs31, Kind::Step, Kind::Pulse, Kind::File};
    for (const Kind kind : kinds) {
        const Reference reference = Naive(kind, 301, 6, 1.5, EdgeJitter());
        const Stimulus whole = Whole(kind, 301, 6, 1.5);
        const StimulusStream stream = Make(kind, 301, 6, 1.5);
        SymbolReader symbols = stream.Symbols();
        std::vector<int> read(reference.Bits.size());
        for (int& bit : read)
            bit = symbols.Next();
        EXPECT_EQ(read, reference.Bits);
        EXPECT_EQ(whole.Bits, reference.Bits);
        EXPECT_EQ(stream.TotalBits(), 301u);
        EXPECT_EQ(stream.TotalSamples(), reference.Wave.size());
        EXPECT_EQ(stream.Swing(), whole.Swing);
        EXPECT_EQ(stream.Description(), whole.Description);
    }
    EXPECT_EQ(Make(Kind::Prbs15, 301, 6, 1.5).Swing(), 1.5);
    EXPECT_EQ(Make(Kind::Prbs15, 301, 6, 1.5).Description(), "PRBS15, 301 bits");
    EXPECT_EQ(Make(Kind::Step, 301, 6, 1.5).Description(), "step at bit 150 of 301");
    EXPECT_EQ(Make(Kind::Pulse, 301, 6, 1.5).Description(), "single pulse at bit 150 of 301");
    EXPECT_EQ(Make(Kind::File, 301, 6, 1.5).Description(), "wave w.csv, 1809 samples");
}

TEST(StimulusStream, SymbolReadersAreIndependentOfFillAndOfEachOther)
{
    StimulusStream stream = StimulusStream::Prbs(7, 200, 4, 1.0);
    std::vector<double> some(37);
    stream.Fill(some.data(), some.size());
    SymbolReader first = stream.Symbols();
    SymbolReader second = stream.Symbols();
    const std::vector<int> bits = Prbs(7).Take(200);
    for (std::size_t k = 0; k < bits.size(); ++k) {
        EXPECT_EQ(first.Next(), bits[k]) << k;
        if (k % 2 == 0) {
            EXPECT_EQ(second.Next(), bits[k / 2]) << k;
        }
    }
}

TEST(StimulusStream, FillStopsAtTheEndAndEmptyStimuliGiveNothing)
{
    StimulusStream stream = StimulusStream::Step(3, 2, 2.0);
    std::vector<double> wave(10, 9.0);
    stream.Fill(wave.data(), wave.size());
    EXPECT_EQ(wave, (std::vector<double>{-1.0, -1.0, 1.0, 1.0, 1.0, 1.0, 9.0, 9.0, 9.0, 9.0}));
    stream.Fill(wave.data(), 4);
    EXPECT_EQ(wave[0], -1.0);
    for (StimulusStream empty : {StimulusStream::Pulse(0, 8, 1.0), StimulusStream::Prbs(7, 100, 0, 1.0)}) {
        empty.SetJitter({0.1, 0.5, 1e8}, BitTime, Seed);
        EXPECT_EQ(empty.TotalSamples(), 0u);
        empty.Fill(wave.data(), 4);
        EXPECT_EQ(wave[0], -1.0);
    }
}
