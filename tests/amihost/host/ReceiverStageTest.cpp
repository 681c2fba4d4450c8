// The receiver stage's own refusal; what it computes is tested through
// Simulation, against the same receiver through AMI_GetWave.
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
