#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tools/amihost/eye/EyeDensity.h"

namespace {

constexpr int Spb = 16;

EyeResult EyeAt(std::size_t latency)
{
    EyeResult eye;
    eye.Valid = true;
    eye.Latency = latency;
    return eye;
}

} // namespace

// Each trace adds 1 per column, however steep: a wave that jumps across the
// whole range still leaves every column with its share, spread over every
// row between the two levels (no gaps), and a flat level on only the two
// rows around it.
TEST(EyeDensity, EveryTraceAddsOnePerColumnWithoutGapsAtItsEdges)
{
    // Bits alternate between -1 and 1 with an edge of one sample.
    std::vector<double> wave;
    for (int bit = 0; bit < 20; ++bit)
        wave.insert(wave.end(), Spb, bit % 2 ? 1.0 : -1.0);
    const EyeDensity density = EyeDensity::Measure(wave, EyeAt(Spb / 2), Spb);
    ASSERT_GT(density.Traces(), 10u);
    EXPECT_NEAR(density.Low(), -1.12, 1e-12);
    EXPECT_NEAR(density.High(), 1.12, 1e-12);
    for (int column = 0; column < EyeDensity::Columns; ++column) {
        double sum = 0.0;
        for (int row = 0; row < EyeDensity::Rows; ++row)
            sum += density.At(row, column);
        EXPECT_NEAR(sum, static_cast<double>(density.Traces()), 1e-9) << column;
    }
    // The first edge: from the last sample of a bit, 9/16 UI before the
    // sampling instant (column 70), to the first of the next, 1/2 UI before
    // (column 80). In those columns every row between the levels is reached.
    for (int row = 12; row < EyeDensity::Rows - 12; ++row) {
        double reached = 0.0;
        for (int column = 69; column <= 81; ++column)
            reached += density.At(row, column);
        EXPECT_GT(reached, 0.0) << row;
    }
    // Mid-bit the traces sit on the levels: the rows next to them only.
    const int middle = EyeDensity::Columns / 2;
    double away = 0.0;
    for (int row = 20; row < EyeDensity::Rows - 20; ++row)
        away += density.At(row, middle);
    EXPECT_EQ(away, 0.0);
}

TEST(EyeDensity, NoWholeTraceGivesAnEmptyGrid)
{
    const EyeDensity none = EyeDensity::Measure(std::vector<double>(Spb, 0.0), EyeAt(0), Spb);
    EXPECT_EQ(none.Traces(), 0u);
    EXPECT_EQ(none.Peak(), 0.0);
    // A flat wave: a unit range around its level.
    const EyeDensity flat = EyeDensity::Measure(std::vector<double>(10 * Spb, 0.25), EyeAt(0), Spb);
    EXPECT_EQ(flat.Low(), -0.25);
    EXPECT_EQ(flat.High(), 0.75);
}
