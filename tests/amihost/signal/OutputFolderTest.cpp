#include "tools/amihost/signal/OutputFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tools/amihost/signal/TextFile.h"

namespace fs = std::filesystem;

namespace {

std::string Fresh(const std::string& name)
{
    const std::string dir = std::string(AMIHOST_TEST_DIR) + "/output-folder/" + name;
    fs::remove_all(dir);
    fs::create_directories(fs::path(dir).parent_path());
    return dir;
}

std::set<std::string> Names(const std::string& dir)
{
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    return names;
}

std::string Contents(const std::string& path)
{
    std::string text;
    std::string error;
    EXPECT_TRUE(TextFile::Read(path, 1 << 20, text, error)) << error;
    return text;
}

void Put(const std::string& path, const std::string& text)
{
    std::string error;
    ASSERT_TRUE(TextFile::Write(path, text, error)) << error;
}

using Files = std::vector<OutputFolder::File>;
constexpr auto Refuse = OutputFolder::Others::Refuse;
constexpr auto Keep = OutputFolder::Others::Keep;

} // namespace

TEST(OutputFolder, ARerunLeavesExactlyTheNewRunsFilesAndItsManifest)
{
    const std::string dir = Fresh("rerun");
    std::string error;
    ASSERT_TRUE(OutputFolder::Write(dir, {{"eye_de_15.svg", "a"}, {"sweep.csv", "b"}, {"eye_de_4.svg", "c"}}, Refuse,
                                    error)) << error;
    ASSERT_TRUE(OutputFolder::Write(dir, {{"sweep.csv", "new"}, {"eye_de_0.svg", "d"}}, Refuse, error)) << error;
    EXPECT_EQ(Names(dir), (std::set<std::string>{".amihost-manifest", "sweep.csv", "eye_de_0.svg"}));
    EXPECT_EQ(Contents(dir + "/sweep.csv"), "new");
    EXPECT_EQ(OutputFolder::Listed(Contents(dir + "/.amihost-manifest")),
              (std::vector<std::string>{"sweep.csv", "eye_de_0.svg"}));
}

TEST(OutputFolder, AFolderOfOtherFilesWithoutManifestIsRefusedAndLeftAsItWas)
{
    const std::string dir = Fresh("foreign");
    fs::create_directories(dir);
    Put(dir + "/notes.txt", "mine");
    std::string error;
    EXPECT_FALSE(OutputFolder::Usable(dir, Refuse, error));
    EXPECT_NE(error.find("--reuse-folder"), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    EXPECT_FALSE(OutputFolder::Write(dir, {{"sweep.csv", "b"}}, Refuse, error));
    EXPECT_EQ(Names(dir), (std::set<std::string>{"notes.txt"}));
    // An empty folder or one that does not exist yet is free.
    EXPECT_TRUE(OutputFolder::Usable(Fresh("absent"), Refuse, error));
    fs::create_directories(Fresh("empty"));
    EXPECT_TRUE(OutputFolder::Usable(Fresh("empty") + "", Refuse, error));
}

TEST(OutputFolder, AReusedFolderKeepsItsOwnFilesThroughEveryLaterRun)
{
    const std::string dir = Fresh("reused");
    fs::create_directories(dir + "/touchstone");
    Put(dir + "/stripline.s4p", "channel");
    std::string error;
    ASSERT_TRUE(OutputFolder::Write(dir, {{"sweep.csv", "1"}, {"old.svg", "2"}}, Keep, error)) << error;
    // With a manifest the folder is amihost's: no option needed, and only the
    // listed files go.
    ASSERT_TRUE(OutputFolder::Write(dir, {{"sweep.csv", "3"}}, Refuse, error)) << error;
    EXPECT_EQ(Names(dir), (std::set<std::string>{".amihost-manifest", "sweep.csv", "stripline.s4p", "touchstone"}));
}

TEST(OutputFolder, ADamagedManifestCannotMakeItRemoveFilesElsewhere)
{
    const std::string dir = Fresh("damaged");
    const std::string outside = Fresh("damaged-outside");
    fs::create_directories(dir + "/sub");
    fs::create_directories(outside);
    Put(outside + "/precious.txt", "keep");
    Put(dir + "/sub/inner.txt", "keep");
    Put(dir + "/.amihost-manifest", "# comment\n../damaged-outside/precious.txt\nsub/inner.txt\nsub\n..\n\r\n"
                                    "stale.csv\r\nstale.csv\n");
    Put(dir + "/stale.csv", "old");
    std::string error;
    ASSERT_TRUE(OutputFolder::Write(dir, {{"summary.json", "{}"}}, Refuse, error)) << error;
    EXPECT_TRUE(fs::exists(outside + "/precious.txt"));
    EXPECT_TRUE(fs::exists(dir + "/sub/inner.txt"));
    EXPECT_FALSE(fs::exists(dir + "/stale.csv"));
    EXPECT_EQ(OutputFolder::Listed(Contents(dir + "/.amihost-manifest")), (std::vector<std::string>{"summary.json"}));
}

TEST(OutputFolder, AFileInPlaceOfTheFolderIsRefusedWithOneLine)
{
    const std::string path = Fresh("a-file");
    Put(path, "x");
    std::string error;
    EXPECT_FALSE(OutputFolder::Write(path, {{"sweep.csv", "b"}}, Keep, error));
    EXPECT_NE(error.find("is a file"), std::string::npos) << error;
}
