// The check of a whole kit from its .ibs file: a copy of the model kit in a
// folder of its own (the built library under the kit's name, a stand-in for
// the DLL), whole and with a file taken away.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tools/amihost/check/KitCheck.h"
#include "tools/amihost/signal/TextFile.h"

namespace {

namespace fs = std::filesystem;

const std::string Source = HALVEX_SOURCE_DIR;

// A fresh kit folder `name`: the .ibs, the .ami, the built library and a
// stand-in DLL (only its presence is checked on Linux).
std::string MakeKit(const std::string& name)
{
    const std::string dir = std::string(AMIHOST_TEST_DIR) + "/" + name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy_file(Source + "/model/Halvex_tx.ibs", dir + "/Halvex_tx.ibs");
    fs::copy_file(Source + "/model/Halvex_tx.ami", dir + "/Halvex_tx.ami");
    fs::copy_file(HALVEX_MODEL_PATH, dir + "/Halvex_tx_x64.so");
    std::string error;
    EXPECT_TRUE(TextFile::Write(dir + "/Halvex_tx_x64.dll", "MZ", error)) << error;
    return dir;
}

ModelCheckConfig Short()
{
    ModelCheckConfig config;
    config.Bits = 24;
    config.SamplesPerBit = 8;
    return config;
}

KitCheckReport FromIbis(const std::string& dir, const std::string& model = "",
                        const IbisPlatform& platform = IbisPlatform::Parse("Linux_gcc_64"))
{
    return KitCheck::FromIbis(dir + "/Halvex_tx.ibs", model, platform, Short());
}

// "STATUS name" per item, with "LEVEL text" per finding below it.
std::string Listed(const KitCheckReport& report)
{
    std::string list;
    for (const KitCheckItem& item : report.Items) {
        list += std::string(item.Status()) + " " + item.Name + "\n";
        for (const Finding& f : item.Findings)
            list += "  " + std::string(Finding::Name(f.Severity)) + " " + f.Text() + "\n";
    }
    return list;
}

} // namespace

TEST(KitCheck, TheWholeKitPassesWithItsModelCheckedThroughTheLinuxLine)
{
    const std::string dir = MakeKit("kit-whole");
    const KitCheckReport report = FromIbis(dir);
    EXPECT_FALSE(report.Failed()) << Listed(report);
    std::string names;
    for (const KitCheckItem& item : report.Items)
        names += item.Name + (item.Heading.empty() ? "" : " after " + item.Heading) + "\n";
    EXPECT_EQ(names.substr(0, names.find("parameter-names")),
              "ibs-file\nibis-rules\nalgorithmic-models\nexecutable-files\nami-files\nexecutable after [Model] "
              "Halvex_tx\n");
    EXPECT_EQ(report.Items[5].Summary,
              "Linux_gcc_64 (line 101): " + dir + "/Halvex_tx_x64.so with " + dir + "/Halvex_tx.ami");
    EXPECT_EQ(report.Items.back().Name, "setting-levels");
}

TEST(KitCheck, ARemovedLibraryFailsTheCheckNamingTheFile)
{
    const std::string dir = MakeKit("kit-without-dll");
    fs::remove(dir + "/Halvex_tx_x64.dll");
    const KitCheckReport noDll = FromIbis(dir);
    EXPECT_TRUE(noDll.Failed());
    EXPECT_NE(Listed(noDll).find("FAIL executable-files\n  ERROR " + dir +
                                 "/Halvex_tx.ibs:102: Windows_VisualStudio_64 library Halvex_tx_x64.dll is missing "
                                 "(no file " + dir + "/Halvex_tx_x64.dll)\n"),
              std::string::npos)
        << Listed(noDll);
    EXPECT_EQ(noDll.Items.back().Name, "setting-levels"); // the Linux model is still checked

    fs::remove(dir + "/Halvex_tx_x64.so");
    const KitCheckReport neither = FromIbis(dir);
    const std::string listed = Listed(neither);
    EXPECT_NE(listed.find("Linux_gcc_64 library Halvex_tx_x64.so is missing"), std::string::npos) << listed;
    EXPECT_EQ(neither.Items.back().Name, "model-checks");
    EXPECT_EQ(neither.Items.back().Summary, "not run: its library is missing");
}

TEST(KitCheck, AKitWithoutThisPlatformsLineOrWithABrokenAmiIsNotRun)
{
    const std::string dir = MakeKit("kit-other");
    const KitCheckReport elsewhere = FromIbis(dir, "", IbisPlatform::Parse("Linux_gcc_32"));
    EXPECT_TRUE(elsewhere.Failed());
    EXPECT_NE(Listed(elsewhere).find("FAIL executable\n  ERROR " + dir + "/Halvex_tx.ibs:100: [Model] Halvex_tx has "
                                     "no Executable line for 32-bit Linux"),
              std::string::npos)
        << Listed(elsewhere);
    EXPECT_EQ(elsewhere.Items.back().Name, "executable");

    std::string error;
    ASSERT_TRUE(TextFile::Write(dir + "/Halvex_tx.ami", "(Halvex_tx (de (Usage In)\n", error)) << error;
    const KitCheckReport broken = FromIbis(dir);
    EXPECT_NE(Listed(broken).find("FAIL ami-files\n  ERROR " + dir + "/Halvex_tx.ami:1: unbalanced parentheses"),
              std::string::npos)
        << Listed(broken);
    EXPECT_EQ(broken.Items.back().Summary, "not run: its .ami file does not read");
}

TEST(KitCheck, ModelNamesAndUnreadableFilesAreToldApart)
{
    const std::string dir = MakeKit("kit-names");
    EXPECT_FALSE(FromIbis(dir, "Halvex_tx").Failed());
    const KitCheckReport none = FromIbis(dir, "Halvex");
    EXPECT_EQ(none.UsageError, "--model: " + dir + "/Halvex_tx.ibs: no [Model] Halvex; models with an [Algorithmic "
                                                   "Model]: Halvex_tx");

    std::string text;
    std::string error;
    ASSERT_TRUE(TextFile::Read(dir + "/Halvex_tx.ibs", 1 << 20, text, error)) << error;
    const std::size_t from = text.find("[Algorithmic Model]");
    const std::size_t to = text.find("[End]", text.find("[End Algorithmic Model]") + 1);
    ASSERT_TRUE(TextFile::Write(dir + "/Halvex_tx.ibs", text.substr(0, from) + text.substr(to), error)) << error;
    // A plain IBIS file passes on its IBIS rules, with a Note; so does the
    // model --model names when it has no [Algorithmic Model].
    const KitCheckReport noAmi = FromIbis(dir);
    EXPECT_FALSE(noAmi.Failed()) << Listed(noAmi);
    EXPECT_NE(Listed(noAmi).find("PASS algorithmic-models\n  NOTE " + dir +
                                 "/Halvex_tx.ibs: no [Model] has an [Algorithmic Model]: no AMI model to run; "
                                 "checked by the IBIS rules alone\n"),
              std::string::npos)
        << Listed(noAmi);
    EXPECT_EQ(noAmi.Items.back().Name, "algorithmic-models");
    const KitCheckReport named = FromIbis(dir, "Halvex_tx");
    EXPECT_TRUE(named.UsageError.empty()) << named.UsageError;
    EXPECT_FALSE(named.Failed()) << Listed(named);
    EXPECT_NE(Listed(named).find("[Model] Halvex_tx has no [Algorithmic Model]"), std::string::npos) << Listed(named);
    // Its rules still count: a model of the file broken fails the check.
    std::string broken = text.substr(0, from) + text.substr(to);
    broken.replace(broken.find("0.30/1.0p"), 9, "0.30/0.0p");
    ASSERT_TRUE(TextFile::Write(dir + "/Halvex_tx.ibs", broken, error)) << error;
    EXPECT_TRUE(FromIbis(dir, "Halvex_tx").Failed());

    ASSERT_TRUE(TextFile::Write(dir + "/Halvex_tx.ibs", "[IBIS Ver] 7.1\n[Component] c\n", error)) << error;
    const KitCheckReport unread = FromIbis(dir);
    ASSERT_EQ(unread.Items.size(), 1u);
    EXPECT_EQ(Listed(unread).rfind("FAIL ibs-file\n  ERROR " + dir + "/Halvex_tx.ibs:", 0), 0u) << Listed(unread);
    EXPECT_NE(Listed(unread).find("no [End]"), std::string::npos) << Listed(unread);
}

TEST(KitCheck, ALibraryAndItsAmiFileAreCheckedWithoutAnIbsFile)
{
    const std::string dir = MakeKit("kit-library");
    const KitCheckReport whole = KitCheck::FromLibrary(dir + "/Halvex_tx_x64.so", dir + "/Halvex_tx.ami", Short());
    EXPECT_FALSE(whole.Failed()) << Listed(whole);
    EXPECT_EQ(whole.Items.front().Name, "files");
    const KitCheckReport missing = KitCheck::FromLibrary(dir + "/none.so", dir + "/Halvex_tx.ami", Short());
    EXPECT_EQ(Listed(missing).substr(0, Listed(missing).find("PASS ami-files")),
              "FAIL files\n  ERROR no file " + dir + "/none.so\n");
    EXPECT_EQ(missing.Items.back().Name, "model-checks");
}
