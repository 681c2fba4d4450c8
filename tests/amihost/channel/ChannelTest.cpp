#include <gtest/gtest.h>

#include <vector>

#include "tools/amihost/channel/Channel.h"

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
