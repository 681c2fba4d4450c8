// Writing a command's files: the folder made when missing, every file whole
// under its name, and a folder that cannot be made refused with its reason.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tools/amihost/report/CommandReport.h"
#include "tools/amihost/signal/TextFile.h"

namespace {

namespace fs = std::filesystem;

const std::string Dir = std::string(AMIHOST_TEST_DIR) + "/command-report";

} // namespace

TEST(CommandReport, WritesEveryFileIntoAFolderItMakes)
{
    fs::remove_all(Dir);
    CommandReport report;
    report.Files = {{"a.csv", "x,y\n1,2\n"}, {"b.svg", std::string(100000, 'b')}};
    std::string error;
    ASSERT_TRUE(report.Write(Dir + "/deep/er", error)) << error;
    for (const CommandReport::File& file : report.Files) {
        std::string text;
        ASSERT_TRUE(TextFile::Read(Dir + "/deep/er/" + file.first, 1 << 20, text, error)) << error;
        EXPECT_EQ(text, file.second);
        EXPECT_FALSE(fs::exists(Dir + "/deep/er/" + file.first + ".partial"));
    }
}

TEST(CommandReport, AFolderThatCannotBeMadeIsRefusedBeforeAnyFile)
{
    fs::remove_all(Dir);
    fs::create_directories(Dir);
    std::string error;
    ASSERT_TRUE(TextFile::Write(Dir + "/taken", "a file, not a folder", error)) << error;
    CommandReport report;
    report.Files = {{"a.csv", "1\n"}};
    EXPECT_FALSE(report.Write(Dir + "/taken", error));
    EXPECT_EQ(error.rfind(Dir + "/taken: cannot create the output folder", 0), 0u) << error;
    EXPECT_FALSE(fs::exists(Dir + "/taken/a.csv"));
}
