#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tests/amihost/channel/SharedTouchstone.h"
#include "tools/amihost/channel/TouchstoneChannel.h"
#include "tools/amihost/channel/findings/PortOrder.h"

namespace {

// Mean |Sdd21| over the lowest 5 points, the pair's lines P from port p1 to
// p2 and N from n1 to n2: (S(p2)(p1) - S(p2)(n1) - S(n2)(p1) + S(n2)(n1)) / 2.
double LowGain(const TouchstoneData& data, int p1, int p2, int n1, int n2)
{
    double sum = 0.0;
    for (std::size_t p = 0; p < 5; ++p)
        sum += std::abs(0.5 * (data.S(p, p2, p1) - data.S(p, p2, n1) - data.S(p, n2, p1) + data.S(p, n2, n1)));
    return sum / 5.0;
}

} // namespace

// Two measured 4-ports written in different orders: each read in its own
// order passes nearly all at low frequency and is not flagged; read in the
// other it passes a few percent, is flagged, and names the order that fits.
TEST(PortOrder, TheWrongOrderOfAMeasuredFourPortIsFlaggedAndTheOtherNamed)
{
    const std::string dir = SharedDataDir("touchstone");
    if (dir.empty())
        GTEST_SKIP() << SharedDataMissing("touchstone");
    const struct {
        const char* name;
        ThroughPath::PairOrder own;
    } files[] = {{"TEC_SMT_IO_42GHz_Thru_B5B6_10in.s4p", ThroughPath::Through12And34},
                 {"diff_dut.s4p", ThroughPath::Through13And24}};
    for (const auto& file : files) {
        const TouchstoneData data = SharedTouchstone(dir, file.name);
        ASSERT_EQ(data.Ports, 4);
        const double straight = LowGain(data, 1, 2, 3, 4); // 1-2/3-4
        const double crossed = LowGain(data, 1, 3, 2, 4);  // 1-3/2-4
        const bool ownStraight = file.own == ThroughPath::Through12And34;
        const ThroughPath::PairOrder wrong =
            ownStraight ? ThroughPath::Through13And24 : ThroughPath::Through12And34;

        const std::optional<PortOrder> right = PortOrder::Assess(data, file.own);
        ASSERT_TRUE(right.has_value());
        EXPECT_FALSE(right->Flagged) << file.name;
        EXPECT_GT(right->ChosenGain, 0.95) << file.name;
        EXPECT_NEAR(right->ChosenGain, ownStraight ? straight : crossed, 1e-12);

        const std::optional<PortOrder> flagged = PortOrder::Assess(data, wrong);
        ASSERT_TRUE(flagged.has_value());
        EXPECT_TRUE(flagged->Flagged) << file.name;
        EXPECT_LT(flagged->ChosenGain, 0.05) << file.name;
        EXPECT_EQ(flagged->Other, file.own);
        EXPECT_NEAR(flagged->OtherGain, ownStraight ? straight : crossed, 1e-12);
        EXPECT_STREQ(TouchstoneChannel::OrderName(flagged->Other), ownStraight ? "1-2/3-4" : "1-3/2-4");
    }
    EXPECT_FALSE(PortOrder::Assess(SharedTouchstone(dir, "P1-MSL_Thru_200-P2.s2p"), ThroughPath::Through12And34));
}
