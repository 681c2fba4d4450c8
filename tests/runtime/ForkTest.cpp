#include "runtime/Fork.h"

#include <gtest/gtest.h>

#include "tests/runtime/PortsFixture.h"

using namespace TorvaneModelBuilder;

TEST(Fork, CopiesTheInputToEverySeventeenOutputs)
{
    Fork<CircularBuffer<double>> fork;
    fork.Outputs.Resize(17);
    PortStorage<double> cells;
    cells.Connect(fork.Input, 2.75);
    std::vector<double*> outputs;
    for (std::size_t i = 0; i < 17; ++i)
        outputs.push_back(&cells.Connect(*fork.Outputs.At(i), -1.0));
    EXPECT_TRUE(fork.Setup());
    EXPECT_TRUE(fork.Run());
    for (double* out : outputs)
        EXPECT_EQ(*out, 2.75);
}
