// One wave through the receiver stage, with the Init-only test receiver
// set to pass its impulse through unchanged (peaking 0), so that what the
// stage does with the impulse is seen alone.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "tools/amihost/host/ReceiverStage.h"

namespace {

constexpr double BitTime = 1e-10;
constexpr double Dt = BitTime / 8;

struct Stage {
    Receiver Rx;
    Channel Link;

    Stage()
    {
        std::string error;
        EXPECT_TRUE(Rx.Read(RX_CTLE_INIT_PATH, RX_CTLE_INIT_AMI, "", error)) << error;
        EXPECT_TRUE(Rx.SetParameters({{"peaking", "0"}}, error)) << error;
        EXPECT_TRUE(Rx.Load(error)) << error;
        EXPECT_TRUE(Channel::FromImpulse({0.6 / Dt, 0.3 / Dt, 0.1 / Dt}, Dt, "h", Link, error)) << error;
    }
};

} // namespace

// Its impulse (here the channel's, unchanged) takes the channel's place.
TEST(ReceiverStage, AnInitOnlyReceiverActsThroughTheImpulseItReturns)
{
    Stage s;
    ReceiverStage stage(s.Rx, Dt, BitTime, 5);
    std::string error;
    ASSERT_TRUE(stage.Open(s.Link.ImpulseMatrix(Dt), false, s.Link, error)) << error;
    const std::vector<double> x = {1.0, 0.0, -2.0, 0.5, 0.0, 0.0, 3.0};
    std::vector<double> y = x;
    ASSERT_TRUE(stage.Pass(y, nullptr, error)) << error;
    const std::vector<double> expected = s.Link.Apply(x);
    ASSERT_EQ(y.size(), expected.size());
    for (std::size_t i = 0; i < y.size(); ++i)
        EXPECT_NEAR(y[i], expected[i], 1e-15) << i;
    EXPECT_TRUE(stage.ClockTimes().empty());
    EXPECT_TRUE(stage.Close(error)) << error;
}

TEST(ReceiverStage, AnImpulseThatIsNotFiniteIsRefused)
{
    Stage s;
    ReceiverStage stage(s.Rx, Dt, BitTime, 5);
    std::vector<double> impulse = s.Link.ImpulseMatrix(Dt);
    impulse.resize(20, 0.0);
    impulse[12] = std::numeric_limits<double>::infinity();
    std::string error;
    EXPECT_FALSE(stage.Open(impulse, false, s.Link, error));
    EXPECT_EQ(error, std::string(RX_CTLE_INIT_PATH) +
                         ": AMI_Init returned an impulse response whose sample 12 is not finite");
    EXPECT_TRUE(stage.Close(error)) << error;
}
