#include <gtest/gtest.h>

#include <string>

#include "ibis/IbisFile.h"
#include "tools/amihost/report/IvReport.h"
#include "tools/amihost/signal/CsvReader.h"

namespace {

IbisModel ReadModel(const std::string& body)
{
    IbisFile file;
    std::string error;
    EXPECT_TRUE(IbisFile::Read("[IBIS Ver] 7.1\n[Model] m/x\nModel_type Output\n" + body + "[End]\n", "f.ibs", file,
                               error))
        << error;
    return file.Models.empty() ? IbisModel() : file.Models[0];
}

} // namespace

// Rows on the union of the tables' voltages, an empty cell where a table has
// no point or NA; a voltage a table repeats gets a row each time.
TEST(IvReport, EachCornerIsOneRowPerVoltageWithTheTablesSideBySide)
{
    const IbisModel m = ReadModel("[Pulldown]\n-1 -20m -19m -21m\n0 0 0 0\n1 20m NA 21m\n"
                                  "[Pullup]\n0 0 0 0\n0.5 -10m -9m -11m\n"
                                  "[GND Clamp]\n-1 -1 -1 -1\n-1 -2 -2 -2\n"
                                  "[POWER Clamp]\n1 5u 5u 5u\n");
    const std::string header = "voltage_V,pulldown_A,pullup_A,gnd_clamp_A,power_clamp_A\n";
    // The rows of each corner; they differ in the first pulldown and pullup
    // currents, and min has NA for the last pulldown current.
    const std::string lows[] = {"-1,-0.02,,-1,\n", "-1,-0.019,,-1,\n"};
    const std::string mids[] = {"0.5,,-0.01,,\n", "0.5,,-0.009,,\n"};
    const std::string highs[] = {"1,0.02,,,5e-06\n", "1,,,,5e-06\n"};
    for (const IvReport::Corner corner : {IvReport::Typ, IvReport::Min}) {
        const std::string csv = IvReport::Csv(m, corner);
        EXPECT_EQ(csv.substr(csv.find(header)),
                  header + lows[corner] + "-1,,,-2,\n0,0,0,,\n" + mids[corner] + highs[corner]);
        EXPECT_NE(csv.find("# I-V tables of [Model] m/x, " + std::string(IvReport::Name(corner)) + " corner"),
                  std::string::npos);
    }
    EXPECT_EQ(IvReport::FileName(m.Name, IvReport::Max), "m_x_max.csv");

}

// Tables on one voltage grid read back with the project's CSV reader, the
// comments and the header skipped, every value exact.
TEST(IvReport, TablesOnOneGridReadBackExactly)
{
    const IbisModel m = ReadModel("[Pulldown]\n-1 -20m -19m -21m\n1 20m 19m 21m\n"
                                  "[Pullup]\n-1 20m 19m 21m\n1 -20m -19m -21m\n"
                                  "[GND Clamp]\n-1 -0.1 -0.1 -0.1\n1 0 0 0\n"
                                  "[POWER Clamp]\n-1 -0.1 -0.1 -0.1\n1 0 0 0\n");
    CsvTable table;
    std::string error;
    ASSERT_TRUE(CsvReader::ReadTable(IvReport::Csv(m, IvReport::Max), "max.csv", 5, table, error)) << error;
    ASSERT_EQ(table.Columns.size(), 5u);
    EXPECT_EQ(table.Columns[0], (std::vector<double>{-1.0, 1.0}));
    EXPECT_EQ(table.Columns[1], (std::vector<double>{-0.021, 0.021}));
    EXPECT_EQ(table.Columns[2], (std::vector<double>{0.021, -0.021}));
    EXPECT_EQ(table.Columns[4], (std::vector<double>{-0.1, 0.0}));
}
