// The layers of amihost as docs/style.md draws them, read from the includes
// of every source file: a layer includes only itself and the layers below
// it, and nothing of the model's own folders includes the tool.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Bottom to top.
const std::vector<std::string> Layers = {"signal", "channel", "eye", "amifile", "host", "report", "cli"};

// Project folders (below tools/) that a layer may include besides its own stack.
// The IBIS library (ibis/) is a project folder of its own, used from host up.
const std::vector<std::vector<std::string>> Foundations = {
    {}, {}, {}, {"params/"}, {"params/", "ibis/"}, {"params/", "ibis/"}, {"params/", "ibis/"}};

int LayerOf(const std::string& name)
{
    for (std::size_t i = 0; i < Layers.size(); ++i)
        if (name == Layers[i])
            return static_cast<int>(i);
    return -1;
}

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

bool Allowed(int layer, const std::string& include)
{
    const std::string tool = "tools/amihost/";
    if (include.rfind(tool, 0) == 0) {
        const int below = LayerOf(include.substr(tool.size(), include.find('/', tool.size()) - tool.size()));
        return below >= 0 && below <= layer;
    }
    for (const std::string& folder : Foundations[static_cast<std::size_t>(layer)])
        if (include.rfind(folder, 0) == 0)
            return true;
    return false;
}

} // namespace

TEST(Layers, EachLayerIncludesOnlyItselfAndTheLayersBelow)
{
    const fs::path root = fs::path(HALVEX_SOURCE_DIR) / "tools" / "amihost";
    int files = 0;
    for (const std::string& layer : Layers)
        for (const fs::directory_entry& entry : fs::directory_iterator(root / layer)) {
            ++files;
            for (const std::string& include : Includes(entry.path()))
                EXPECT_TRUE(Allowed(LayerOf(layer), include)) << entry.path() << " includes " << include;
        }
    EXPECT_GT(files, 40);
}

TEST(Layers, TheModelsFoldersIncludeNoTool)
{
    for (const char* folder : {"runtime", "params", "model", "ami", "ibis"}) {
        for (const fs::directory_entry& entry :
             fs::recursive_directory_iterator(fs::path(HALVEX_SOURCE_DIR) / folder)) {
            if (!entry.is_regular_file())
                continue;
            for (const std::string& include : Includes(entry.path()))
                EXPECT_NE(include.rfind("tools/", 0), 0u) << entry.path() << " includes " << include;
        }
    }
}

TEST(Layers, TheIbisLibraryIncludesOnlyItselfAndTheStandardLibrary)
{
    int files = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(fs::path(HALVEX_SOURCE_DIR) / "ibis")) {
        if (!entry.is_regular_file() || entry.path().extension() == ".txt")
            continue;
        ++files;
        for (const std::string& include : Includes(entry.path()))
            EXPECT_EQ(include.rfind("ibis/", 0), 0u) << entry.path() << " includes " << include;
    }
    EXPECT_GT(files, 10);
}
