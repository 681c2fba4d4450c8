#include <gtest/gtest.h>

#include <string>

#include "tools/amihost/report/CheckReport.h"

TEST(CheckReport, FindingsAreNumberedThroughTheReportAndCountedByLevel)
{
    KitCheckReport report;
    report.Run("ibis-rules", [](KitCheckItem& item) {
        item.Summary = "the rules";
        item.Add(Finding::Note, "k.ibs:3", "a note");
    });
    KitCheckItem& executable = report.Run("executable", [](KitCheckItem& item) {
        item.Add(Finding::Error, "k.ibs:9", "no line");
        item.Add(Finding::Caution, "", "look");
    });
    executable.Heading = "[Model] tx";
    report.Skip("model-checks", "not run");
    EXPECT_EQ(CheckReport::Text(report), "PASS  ibis-rules             the rules\n"
                                         "        1  NOTE         k.ibs:3: a note\n"
                                         "[Model] tx\n"
                                         "FAIL  executable\n"
                                         "        2  ERROR        k.ibs:9: no line\n"
                                         "        3  CAUTION      look\n"
                                         "SKIP  model-checks           not run\n"
                                         "\nfindings: 1 ERROR, 0 WARNING, 1 CAUTION, 1 NOTE, 0 PROGRAM BUG\nFailed\n");
    report.Items[1].Findings.erase(report.Items[1].Findings.begin());
    const std::string text = CheckReport::Text(report);
    EXPECT_EQ(text.substr(text.find("findings:")),
              "findings: 0 ERROR, 0 WARNING, 1 CAUTION, 1 NOTE, 0 PROGRAM BUG\nPassed\n");
    EXPECT_NE(text.find("WARN  executable"), std::string::npos) << text;
}

// One rule's many findings hide no other rule's: past the first ten of a
// rule in an item, the rest are counted on one line, and the totals count
// every one of them.
TEST(CheckReport, ARulesRepeatsAreCountedAfterItsFirstTenAndNoneIsDropped)
{
    KitCheckReport report;
    report.Run("ibis-rules", [](KitCheckItem& item) {
        for (int i = 1; i <= 300; ++i)
            item.Findings.push_back({Finding::Error, "k.ibs:" + std::to_string(i), "long line", "line-length"});
        item.Findings.push_back({Finding::Warning, "k.ibs:400", "turns back", "iv-monotonic"});
    });
    const std::string text = CheckReport::Text(report);
    EXPECT_NE(text.find("       10  ERROR        k.ibs:10: long line\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("k.ibs:11: long line"), std::string::npos) << text;
    EXPECT_NE(text.find("      301  WARNING      k.ibs:400: turns back\n"), std::string::npos) << text;
    EXPECT_NE(text.find("           and 290 more of rule line-length (300 in all), not listed\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("findings: 300 ERROR, 1 WARNING"), std::string::npos) << text;
}
