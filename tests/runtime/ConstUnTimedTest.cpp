#include "runtime/ConstUnTimed.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/runtime/PortsFixture.h"

using namespace TorvaneModelBuilder;

namespace {

std::vector<double> Fire(ConstUnTimed<double>& source, double& out, int times)
{
    std::vector<double> emitted;
    for (int i = 0; i < times; ++i) {
        EXPECT_TRUE(source.Run());
        emitted.push_back(out);
    }
    return emitted;
}

} // namespace

TEST(ConstUnTimed, EmitsZeroDuringTheDelayThenTheValue)
{
    ConstUnTimed<double> source;
    EXPECT_EQ(source.Value, 0.0);
    EXPECT_EQ(source.InitialDelay, 0);
    source.InitialDelay = 2;
    source.Value = 7.0;
    PortStorage<double> cells;
    double& out = cells.Connect(source.Output, -1.0);
    ASSERT_TRUE(source.Initialize());
    EXPECT_EQ(Fire(source, out, 4), (std::vector<double>{0, 0, 7, 7}));
    EXPECT_EQ(source.FiringCount, 4u);

    source.Value = 8.0; // read at every firing
    EXPECT_EQ(Fire(source, out, 1), (std::vector<double>{8}));

    ASSERT_TRUE(source.Initialize()); // starts the delay again
    EXPECT_EQ(source.FiringCount, 0u);
    EXPECT_EQ(Fire(source, out, 3), (std::vector<double>{0, 0, 8}));
}

TEST(ConstUnTimed, NegativeDelayFailsInitializeButResetsTheCount)
{
    ConstUnTimed<double> source;
    source.InitialDelay = -1;
    source.FiringCount = 5;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(source.Initialize());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "InitialDelay must be >= 0\n");
    EXPECT_EQ(source.FiringCount, 0u);
    EXPECT_TRUE(source.Setup()); // the check belongs to Initialize only
}
