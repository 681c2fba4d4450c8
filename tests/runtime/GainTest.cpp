#include "runtime/Gain.h"

#include <gtest/gtest.h>

#include <complex>

#include "tests/runtime/PortsFixture.h"

using namespace TorvaneModelBuilder;

TEST(Gain, ComplexGainIsTheComplexProduct)
{
    Gain<std::complex<double>> gain;
    gain.GainValue = {0.0, 1.0};
    PortStorage<std::complex<double>> cells;
    cells.Connect(gain.Input, {2.0, 3.0});
    auto& out = cells.Connect(gain.Output);
    EXPECT_TRUE(gain.Run());
    EXPECT_EQ(out, std::complex<double>(-3.0, 2.0));
}
