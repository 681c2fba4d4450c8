#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "tools/amihost/cli/ProgressBar.h"

namespace {

const ProgressBar::Units Bits{32.0, "bits"};

// A bar on a clock the test sets, keeping what it prints.
struct Watched {
    double Now = 100.0;
    std::vector<std::string> Printed;

    ProgressBar Bar(std::size_t total, ProgressBar::Output output)
    {
        return ProgressBar(total, output, Bits, [this] { return Now; },
                           [this](const std::string& text) { Printed.push_back(text); });
    }
};

// Runs the units from `from` to `to` in steps of `step`, `seconds` apart.
void Work(ProgressBar& bar, Watched& watched, std::size_t from, std::size_t to, std::size_t step, double seconds)
{
    for (std::size_t done = from + step; done < to + step; done += step) {
        watched.Now += seconds;
        bar.Update(std::min(done, to), "de=5");
    }
}

} // namespace

TEST(ProgressBar, TimesLeftReadAsMinutesAndSecondsOrHours)
{
    EXPECT_EQ(ProgressBar::Duration(7.0), "0:07");
    EXPECT_EQ(ProgressBar::Duration(59.6), "1:00");
    EXPECT_EQ(ProgressBar::Duration(245.0), "4:05");
    EXPECT_EQ(ProgressBar::Duration(3723.0), "1:02:03");
    EXPECT_EQ(ProgressBar::Duration(100.0 * 3600.0), "100:00:00");
    EXPECT_EQ(ProgressBar::Duration(-3.0), "0:00");
    EXPECT_EQ(ProgressBar::Duration(std::numeric_limits<double>::infinity()), "?:??");
    // Left = elapsed (total - done) / done, once a second has passed or 2 % is done.
    EXPECT_EQ(ProgressBar::TimeLeft(40, 100, 20.0), "0:30");
    EXPECT_EQ(ProgressBar::TimeLeft(1, 100, 0.5), "");
    EXPECT_EQ(ProgressBar::TimeLeft(1, 100, 1.0), "1:39");
    EXPECT_EQ(ProgressBar::TimeLeft(3, 100, 0.3), "0:10");
    EXPECT_EQ(ProgressBar::TimeLeft(0, 100, 50.0), "");
    EXPECT_EQ(ProgressBar::TimeLeft(1, 7200, 1.0), "1:59:59");
}

TEST(ProgressBar, AmountsReadWithTwoFiguresAndAUnitPrefix)
{
    EXPECT_EQ(ProgressBar::Amount(950.0), "950");
    EXPECT_EQ(ProgressBar::Amount(4200.0), "4.2k");
    EXPECT_EQ(ProgressBar::Amount(4.2e6), "4.2M");
    EXPECT_EQ(ProgressBar::Amount(4e6), "4M");
    EXPECT_EQ(ProgressBar::Amount(1e7), "10M");
    EXPECT_EQ(ProgressBar::Amount(9.96e6), "10M");
    EXPECT_EQ(ProgressBar::Amount(320e6), "320M");
    EXPECT_EQ(ProgressBar::Amount(1.5e9), "1.5G");
}

TEST(ProgressBar, ATerminalLineShowsTheBarTheBitsDoneOfAllAndTheTimeLeft)
{
    const std::string line = ProgressBar::TerminalLine(4200000 * 32, 10000000 * 32, 27.0, Bits, "de=5");
    EXPECT_EQ(line, "[########............]  42%  4.2M of 10M bits, 0:37 left  de=5" + std::string(17, ' '));
    EXPECT_EQ(ProgressBar::TerminalLine(32, 320000, 0.1, Bits, "simulating").substr(0, 50),
              "[....................]   0%  1 of 10k bits  simula");
    EXPECT_EQ(ProgressBar::LogLine(4000000 * 32, 10000000 * 32, 20.0, Bits),
              "amihost: 40% done, 4M of 10M bits, 0:30 left");
}

TEST(ProgressBar, ALongRunOnANonTerminalPrintsEachTenthOnceInOrderEndingAtAll)
{
    Watched watched;
    {
        ProgressBar bar = watched.Bar(32000, ProgressBar::Output::Log);
        Work(bar, watched, 0, 32000, 70, 0.05); // 23 s in all
    }
    ASSERT_EQ(watched.Printed.size(), 10u);
    for (std::size_t t = 0; t < 10; ++t) {
        const std::string percent = std::to_string(10 * (t + 1)) + "% done";
        EXPECT_EQ(watched.Printed[t].rfind("amihost: " + percent + ", ", 0), 0u) << watched.Printed[t];
        EXPECT_EQ(watched.Printed[t].find('\r'), std::string::npos);
        EXPECT_EQ(watched.Printed[t].back(), '\n');
    }
    EXPECT_EQ(watched.Printed.back(), "amihost: 100% done, 1k of 1k bits, 0:00 left\n");
}

TEST(ProgressBar, AQuickRunOnANonTerminalPrintsNothingAndASlowingOneStartsLate)
{
    Watched quick;
    {
        ProgressBar bar = quick.Bar(32000, ProgressBar::Output::Log);
        Work(bar, quick, 0, 32000, 70, 0.001); // half a second
    }
    EXPECT_TRUE(quick.Printed.empty());
    Watched slowing;
    ProgressBar bar = slowing.Bar(1000, ProgressBar::Output::Log);
    Work(bar, slowing, 0, 500, 10, 0.01); // 0.5 s for half: quiet, the tenths passed
    Work(bar, slowing, 500, 1000, 10, 0.2);
    ASSERT_FALSE(slowing.Printed.empty());
    EXPECT_EQ(slowing.Printed.front().rfind("amihost: 70% done", 0), 0u) << slowing.Printed.front();
    EXPECT_EQ(slowing.Printed.back().rfind("amihost: 100% done", 0), 0u) << slowing.Printed.back();
    EXPECT_EQ(slowing.Printed.size(), 4u); // 70 % (4.5 s, expecting 6.4 s) to 100 %
}

TEST(ProgressBar, ATerminalRedrawsInPlaceAtMostTenTimesASecondAndClearsItsLine)
{
    Watched watched;
    {
        ProgressBar bar = watched.Bar(32000, ProgressBar::Output::Terminal);
        Work(bar, watched, 0, 32000, 32, 0.002); // 2 s, 1000 updates
    }
    ASSERT_GE(watched.Printed.size(), 3u);
    EXPECT_LE(watched.Printed.size(), 2u * 10u + 3u);
    for (const std::string& text : watched.Printed) {
        EXPECT_EQ(text.front(), '\r');
        EXPECT_EQ(text.find('\n'), std::string::npos);
    }
    EXPECT_EQ(watched.Printed[watched.Printed.size() - 2].substr(0, 29), "\r[####################] 100% ");
    EXPECT_EQ(watched.Printed.back(), "\r" + std::string(ProgressBar::Columns, ' ') + "\r");
}

TEST(ProgressBar, NothingIsPrintedWhenDisabled)
{
    Watched watched;
    {
        ProgressBar bar = watched.Bar(1000, ProgressBar::Output::None);
        Work(bar, watched, 0, 1000, 1, 1.0);
        bar.Finish();
    }
    EXPECT_TRUE(watched.Printed.empty());
    testing::internal::CaptureStderr();
    {
        ProgressBar bar(1000, false);
        bar.Update(500, "x");
        bar.Update(1000, "x");
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}
