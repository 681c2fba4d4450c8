// Prints the figures of the compiled StepResponseTable beside the
// characterisation figures it was shaped to: per setting, the stamp
// statistics, the irregular points and the taps the model builds at the
// default rate. Everything is measured on the table as linked into the
// library, not on the generator's intentions.
#include "model/StepResponseTable.h"
#include "model/generator/StepResponseTargets.h"
#include "model/report/StepResponseFigures.h"

#include <cinttypes>
#include <cstdio>

namespace T = StepResponseTargets;
namespace Layout = StepResponseLayout;

namespace {

constexpr double kNs = 1e9; // seconds to nanoseconds

constexpr auto Values = &StepResponseValues;
constexpr auto Stamps = &StepResponseTimeStamps;
constexpr auto Figures = &StepResponseFigures::OfEntry;

void PrintSettings()
{
    std::printf("Characteristic figures per setting: measured (target). Times in ns; peak\n"
                "before %.1f ns; settled: within %.0f %% of the last value from then on.\n\n",
                T::PeakWindow * kNs, T::SettleBandRelative * 100);
    std::printf("de  entry  last value                 peak                 "
                "time of peak     first t >= 0     settled\n");
    for (const T::Setting& s : T::Settings) {
        const StepResponseFigures f = Figures(T::EntryOf(s));
        std::printf("%2d  %5d  %.9f (%.9f)  ", s.De, T::EntryOf(s),
                    StepResponseFigures::Round(f.LastValue, T::LastValueDigits), s.LastValue);
        if (s.Peak == 0.0)
            std::printf("%.6f (none)      %-15s  ", f.Peak, "-");
        else
            std::printf("%.6f (%.6f)  %.4f (%.4f)  ", f.Peak, s.Peak,
                        StepResponseFigures::Round(f.PeakTime, 4) * kNs, s.PeakTime * kNs);
        std::printf("%.4f (%.4f)  %.4f\n", StepResponseFigures::Round(f.ZeroTime, 4) * kNs,
                    s.ZeroTime * kNs, f.SettleTime * kNs);
    }
    std::printf("settled target: from about %.2f to about %.2f ns, later for larger settings\n",
                T::SettleFrom * kNs, T::SettleTo * kNs);
}

void PrintStamps()
{
    const TimeStampFigures shared = TimeStampFigures::Measure(Stamps(0), Layout::PointCount);
    const TimeStampFigures own = TimeStampFigures::Measure(Stamps(T::StampEntryOwn), Layout::PointCount);
    std::printf("\nTime stamps (s)   shared by 15 entries     entry %d                 target "
                "(shared, entry %d)\n", T::StampEntryOwn, T::StampEntryOwn);
    std::printf("second stamp      %-23.16g  %-23.16g  %.16g, %.16g\n", Stamps(0)[1],
                Stamps(T::StampEntryOwn)[1], T::SharedStampsHead[1], T::OwnSecondStamp);
    std::printf("last stamp        %-23.11g  %-23.11g  %.11g, %.11g\n", shared.Last, own.Last,
                T::SharedStampsTail[2], T::OwnLastStamp);
    std::printf("smallest step     %-23.4g  %-23.4g  about %g\n", shared.SmallestStep,
                own.SmallestStep, T::SmallestStep);
    std::printf("largest step      %-23.4g  %-23.4g  about %g\n", shared.LargestStep,
                own.LargestStep, T::LargestStep);
    std::printf("mean step         %-23.4g  %-23.4g  about %g\n", shared.MeanStep, own.MeanStep,
                T::MeanStep);
    std::printf("strictly rising   %-23s  %-23s  yes\n", shared.Ascending ? "yes" : "NO",
                own.Ascending ? "yes" : "NO");
}

void PrintIrregular()
{
    std::printf("\nTenfold entries: first value (target), lowest value and its time in ns\n"
                "(target: %.2f to %.2f, at %.3f to %.3f)\n",
                T::DipDeepest, T::DipShallowest, T::DipEarliest * kNs, T::DipLatest * kNs);
    for (const T::TenfoldEntry& e : T::TenfoldEntries) {
        const StepResponseFigures f = Figures(e.Entry);
        std::printf("entry %2d  %.6g (%.6g)  lowest %.4f at %.5f (rounded %.3f)\n", e.Entry,
                    Values(e.Entry)[0], e.StartValue, f.Lowest, f.LowestTime * kNs,
                    StepResponseFigures::Round(f.LowestTime, 4) * kNs);
    }
    std::printf("\nIsolated pairs: time in ns and value (target) of each point; neighbours "
                "(target)\n");
    for (const T::IrregularPair& p : T::IrregularPairs) {
        const double* v = Values(p.Entry);
        const double* s = Stamps(p.Entry);
        int i = 0;
        while (s[i] < p.Times[0])
            ++i;
        std::printf("entry %2d  %.5f: %.11g (%.11g)  %.5f: %.12g (%.12g)  %.4f %.4f (%.4f)\n",
                    p.Entry, s[i] * kNs, v[i], p.Values[0], s[i + 1] * kNs, v[i + 1],
                    p.Values[1], v[i - 1], v[i + 2], p.Around);
    }
}

bool PrintTaps()
{
    std::printf("\nTaps built as by the model at %.4g samples per second\n", T::TapSampleRate);
    std::printf("entry  count  largest   sum        target\n");
    bool ok = true;
    for (int entry = 0; entry < Layout::EntryCount; ++entry) {
        TapFigures f;
        if (!TapFigures::OfEntry(entry, T::TapSampleRate, f)) {
            std::printf("%2d     refused by the filter\n", entry);
            ok = false;
            continue;
        }
        bool tenfold = false;
        for (const T::TenfoldEntry& e : T::TenfoldEntries)
            tenfold = tenfold || e.Entry == entry;
        std::printf("%2d     %4d   %7.4f   %8.4f   ", entry, f.Count, f.Largest, f.Sum);
        if (tenfold)
            std::printf("%d taps, largest %.0f .. %.0f, sum %.0f .. %.0f\n", T::TapCount,
                        T::TenfoldLargestTapMin, T::TenfoldLargestTapMax, T::TenfoldTapSumMin,
                        T::TenfoldTapSumMax);
        else
            std::printf("%d taps, sum about %.1f\n", T::TapCount, T::TapSumOther);
    }
    return ok;
}

} // namespace

int main()
{
    PrintSettings();
    PrintStamps();
    PrintIrregular();
    const bool ok = PrintTaps();
    std::printf("\nChecksum of the table's bytes (FNV-1a 64): %016" PRIx64 "\n",
                TableChecksum(StepResponseTable, Layout::TableSize));
    return ok ? 0 : 1;
}
