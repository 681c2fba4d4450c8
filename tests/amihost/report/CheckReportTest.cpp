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
