#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/amihost/signal/Prbs.h"

namespace {

// b[n] = b[n - order] xor b[n - tap], with all ones before n = 0.
std::vector<int> Recurrence(int order, int tap, std::size_t count)
{
    std::vector<int> b(static_cast<std::size_t>(order), 1);
    for (std::size_t n = 0; n < count; ++n)
        b.push_back(b[b.size() - order] ^ b[b.size() - tap]);
    return std::vector<int>(b.begin() + order, b.end());
}

} // namespace

TEST(Prbs, EveryOrderFollowsItsFeedbackRecurrence)
{
    const int taps[][2] = {{7, 6}, {15, 14}, {23, 18}, {31, 28}};
    for (const auto& t : taps)
        EXPECT_EQ(Prbs(t[0]).Take(5000), Recurrence(t[0], t[1], 5000)) << "order " << t[0];
}

TEST(Prbs, Order7FromAllOnesGivesTheKnownSequence)
{
    const std::string known = "0000001000001100001010001111001000101100111010100111110100001110001001001101101011011"
                              "110110001101001011101110011001010101111111";
    std::string produced;
    for (int bit : Prbs(7).Take(known.size()))
        produced += static_cast<char>('0' + bit);
    EXPECT_EQ(produced, known);
}

TEST(Prbs, PeriodsAreMaximalWithOneMoreOneThanZeros)
{
    for (int order : {7, 15, 23}) {
        const std::size_t period = (std::size_t{1} << order) - 1;
        Prbs prbs(order);
        std::vector<int> bits = prbs.Take(period + 64);
        std::size_t ones = 0;
        // The all-ones window (the seed) comes back once per period, at its end.
        std::size_t run = 0;
        std::size_t allOnesAt = 0;
        std::size_t allOnesCount = 0;
        for (std::size_t i = 0; i < period; ++i) {
            ones += static_cast<std::size_t>(bits[i]);
            run = bits[i] ? run + 1 : 0;
            if (run >= static_cast<std::size_t>(order)) {
                ++allOnesCount;
                allOnesAt = i;
            }
        }
        EXPECT_EQ(ones, period / 2 + 1) << "order " << order;
        EXPECT_EQ(allOnesCount, 1u) << "order " << order;
        EXPECT_EQ(allOnesAt, period - 1) << "order " << order;
        for (std::size_t i = 0; i < 64; ++i)
            ASSERT_EQ(bits[period + i], bits[i]) << "order " << order;
    }
}
