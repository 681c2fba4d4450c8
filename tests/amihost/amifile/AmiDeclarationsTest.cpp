#include <gtest/gtest.h>

#include <string>

#include "tools/amihost/amifile/AmiFile.h"

// Every declaration with its path and line, whatever its usage: reserved
// ones in either form, nested groups, a name declared twice side by side.
TEST(AmiDeclarations, EveryDeclarationIsListedWithItsPathAndLine)
{
    const char text[] = "(Rx\n"
                        "  (Description \"a receiver\")\n"
                        "  (Reserved_Parameters\n"
                        "    (GetWave_Exists True)\n"
                        "    (Init_Returns_Impulse (Usage Info) (Type Boolean) (Value True)))\n"
                        "  (Model_Specific\n"
                        "    (gain (Usage In) (Type Float) (Range 1 0 2))\n"
                        "    (taps\n"
                        "      (-1 (Usage In) (Type Tap) (Range -0.1 -0.25 0))\n"
                        "      (0 (Usage In) (Type Tap) (Value 1)))\n"
                        "    (note (Usage Info) (Type String) (Value \"x\"))\n"
                        "    (gain (Usage Out) (Type Float))))\n";
    AmiFile file;
    std::string error;
    ASSERT_TRUE(AmiFile::Read(text, "rx.ami", file, error)) << error;
    std::string listed;
    for (const AmiDeclarations::Entry& e : file.Declared)
        listed += e.Path + "/" + e.Name + "@" + std::to_string(e.Line) + (e.Reserved ? " reserved" : "") + "\n";
    EXPECT_EQ(listed, "GetWave_Exists/GetWave_Exists@4 reserved\n"
                      "Init_Returns_Impulse/Init_Returns_Impulse@5 reserved\n"
                      "gain/gain@7\n"
                      "taps.-1/-1@9\n"
                      "taps.0/0@10\n"
                      "note/note@11\n"
                      "gain/gain@12\n");
}
