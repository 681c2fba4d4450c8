// Writing a command's files: the folder made when missing, every file whole
// under its name, and a folder that cannot be made refused with its reason.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tools/amihost/report/CommandReport.h"
#include "tools/amihost/signal/TextFile.h"

namespace {

namespace fs = std::filesystem;

// Each test in a folder of its own: ctest runs them side by side.
const std::string Root = std::string(AMIHOST_TEST_DIR) + "/command-report-";

} // namespace

TEST(CommandReport, WritesEveryFileIntoAFolderItMakes)
{
    const std::string dir = Root + "made";
    fs::remove_all(dir);
    CommandReport report;
    report.Files = {{"a.csv", "x,y\n1,2\n"}, {"b.svg", std::string(100000, 'b')}};
    std::string error;
    ASSERT_TRUE(report.Write(dir + "/deep/er", OutputFolder::Others::Refuse, error)) << error;
    for (const CommandReport::File& file : report.Files) {
        std::string text;
        ASSERT_TRUE(TextFile::Read(dir + "/deep/er/" + file.first, 1 << 20, text, error)) << error;
        EXPECT_EQ(text, file.second);
        EXPECT_FALSE(fs::exists(dir + "/deep/er/" + file.first + ".partial"));
    }
}

TEST(CommandReport, AFolderThatCannotBeMadeIsRefusedBeforeAnyFile)
{
    const std::string dir = Root + "taken";
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::string error;
    ASSERT_TRUE(TextFile::Write(dir + "/taken", "a file, not a folder", error)) << error;
    CommandReport report;
    report.Files = {{"a.csv", "1\n"}};
    EXPECT_FALSE(report.Write(dir + "/taken", OutputFolder::Others::Refuse, error));
    EXPECT_EQ(error, dir + "/taken: the output folder is a file");
    EXPECT_FALSE(fs::exists(dir + "/taken/a.csv"));
}
