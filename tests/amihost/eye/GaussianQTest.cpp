#include <gtest/gtest.h>

#include <cmath>

#include "tools/amihost/eye/GaussianQ.h"

TEST(GaussianQ, TailProbabilitiesOfTheNormalDistribution)
{
    EXPECT_DOUBLE_EQ(GaussianQ::Q(0.0), 0.5);
    // Tabled values of the normal tail.
    EXPECT_NEAR(GaussianQ::Q(1.0), 0.15865525393145705, 1e-16);
    EXPECT_NEAR(GaussianQ::Q(3.0) / 1.3498980316300946e-3, 1.0, 1e-14);
    EXPECT_NEAR(GaussianQ::InverseQ(1e-3), 3.090232306167813, 1e-12);
    EXPECT_NEAR(GaussianQ::InverseQ(1e-12), 7.034483825301131, 1e-12);
    EXPECT_NEAR(GaussianQ::InverseQ(0.975), -1.959963984540054, 1e-12);
}

TEST(GaussianQ, InverseQUndoesQFromTheDeepTailToTheMiddle)
{
    // Q(x) changes by x dx relative for dx: the round trip is as good as
    // that allows for an x within a few units in its last place.
    for (double e = -300.0; e < -0.31; e += 0.37) {
        const double p = std::pow(10.0, e);
        const double x = GaussianQ::InverseQ(p);
        EXPECT_NEAR(GaussianQ::Q(x) / p, 1.0, 1e-15 * (8.0 + x * x)) << p;
    }
    for (double p = 0.3; p < 0.999; p += 0.0173)
        EXPECT_NEAR(GaussianQ::Q(GaussianQ::InverseQ(p)), p, 1e-15) << p;
    EXPECT_EQ(GaussianQ::InverseQ(0.0), INFINITY);
    EXPECT_EQ(GaussianQ::InverseQ(1.0), -INFINITY);
    EXPECT_TRUE(std::isnan(GaussianQ::InverseQ(NAN)));
}
