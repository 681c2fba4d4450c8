#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

// Lists the dynamic symbols that the built model defines, with binutils' nm.
std::set<std::string> DefinedDynamicSymbols(const std::string& library)
{
    std::set<std::string> names;
    const std::string command = "nm -D --defined-only --format=posix '" + library + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return names;
    char line[1024];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        std::string text(line);
        names.insert(text.substr(0, text.find(' ')));
    }
    pclose(pipe);
    return names;
}

TEST(Exports, TheModelExportsExactlyTheThreeEntryPoints)
{
    const std::set<std::string> expected = {"AMI_Close", "AMI_GetWave", "AMI_Init"};
    EXPECT_EQ(DefinedDynamicSymbols(HALVEX_MODEL_PATH), expected);
}
