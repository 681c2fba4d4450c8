#include <gtest/gtest.h>

#include <vector>

#include "tools/amihost/signal/Stimulus.h"

// A wave from a file carries no symbols: they are read from its level in
// the middle of each bit against the midpoint of its extremes.
TEST(Stimulus, AWaveFilesSymbolsAreItsLevelsAtMidBit)
{
    const int spb = 4;
    // Bits 1 0 0 1 1 0, levels 0.9 / -0.3 (midpoint 0.3), with edges that
    // cross the midpoint late in each bit, and a trailing half bit.
    const std::vector<double> wave = {0.9, 0.9, 0.9,  0.9,  -0.3, 0.5, -0.3, -0.3, -0.3, -0.3, 0.2, 0.1, 0.2,
                                      0.8, 0.9, 0.9,  0.9,  0.9,  0.9, -0.3, 0.9,  0.0,  -0.3, 0.5, 0.9, 0.9};
    const Stimulus s = Stimulus::FromWave(wave, spb, "w.csv");
    EXPECT_EQ(s.Bits, (std::vector<int>{1, 0, 0, 1, 1, 0}));
    EXPECT_DOUBLE_EQ(s.Swing, 1.2);
    EXPECT_EQ(s.Wave, wave);
    EXPECT_EQ(s.Description, "wave w.csv, 26 samples");
    // Only whole bits count.
    EXPECT_EQ(Stimulus::FromWave({1.0, 1.0, 1.0, -1.0, -1.0}, 2, "x").Bits, (std::vector<int>{1, 0}));
}

TEST(Stimulus, NrzLevelsAreHalfTheAmplitudeEitherSide)
{
    const Stimulus step = Stimulus::Step(4, 2, 0.8);
    EXPECT_EQ(step.Bits, (std::vector<int>{0, 0, 1, 1}));
    EXPECT_EQ(step.Wave, (std::vector<double>{-0.4, -0.4, -0.4, -0.4, 0.4, 0.4, 0.4, 0.4}));
    const Stimulus pulse = Stimulus::Pulse(5, 1, 2.0);
    EXPECT_EQ(pulse.Wave, (std::vector<double>{-1.0, -1.0, 1.0, -1.0, -1.0}));
    EXPECT_EQ(Stimulus::Prbs(7, 16, 3, 1.0).Wave.size(), 48u);
}
