#include "runtime/Mux.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/runtime/PortsFixture.h"

using namespace TorvaneModelBuilder;

namespace {

// A Mux with n one-element inputs holding 10, 11, ... and a one-element output.
struct Selector {
    explicit Selector(std::size_t n)
    {
        mux.Inputs.Resize(n);
        for (std::size_t i = 0; i < n; ++i)
            cells.Connect(*mux.Inputs.At(i), 10.0 + static_cast<double>(i));
        out = &cells.Connect(mux.Output, -1.0);
    }
    // Runs with `control` and returns what went to standard error.
    std::string RunWith(int32_t control, bool expected)
    {
        mux.Control = control;
        testing::internal::CaptureStderr();
        EXPECT_EQ(mux.Run(), expected);
        return testing::internal::GetCapturedStderr();
    }
    Mux<CircularBuffer<double>> mux;
    PortStorage<double> cells;
    double* out = nullptr;
};

} // namespace

TEST(Mux, CopiesTheSelectedInputOnly)
{
    Selector s(16);
    ASSERT_TRUE(s.mux.Setup());
    EXPECT_EQ(s.RunWith(9, true), "");
    EXPECT_EQ(*s.out, 19.0);
    EXPECT_EQ(s.RunWith(0, true), "");
    EXPECT_EQ(*s.out, 10.0);
}

TEST(Mux, ControlOutOfRangeReportsTheRangeAndLeavesTheOutput)
{
    Selector s(16);
    EXPECT_EQ(s.RunWith(-1, false),
              "Control input signal value is equal to -1.  There are 16 inputs connected.  "
              "The valid control input range is [0,15].\n");
    EXPECT_EQ(s.RunWith(20, false),
              "Control input signal value is equal to 20.  There are 16 inputs connected.  "
              "The valid control input range is [0,15].\n");
    EXPECT_EQ(*s.out, -1.0);
    EXPECT_EQ(s.RunWith(15, true), ""); // a failed firing leaves the block usable
    EXPECT_EQ(*s.out, 25.0);
}

TEST(Mux, SingleInputMessageUsesTheSingularForm)
{
    Selector s(1);
    EXPECT_EQ(s.RunWith(1, false),
              "Control input signal value is equal to 1.  There is 1 input connected.  "
              "The valid control input range is [0,0].\n");
}

TEST(Mux, SetupRefusesBlockSizeBelowOneAndLeavesSizes)
{
    Selector s(3);
    s.mux.BlockSize = 0;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(s.mux.Setup());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "BlockSize must be >= 1\n");
    EXPECT_EQ(s.mux.Output.Size, 1u);
    EXPECT_EQ(s.mux.Inputs.At(2)->Size, 1u);
}

TEST(Mux, SetupSizesTheOutputAndEveryExistingInput)
{
    Mux<CircularBuffer<double>> mux;
    mux.Inputs.Resize(3);
    mux.BlockSize = 4;
    EXPECT_TRUE(mux.Setup());
    EXPECT_EQ(mux.Output.Size, 4u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(mux.Inputs.At(i)->Size, 4u);
        EXPECT_EQ(mux.Inputs.At(i)->MaxSize, 4u);
    }
}

TEST(Mux, BlockSizeMovesThatManyElementsAcrossTheRing)
{
    Mux<CircularBuffer<int>> mux;
    mux.Inputs.Resize(2);
    mux.BlockSize = 3;
    int in[4] = {1, 2, 3, 4};
    int out[3] = {0, 0, 0};
    mux.Inputs.At(1)->Attach(in, 4, 3, 2);
    mux.Output.Attach(out, 3, 3, 0);
    mux.Control = 1;
    ASSERT_TRUE(mux.Setup());
    EXPECT_TRUE(mux.Run());
    EXPECT_EQ(out[0], 3);
    EXPECT_EQ(out[1], 4);
    EXPECT_EQ(out[2], 1);
}
