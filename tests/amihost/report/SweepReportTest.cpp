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
