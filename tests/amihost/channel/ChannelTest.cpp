#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "tests/amihost/channel/SharedTouchstone.h"
#include "tools/amihost/channel/Channel.h"
#include "tools/amihost/channel/TouchstoneChannel.h"
#include "tools/amihost/signal/StreamConvolver.h"

namespace {

constexpr double Dt = 7.8125e-11 / 32;

} // namespace

TEST(Channel, ImpulseResponsesInPerSecondBecomeTapsAndBack)
{
    Channel channel;
    std::string error;
    EXPECT_TRUE(channel.IsNone());
    EXPECT_EQ(channel.Apply({1.0, 2.0}), (std::vector<double>{1.0, 2.0}));
    ASSERT_TRUE(Channel::FromImpulse({0.5 / Dt, 0.5 / Dt}, Dt, "h.csv", channel, error));
    EXPECT_EQ(channel.Apply({2.0, 0.0, 4.0}), (std::vector<double>{1.0, 1.0, 2.0}));
    const std::vector<double> matrix = channel.ImpulseMatrix(Dt);
    EXPECT_NEAR(matrix[0] * Dt, 0.5, 1e-15);
    EXPECT_FALSE(Channel::FromImpulse({}, Dt, "h.csv", channel, error));
    EXPECT_EQ(error, "h.csv: no impulse response samples");
}

// The measured cable assembly at 32 samples a bit (tens of thousands of
// taps) acting on random bits of +-0.5 V: the whole wave at once and the
// stream cut into ragged pieces (single samples, odd sizes, pieces longer
// than a block) both equal the defining sum in long double, within 1e-13 of
// the FFT's scale sum_k |h[k]| max|x|, at outputs spread over the wave.
TEST(Channel, AMeasuredChannelGivesTheDefiningSumWholeOrStreamedInPieces)
{
    const std::string dir = SharedDataDir("touchstone");
    if (dir.empty())
        GTEST_SKIP() << SharedDataMissing("touchstone");
    const std::string name = "CABLE1_TX_pair.s4p";
    std::string text;
    std::string error;
    ASSERT_TRUE(TextFile::Read(dir + "/" + name, TouchstoneFile::MaxBytes, text, error)) << error;
    Channel channel;
    ASSERT_TRUE(TouchstoneChannel::Make(text, name, {}, Dt, channel, error)) << error;
    const std::vector<double>& h = channel.Taps();
    ASSERT_GT(h.size(), StreamConvolver::DirectLimit);

    std::mt19937 random(11);
    StreamConvolver stream(h);
    const std::size_t n = 2 * stream.PreferredChunk() + 5000;
    std::vector<double> wave(n);
    for (std::size_t i = 0; i < n; i += 32)
        std::fill(wave.begin() + static_cast<std::ptrdiff_t>(i), wave.begin() + static_cast<std::ptrdiff_t>(std::min(n, i + 32)),
                  random() % 2 ? 0.5 : -0.5);
    const std::vector<double> whole = channel.Apply(wave);
    std::vector<double> pieces = wave;
    std::uniform_int_distribution<std::size_t> size(1, 3 * stream.PreferredChunk() / 2);
    for (std::size_t done = 0, p = 0; done < n; ++p) {
        const std::size_t take = std::min(n - done, p % 3 == 0 ? 1 : size(random));
        stream.Process(pieces.data() + done, take);
        done += take;
    }
    double scale = 0.0;
    for (double tap : h)
        scale += std::fabs(tap) * 0.5;
    const double bound = 1e-13 * scale;
    for (std::size_t i = 0; i < n; i += 997) {
        long double sum = 0.0L;
        for (std::size_t k = 0; k < h.size() && k <= i; ++k)
            sum += static_cast<long double>(h[k]) * wave[i - k];
        EXPECT_NEAR(whole[i], static_cast<double>(sum), bound) << i;
        EXPECT_NEAR(pieces[i], static_cast<double>(sum), bound) << i;
    }
}
