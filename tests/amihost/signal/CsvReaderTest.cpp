#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "tools/amihost/signal/CsvReader.h"

TEST(CsvReader, ReadsNumbersWithAHeaderCommentsAndAnySeparator)
{
    const std::string text = "\xEF\xBB\xBFtime,value\r\n# a comment\n\n0, 1.5\n1e-12;-2\n2e-12\t+3e0\n3e-12   4\n";
    CsvTable table;
    std::string error;
    ASSERT_TRUE(CsvReader::ReadTable(text, "w.csv", 2, table, error)) << error;
    ASSERT_EQ(table.Columns.size(), 2u);
    EXPECT_EQ(table.Columns[1], (std::vector<double>{1.5, -2.0, 3.0, 4.0}));
    EXPECT_EQ(table.Lines, (std::vector<int>{4, 5, 6, 7}));
}

TEST(CsvReader, FaultsNameTheFileAndLine)
{
    const struct {
        const char* text;
        std::size_t columns;
        const char* message;
    } cases[] = {
        {"1\n2\nx\n", 1, "w.csv:3: field 1 \"x\" is not a finite number"},
        {"a,b\n1,2\n3\n", 2, "w.csv:3: 1 columns where the rows before have 2"},
        {"1,2,3\n", 2, "w.csv:1: 3 columns, expected 1 to 2"},
        {"1\nnan\n", 1, "w.csv:2: field 1 \"nan\" is not a finite number"},
        {"1\n1e999\n", 1, "w.csv:2: field 1 \"1e999\" is not a finite number"},
        {"1,2\n3,\n", 2, "w.csv:2: field 2 \"\" is not a finite number"},
        {"# nothing\n\n", 1, "w.csv:2: no numeric rows"},
        {"", 1, "w.csv:1: no numeric rows"},
        {"1\n+-2\n", 1, "w.csv:2: field 1 \"+-2\" is not a finite number"},
    };
    for (const auto& c : cases) {
        CsvTable table;
        std::string error;
        EXPECT_FALSE(CsvReader::ReadTable(c.text, "w.csv", c.columns, table, error)) << c.text;
        EXPECT_EQ(error, c.message);
        EXPECT_TRUE(table.Columns.empty());
    }
}

TEST(CsvReader, ASignalOnTheGridUpToRoundingIsTakenSampleForSample)
{
    std::vector<double> values;
    std::string error;
    CsvReader::SignalSource source;
    ASSERT_TRUE(CsvReader::ReadSignal("t,v\n1e-9,0.1\n1.5e-9,0.2\n2e-9,0.3\n", "w.csv", 5e-10, values, error,
                                      &source));
    EXPECT_EQ(values, (std::vector<double>{0.1, 0.2, 0.3}));
    EXPECT_FALSE(source.Resampled);
    ASSERT_TRUE(CsvReader::ReadSignal("7\n8\n", "w.csv", 5e-10, values, error, &source));
    EXPECT_EQ(values, (std::vector<double>{7.0, 8.0}));
    EXPECT_EQ(source.FileStep, 0.0);

    // 12.8 Gb/s at 32 samples per bit, times written with six significant digits.
    const double dt = 78.125e-12 / 32;
    std::string text;
    for (int i = 0; i < 400; ++i) {
        char row[64];
        std::snprintf(row, sizeof row, "%.6g,%d\n", 3e-9 + i * dt, i);
        text += row;
    }
    ASSERT_TRUE(CsvReader::ReadSignal(text, "w.csv", dt, values, error, &source)) << error;
    EXPECT_FALSE(source.Resampled);
    ASSERT_EQ(values.size(), 400u);
    EXPECT_EQ(values[399], 399.0);
}

TEST(CsvReader, ASignalAtAnotherRateIsResampledOntoTheGrid)
{
    // A ramp v = t / ns at 4 samples per grid step: the box means of a
    // straight line are its values at the box centres.
    std::string text = "time,value\n";
    for (int i = 0; i <= 40; ++i) {
        char row[64];
        std::snprintf(row, sizeof row, "%.9g,%.9g\n", i * 0.25e-9, i * 0.25);
        text += row;
    }
    std::vector<double> values;
    std::string error;
    CsvReader::SignalSource source;
    ASSERT_TRUE(CsvReader::ReadSignal(text, "w.csv", 1e-9, values, error, &source)) << error;
    EXPECT_TRUE(source.Resampled);
    EXPECT_DOUBLE_EQ(source.FileStep, 0.25e-9);
    ASSERT_EQ(values.size(), 11u);
    EXPECT_NEAR(values[0], 0.25, 1e-12); // clipped box [0, 0.5 ns]
    for (std::size_t k = 1; k < 10; ++k)
        EXPECT_NEAR(values[k], static_cast<double>(k), 1e-12) << k;
    EXPECT_NEAR(values[10], 9.75, 1e-12);
}

TEST(CsvReader, ASignalWhoseTimesDoNotRiseIsRefusedAtItsLine)
{
    std::vector<double> values;
    std::string error;
    EXPECT_FALSE(CsvReader::ReadSignal("0,0.1\n5e-10,0.2\n5e-10,0.3\n", "w.csv", 5e-10, values, error));
    EXPECT_EQ(error, "w.csv:3: time 5e-10 s does not come after 5e-10 s: times must rise");
    EXPECT_TRUE(values.empty());

    // A grid too fine for the file's span, or none at all, is refused before
    // anything is allocated.
    EXPECT_FALSE(CsvReader::ReadSignal("0,1\n1,2\n", "w.csv", 1e-300, values, error));
    EXPECT_EQ(error.rfind("w.csv: its 1 s span would take ", 0), 0u) << error;
    for (double interval : {0.0, -1e-12, std::nan(""), HUGE_VAL}) {
        EXPECT_FALSE(CsvReader::ReadSignal("1\n", "w.csv", interval, values, error)) << interval;
        EXPECT_TRUE(values.empty());
    }
}

TEST(CsvReader, ArbitraryBytesAreRefusedOrReadWithoutHarm)
{
    std::mt19937 random(5);
    const char alphabet[] = "0123456789.,;eE+- \t\r\n#xn\0";
    for (int round = 0; round < 3000; ++round) {
        std::string text(random() % 64, ' ');
        for (char& c : text)
            c = alphabet[random() % (sizeof alphabet - 1)];
        CsvTable table;
        std::string error;
        if (CsvReader::ReadTable(text, "f", 2, table, error)) {
            ASSERT_FALSE(table.Columns.empty());
            for (const std::vector<double>& column : table.Columns)
                ASSERT_EQ(column.size(), table.Lines.size());
        } else {
            ASSERT_EQ(error.substr(0, 2), "f:");
            ASSERT_EQ(error.find('\n'), std::string::npos);
        }
    }
}
