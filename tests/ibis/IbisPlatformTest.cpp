#include <gtest/gtest.h>

#include <string>

#include "ibis/IbisPlatform.h"

TEST(IbisPlatform, PlatformWordsSplitIntoSystemCompilerAndBits)
{
    const struct {
        const char* word;
        const char* system;
        const char* compiler;
        int bits;
    } cases[] = {
        {"Linux_gcc_64", "Linux", "gcc", 64},
        {"Windows_VisualStudio_32", "Windows", "VisualStudio", 32},
        {"Linux_gcc4.8.5_64", "Linux", "gcc4.8.5", 64},
        {"Solaris_cc_sparc_64", "Solaris", "cc_sparc", 64},
        // malformed: no system, no compiler or no numeric bits
        {"Linux_64", "", "", 0},
        {"Linux__64", "", "", 0},
        {"_gcc_64", "", "", 0},
        {"Linux_gcc_", "", "", 0},
        {"Linux_gcc_x64", "", "", 0},
        {"Linux_gcc_6400", "", "", 0},
        {"Linux", "", "", 0},
        {"", "", "", 0},
    };
    for (const auto& c : cases) {
        const IbisPlatform platform = IbisPlatform::Parse(c.word);
        EXPECT_EQ(platform.System, c.system) << c.word;
        EXPECT_EQ(platform.Compiler, c.compiler) << c.word;
        EXPECT_EQ(platform.Bits, c.bits) << c.word;
    }
}

TEST(IbisPlatform, AHostRunsLinesOfItsSystemAndBitnessAndPrefersItsCompiler)
{
    const IbisPlatform linux64 = IbisPlatform::Parse("Linux_gcc_64");
    EXPECT_TRUE(linux64.Prefers(IbisPlatform::Parse("LINUX_GCC_64")));
    EXPECT_TRUE(linux64.Runs(IbisPlatform::Parse("Linux_clang_64")));
    EXPECT_FALSE(linux64.Prefers(IbisPlatform::Parse("Linux_clang_64")));
    EXPECT_FALSE(linux64.Runs(IbisPlatform::Parse("Linux_gcc_32")));
    EXPECT_FALSE(linux64.Runs(IbisPlatform::Parse("Windows_gcc_64")));
    EXPECT_FALSE(linux64.Runs(IbisPlatform::Parse("Linux_64")));
    EXPECT_FALSE(IbisPlatform().Runs(IbisPlatform())); // an unknown host runs nothing
    EXPECT_EQ(linux64.Describe(), "64-bit Linux");
    EXPECT_EQ(IbisPlatform().Describe(), "an unknown platform");
}

TEST(IbisPlatform, TheHostIsTheSystemThisProgramWasBuiltFor)
{
    const IbisPlatform host = IbisPlatform::Host();
    EXPECT_EQ(host.Bits, static_cast<int>(sizeof(void*) * 8));
#if defined(_WIN32)
    EXPECT_EQ(host.System + "_" + host.Compiler, "Windows_VisualStudio");
#elif defined(__linux__)
    EXPECT_EQ(host.System + "_" + host.Compiler, "Linux_gcc");
#endif
}
