#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ibis/IbisReport.h"

// The report lists findings numbered in order, counts the repeats of one
// rule past the limit instead of listing them (never dropping them from the
// counts), and closes with the counts per level and the verdict.
TEST(IbisReport, RepeatsOfOneRuleAreCountedNotDroppedAndTheVerdictFollowsTheLevels)
{
    std::vector<Finding> findings;
    for (int i = 1; i <= 4; ++i)
        findings.push_back({Finding::Warning, "f.ibs:" + std::to_string(i), "long", "line-length"});
    findings.push_back({Finding::Note, "f.ibs", "plain", "ami-model"});
    EXPECT_EQ(IbisReport::Text(findings, 2), "    1  WARNING      f.ibs:1: long\n"
                                             "    2  WARNING      f.ibs:2: long\n"
                                             "    5  NOTE         f.ibs: plain\n"
                                             "       and 2 more of rule line-length (4 in all), not listed\n"
                                             "findings: 0 ERROR, 4 WARNING, 0 CAUTION, 1 NOTE, 0 PROGRAM BUG\n"
                                             "Passed\n");
    findings.push_back({Finding::Error, "f.ibs:9", "broken", "c-comp"});
    const std::string failed = IbisReport::Text(findings);
    EXPECT_NE(failed.find("    6  ERROR        f.ibs:9: broken\n"), std::string::npos) << failed;
    EXPECT_EQ(failed.substr(failed.size() - 7), "Failed\n");
    EXPECT_TRUE(IbisReport::Failed({{Finding::ProgramBug, "", "fault", ""}}));
    EXPECT_EQ(IbisReport::Text({}), "findings: 0 ERROR, 0 WARNING, 0 CAUTION, 0 NOTE, 0 PROGRAM BUG\nPassed\n");
}
