// Checks the compiled StepResponseTable, as linked into the library, against
// the characterisation figures it must meet.
#include "model/StepResponseTable.h"
#include "model/generator/StepResponseTargets.h"
#include "model/report/StepResponseFigures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace T = StepResponseTargets;
namespace Layout = StepResponseLayout;

namespace {

constexpr auto Values = &StepResponseValues;
constexpr auto Stamps = &StepResponseTimeStamps;
constexpr auto Figures = &StepResponseFigures::OfEntry;

double Round(double x, int digits)
{
    return StepResponseFigures::Round(x, digits);
}

bool IsTenfold(int entry)
{
    for (const T::TenfoldEntry& e : T::TenfoldEntries)
        if (e.Entry == entry)
            return true;
    return false;
}

int PairCount(int entry)
{
    int count = 0;
    for (const T::IrregularPair& p : T::IrregularPairs)
        count += p.Entry == entry ? 2 : 0;
    return count;
}

} // namespace

TEST(StepResponseTable, EveryEntryHoldsFiniteValuesThenStrictlyAscendingStampsFromZero)
{
    static_assert(sizeof StepResponseTable == 1504000 * sizeof(double), "table size");
    for (int entry = 0; entry < Layout::EntryCount; ++entry) {
        SCOPED_TRACE(entry);
        const TimeStampFigures stamps = TimeStampFigures::Measure(Stamps(entry), Layout::PointCount);
        EXPECT_EQ(stamps.First, 0.0);
        EXPECT_TRUE(stamps.Ascending);
        int finite = 0;
        for (int i = 0; i < Layout::PointCount; ++i)
            finite += std::isfinite(Values(entry)[i]) ? 1 : 0;
        EXPECT_EQ(finite, Layout::PointCount);
    }
}

TEST(StepResponseTable, AllEntriesButOneShareTheirStampsAndTheGivenEnds)
{
    const std::size_t bytes = Layout::PointCount * sizeof(double);
    for (int entry = 1; entry < Layout::EntryCount; ++entry) {
        SCOPED_TRACE(entry);
        const bool same = std::memcmp(Stamps(entry), Stamps(0), bytes) == 0;
        EXPECT_EQ(same, entry != T::StampEntryOwn);
    }
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Stamps(0)[i], T::SharedStampsHead[i]) << i;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Stamps(0)[Layout::PointCount - 3 + i], T::SharedStampsTail[i]) << i;
    const double* own = Stamps(T::StampEntryOwn);
    EXPECT_EQ(own[1], T::OwnSecondStamp);
    EXPECT_EQ(own[Layout::PointCount - 1], T::OwnLastStamp);
    // "Close to the others": within a fraction of one step everywhere.
    double apart = 0.0;
    for (int i = 0; i < Layout::PointCount; ++i)
        apart = std::fmax(apart, std::fabs(own[i] - Stamps(0)[i]));
    EXPECT_LT(apart, 0.2e-12);
}

TEST(StepResponseTable, StampStepsMatchTheRecordingsStatistics)
{
    for (int entry : {0, T::StampEntryOwn}) {
        SCOPED_TRACE(entry);
        const TimeStampFigures f = TimeStampFigures::Measure(Stamps(entry), Layout::PointCount);
        EXPECT_EQ(Round(f.SmallestStep, 1), T::SmallestStep);
        EXPECT_EQ(Round(f.LargestStep, 3), T::LargestStep);
        EXPECT_EQ(Round(f.MeanStep, 3), T::MeanStep);
    }
}

TEST(StepResponseTable, EntryZeroHoldsItsGivenFirstAndLastRows)
{
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Values(0)[i], T::Entry0Head[i]) << i;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Values(0)[Layout::PointCount - 3 + i], T::Entry0Tail[i]) << i;
}

TEST(StepResponseTable, EverySettingMeetsItsCharacteristicFigures)
{
    const double about = 0.01e-9; // slack of "about" on the settling times
    double latestSettle = 0.0;
    for (const T::Setting& s : T::Settings) {
        SCOPED_TRACE(s.De);
        const StepResponseFigures f = Figures(T::EntryOf(s));
        EXPECT_EQ(Round(f.LastValue, T::LastValueDigits), s.LastValue);
        if (s.Peak == 0.0) {
            EXPECT_LE(f.Peak, f.LastValue); // no overshoot
        } else {
            EXPECT_NEAR(f.Peak, s.Peak, T::PeakTolerance);
            EXPECT_EQ(Round(f.PeakTime, 4), s.PeakTime);
        }
        EXPECT_EQ(Round(f.ZeroTime, 4), s.ZeroTime);
        EXPECT_LT(f.SteadyDrift, 1e-4 * std::fabs(Values(T::EntryOf(s))[0]));
        // From about SettleFrom (de 0) to about SettleTo (de 15), later for
        // larger settings; the two settings without overshoot settle alike.
        EXPECT_GE(f.SettleTime, T::SettleFrom - about);
        EXPECT_LE(f.SettleTime, T::SettleTo + about);
        if (s.De == 0) {
            EXPECT_NEAR(f.SettleTime, T::SettleFrom, about);
        }
        if (s.De == Layout::EntryCount - 1) {
            EXPECT_NEAR(f.SettleTime, T::SettleTo, about);
        }
        if (s.De >= 2) {
            EXPECT_GT(f.SettleTime, latestSettle);
        }
        latestSettle = std::fmax(latestSettle, f.SettleTime);
        EXPECT_EQ(f.Outliers, PairCount(T::EntryOf(s)));
    }
}

TEST(StepResponseTable, TenfoldEntriesStartHighAndDipJustBeforeTheirTransition)
{
    for (const T::TenfoldEntry& e : T::TenfoldEntries) {
        SCOPED_TRACE(e.Entry);
        const StepResponseFigures f = Figures(e.Entry);
        EXPECT_EQ(Round(Values(e.Entry)[0], 6), Round(e.StartValue, 6));
        EXPECT_GE(f.Lowest, T::DipDeepest);
        EXPECT_LE(f.Lowest, T::DipShallowest);
        EXPECT_GE(Round(f.LowestTime, 4), T::DipEarliest);
        EXPECT_LE(Round(f.LowestTime, 4), T::DipLatest);
        EXPECT_LT(f.LowestTime, f.ZeroTime);
    }
}

TEST(StepResponseTable, IrregularPairsSitBetweenSteadyNeighbours)
{
    for (const T::IrregularPair& p : T::IrregularPairs) {
        SCOPED_TRACE(p.Entry);
        const double* v = Values(p.Entry);
        const double* s = Stamps(p.Entry);
        int i = 0;
        while (s[i] < p.Times[0])
            ++i;
        EXPECT_EQ(Round(s[i], 5), p.Times[0]);
        EXPECT_EQ(Round(s[i + 1], 5), p.Times[1]);
        EXPECT_EQ(v[i], p.Values[0]);
        EXPECT_EQ(v[i + 1], p.Values[1]);
        EXPECT_EQ(Round(v[i - 1], 4), p.Around);
        EXPECT_EQ(Round(v[i + 2], 4), p.Around);
    }
}

TEST(StepResponseTable, TapsAtTheDefaultRateReflectTheIrregularEntries)
{
    for (int entry = 0; entry < Layout::EntryCount; ++entry) {
        SCOPED_TRACE(entry);
        TapFigures f;
        ASSERT_TRUE(TapFigures::OfEntry(entry, T::TapSampleRate, f));
        EXPECT_EQ(f.Count, T::TapCount);
        if (IsTenfold(entry)) {
            EXPECT_GE(f.Largest, T::TenfoldLargestTapMin);
            EXPECT_LE(f.Largest, T::TenfoldLargestTapMax);
            EXPECT_GE(f.Sum, T::TenfoldTapSumMin);
            EXPECT_LE(f.Sum, T::TenfoldTapSumMax);
        } else {
            EXPECT_NEAR(f.Sum, T::TapSumOther, 0.05);
            EXPECT_LT(f.Largest, 0.5);
        }
    }
}

// Pins every bit of the table: the generator must produce the same bytes
// with every compiler and on every IEEE-754 machine. A deliberate change of
// the generator updates this value (make table-report prints it).
TEST(StepResponseTable, BytesMatchThePinnedChecksum)
{
    EXPECT_EQ(TableChecksum(StepResponseTable, Layout::TableSize), 0x4871167ae22a230bULL);
}
