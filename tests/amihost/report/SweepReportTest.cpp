#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/amihost/report/SweepReport.h"

namespace {

SweepReport::Row Row(const std::string& value, double height, double relative, double level,
                     const std::string& warning = "")
{
    EyeResult eye;
    eye.Valid = true;
    eye.Height = height;
    eye.Width = 0.5;
    return {value, 1.0, eye, relative, level, warning, BerResult()}; // no bathtub measured
}

} // namespace

// A setting warned about is never the best, however open its eye; the table
// marks it and says why below, and sweep.csv carries its level and the flag.
TEST(SweepReport, AWarnedSettingIsMarkedListedAndNeverTheBest)
{
    const std::vector<SweepReport::Row> rows = {Row("0", 0.1, 0.2, 0.68), Row("1", 2.0, 0.9, 15.1, "too high"),
                                                Row("2", 0.2, 0.3, 0.69)};
    const std::size_t best = SweepReport::Best(rows);
    EXPECT_EQ(best, 2u);
    const std::string table = SweepReport::Table("de", rows, best);
    EXPECT_NE(table.find("         15.1 !\n"), std::string::npos) << table;
    EXPECT_NE(table.find("* best for this channel: de=2"), std::string::npos) << table;
    EXPECT_NE(table.find("! de=1: steady level 15.1 for a unit step, too high: this setting misbehaves at this "
                         "timing\n"),
              std::string::npos)
        << table;
    const std::string csv = SweepReport::Csv(rows, best);
    EXPECT_EQ(csv.substr(0, csv.find('\n')),
              "setting,deemphasis_db,eye_height,eye_height_over_swing,eye_width_ui,best,target_ber,eye_height_at_ber,"
              "eye_width_at_ber_ui,steady_level,level_warning");
    EXPECT_NE(csv.find("\n1,1,2,0.9,0.5,0,0,nan,nan,15.1,1\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\n2,1,0.2,0.3,0.5,1,0,nan,nan,0.69,0\n"), std::string::npos) << csv;

    const std::vector<SweepReport::Row> onlyWarned = {Row("1", 2.0, 0.9, 15.1, "too high")};
    EXPECT_EQ(SweepReport::Best(onlyWarned), 1u);
    EXPECT_NE(SweepReport::Table("de", onlyWarned, 1).find("no setting without a warning (!) opens the eye"),
              std::string::npos);
}

namespace {

// A row whose eye at the target BER is `height` V by `width` UI.
SweepReport::Row AtBer(const std::string& value, double height, double width)
{
    SweepReport::Row row = Row(value, height, 0.5, 0.5);
    row.Ber.Valid = true;
    row.Ber.Height = height;
    row.Ber.Width = width;
    return row;
}

} // namespace

// The best is the largest area inside the BER contour; areas within 2 % of
// it are one, and the least boost of them wins, whatever the sweep order.
TEST(SweepReport, TheBestHasTheLargestEyeAtTheBerAndNearTiesGoToTheLeastBoost)
{
    // 0.30 x 0.60 = 0.180 against 0.40 x 0.50 = 0.200: the wider, lower eye
    // loses to the larger area though its height alone would not decide.
    EXPECT_EQ(SweepReport::Best({AtBer("0", 0.30, 0.60), AtBer("1", 0.40, 0.50), AtBer("2", 0.45, 0.30)}), 1u);
    // 0.1970 is within 2 % of 0.2000: the lower value wins, listed first or last.
    EXPECT_EQ(SweepReport::Best({AtBer("3", 0.40, 0.50), AtBer("1", 0.394, 0.50)}), 1u);
    EXPECT_EQ(SweepReport::Best({AtBer("1", 0.394, 0.50), AtBer("3", 0.40, 0.50)}), 0u);
    // 0.1950 is not: the larger area stands.
    EXPECT_EQ(SweepReport::Best({AtBer("3", 0.40, 0.50), AtBer("1", 0.39, 0.50)}), 0u);
    // Words are no boost to compare: sweep order decides among near ties.
    EXPECT_EQ(SweepReport::Best({AtBer("high", 0.40, 0.50), AtBer("low", 0.40, 0.50)}), 0u);
    // A closed eye at the BER is never best; with none open there is none.
    const std::vector<SweepReport::Row> closed = {AtBer("0", -0.1, 0.0), AtBer("1", 0.0, 0.0)};
    EXPECT_EQ(SweepReport::Best(closed), closed.size());
    EXPECT_NE(SweepReport::Table("de", closed, closed.size()).find("no setting opens the eye"), std::string::npos);
}
