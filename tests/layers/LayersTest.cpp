// Every folder of the project in its place of the stack that docs/style.md
// draws, read from the includes of every source file: a folder includes only
// itself and the folders below it. The model (runtime, params, model, ami)
// includes no tool; amihost's layers stand in one line, each above the one
// before.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path Root = HALVEX_SOURCE_DIR;

// The project includes ("a/b.h") of one file.
std::vector<std::string> Includes(const fs::path& file)
{
    std::ifstream in(file);
    std::vector<std::string> includes;
    for (std::string line; std::getline(in, line);)
        if (line.rfind("#include \"", 0) == 0)
            includes.push_back(line.substr(10, line.find('"', 10) - 10));
    return includes;
}

bool StartsWithAny(const std::string& include, const std::vector<std::string>& prefixes)
{
    for (const std::string& prefix : prefixes)
        if (include.rfind(prefix, 0) == 0)
            return true;
    return false;
}

// Every file under `folder` (recursively) whose includes must each begin
// with one of `allowed`; returns how many files were read.
int ExpectIncludesWithin(const fs::path& folder, const std::vector<std::string>& allowed)
{
    int files = 0;
    if (!fs::is_directory(folder))
        return files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file())
            continue;
        ++files;
        for (const std::string& include : Includes(entry.path()))
            EXPECT_TRUE(StartsWithAny(include, allowed)) << entry.path() << " includes " << include;
    }
    return files;
}

// amihost's layers, bottom to top.
const std::vector<std::string> ToolLayers = {"signal", "channel", "eye",    "amifile", "host",
                                             "check",  "plot",    "report", "cli"};

} // namespace

TEST(Layers, TheModelsFoldersIncludeOnlyThemselvesAndWhatLiesBelow)
{
    // runtime/ (with runtime/filters/) is the base; params/ stands alone;
    // model/ is built on runtime/; ami/ hands the model and the parameter
    // parser to the simulator.
    EXPECT_GT(ExpectIncludesWithin(Root / "runtime", {"runtime/"}), 10);
    EXPECT_GT(ExpectIncludesWithin(Root / "params", {"params/"}), 2);
    EXPECT_GT(ExpectIncludesWithin(Root / "model", {"model/", "runtime/"}), 2);
    EXPECT_GT(ExpectIncludesWithin(Root / "ami", {"ami/", "model/", "params/", "runtime/"}), 2);
}

TEST(Layers, TheIbisLibraryIncludesOnlyItself)
{
    // It is read by amihost and ibischeck alike, and builds on the standard
    // library alone.
    EXPECT_GT(ExpectIncludesWithin(Root / "ibis", {"ibis/"}), 10);
}

TEST(Layers, EachAmihostLayerIncludesOnlyItselfAndTheLayersBelow)
{
    int files = 0;
    for (std::size_t layer = 0; layer < ToolLayers.size(); ++layer) {
        // The parameter parser is the model's; the IBIS library is read from
        // host up.
        std::vector<std::string> allowed = {"params/"};
        if (layer >= 4)
            allowed.push_back("ibis/");
        for (std::size_t below = 0; below <= layer; ++below)
            allowed.push_back("tools/amihost/" + ToolLayers[below] + "/");
        files += ExpectIncludesWithin(Root / "tools" / "amihost" / ToolLayers[layer], allowed);
    }
    EXPECT_GT(files, 80);
}

// The style's folder limit: a folder past 24 source files wants layers.
TEST(Layers, NoAmihostLayerHoldsMoreThan24SourceFiles)
{
    for (const std::string& layer : ToolLayers) {
        const fs::path folder = Root / "tools" / "amihost" / layer;
        if (!fs::is_directory(folder))
            continue;
        int files = 0;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
            files += entry.path().extension() == ".cpp" || entry.path().extension() == ".h";
        EXPECT_LE(files, 24) << folder;
    }
}
