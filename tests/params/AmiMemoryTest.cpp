#include "params/AmiMemory.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <regex>
#include <string>

#include "TreeText.h"
#include "params/AmiParameters.h"
#include "params/AmiTree.h"

namespace {

const char* const programBug = "PROGRAM BUG - Unable to Allocate Memory: AmiMemory\\.cpp [0-9]+\n";

bool IsProgramBug(const std::string& written) { return std::regex_match(written, std::regex(programBug)); }

std::string AllocationFailed(unsigned bytes)
{
    return "ERROR - Memory allocation failed.  This request " + std::to_string(bytes) + ".\n\n";
}

std::string ReallocationFailed(unsigned bytes)
{
    return "ERROR - Memory reallocation failed.  This request " + std::to_string(bytes) + ".\n\n";
}

// Runs `action` with the n-th storage request failing; returns what reached
// standard error. Disarms afterwards, whether or not the failure struck.
template <typename Action>
std::string WithFailure(long n, Action action)
{
    AmiMemory::FailNthAllocation(n);
    testing::internal::CaptureStderr();
    action();
    std::string written = testing::internal::GetCapturedStderr();
    AmiMemory::FailNthAllocation(0);
    return written;
}

} // namespace

TEST(AmiMemory, EachRoutineReportsItsFailureAndCountsIt)
{
    const long before = AmiMemory::ErrorCount();
    void* block = nullptr;
    EXPECT_EQ(WithFailure(1, [&] { block = AmiMemory::Allocate(24); }), AllocationFailed(24));
    EXPECT_EQ(block, nullptr);

    char* text = nullptr;
    EXPECT_EQ(WithFailure(1, [&] { text = AmiMemory::CopyText("hello", 5); }), AllocationFailed(6));
    EXPECT_EQ(text, nullptr);

    EXPECT_TRUE(IsProgramBug(WithFailure(1, [&] { text = AmiMemory::DuplicateText("hello"); })));
    EXPECT_EQ(text, nullptr);

    block = AmiMemory::Allocate(8);
    ASSERT_NE(block, nullptr);
    std::memset(block, 7, 8);
    void* grown = block;
    EXPECT_EQ(WithFailure(1, [&] { grown = AmiMemory::Grow(block, 40); }), ReallocationFailed(40));
    EXPECT_EQ(grown, nullptr);
    EXPECT_EQ(static_cast<unsigned char*>(block)[7], 7); // the old block is intact and still ours
    AmiMemory::Release(block);

    EXPECT_EQ(AmiMemory::ErrorCount(), before + 4);
}

TEST(AmiMemory, ArmedFailureStrikesOnlyTheNthRequest)
{
    AmiMemory::FailNthAllocation(3);
    EXPECT_EQ(AmiMemory::PendingFailure(), 3);
    char* a = AmiMemory::CopyText("a", 1);
    void* b = AmiMemory::Allocate(0);
    EXPECT_EQ(AmiMemory::PendingFailure(), 1);
    testing::internal::CaptureStderr();
    char* c = AmiMemory::DuplicateText("c");
    testing::internal::GetCapturedStderr();
    char* d = AmiMemory::DuplicateText("d");
    EXPECT_EQ(AmiMemory::PendingFailure(), 0);
    EXPECT_STREQ(a, "a");
    EXPECT_NE(b, nullptr);
    EXPECT_EQ(c, nullptr);
    EXPECT_STREQ(d, "d");
    for (void* p : {static_cast<void*>(a), b, static_cast<void*>(d)})
        AmiMemory::Release(p);
}

TEST(AmiMemory, MessagesGoToTheChosenStream)
{
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    AmiMemory::SetMessageStream(file);
    EXPECT_EQ(WithFailure(1, [] { AmiMemory::Allocate(5); }), "");
    AmiMemory::SetMessageStream(nullptr);
    std::rewind(file);
    char line[128] = {};
    ASSERT_NE(std::fgets(line, sizeof line, file), nullptr);
    EXPECT_STREQ(line, "ERROR - Memory allocation failed.  This request 5.\n");
    std::fclose(file);
}

// Storage requests of ParseAmiTree("(Halvex_tx (de 3))"), in order: tree,
// slot array, working copy, root record, root name, leaf record, leaf name,
// value text, value array, linking stack, root child list.
TEST(AmiMemory, EveryParserAllocationFailureHasItsMessageAndOutcome)
{
    const char* const text = "(Halvex_tx (de 3))";
    const char* const childless = "0 branch 1 'Halvex_tx' children\n1 leaf 2 'de' kw0 values '3'/1/-1\n";
    const char* const leafWithoutValue = "0 branch 1 'Halvex_tx' children 1\n1 leaf 2 'de' kw0 values\n";
    const char* const leafLeftOut = "0 branch 1 'Halvex_tx' children 1\n1 empty 1 2\n";
    const struct {
        long Nth;
        std::string Message; // a regular expression when it starts with "PROGRAM"
        AmiParseResult Result;
        const char* Tree; // TreeText on success
    } cases[] = {
        {1, AllocationFailed(sizeof(AmiTree)), AmiParseNoMemory, nullptr},
        {2, AllocationFailed(2 * sizeof(AmiTreeEntry)), AmiParseNoMemory, nullptr},
        {3, programBug, AmiParseOk, "0 empty 0 0\n1 empty 0 0\n"},
        {4, AllocationFailed(sizeof(AmiBranch)), AmiParseMissingNode, nullptr}, // root without record
        {5, AllocationFailed(10), AmiParseMissingNode, nullptr},                // root name
        {6, AllocationFailed(sizeof(AmiLeaf)), AmiParseOk, leafLeftOut},
        {7, AllocationFailed(3), AmiParseOk, leafLeftOut},                      // leaf name
        {8, AllocationFailed(2), AmiParseOk, leafWithoutValue},                 // value text
        {9, ReallocationFailed(sizeof(AmiValue)), AmiParseOk, leafWithoutValue},
        {10, AllocationFailed(3 * sizeof(AmiTreeEntry)), AmiParseNoMemory, nullptr}, // stack, levels 0-2
        {11, ReallocationFailed(sizeof(AmiTreeEntry)), AmiParseOk, childless},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Nth);
        const long before = AmiMemory::ErrorCount();
        AmiTree* tree = nullptr;
        AmiParseResult result = AmiParseOk;
        const std::string written = WithFailure(c.Nth, [&] { result = ParseAmiTree(text, &tree); });
        if (c.Message.rfind("PROGRAM", 0) == 0)
            EXPECT_TRUE(IsProgramBug(written)) << written;
        else
            EXPECT_EQ(written, c.Message);
        EXPECT_EQ(AmiMemory::ErrorCount(), before + 1);
        EXPECT_EQ(result, c.Result);
        if (result == AmiParseOk) {
            EXPECT_EQ(TreeText(tree), c.Tree);
        }
        ReleaseAmiTree(&tree);
    }
    // The twelfth request does not exist: nothing fails.
    AmiMemory::FailNthAllocation(12);
    AmiTree* tree = nullptr;
    EXPECT_EQ(ParseAmiTree(text, &tree), AmiParseOk);
    EXPECT_EQ(AmiMemory::PendingFailure(), 1);
    AmiMemory::FailNthAllocation(0);
    ReleaseAmiTree(&tree);
}

TEST(AmiMemory, ValueArrayGrowsAtPowersOfTwo)
{
    // Requests 8 to 13 are text and array of the first three values: at the
    // third, the array of two is full and is regrown to four.
    const std::string written = WithFailure(13, [] {
        AmiTree* tree = nullptr;
        EXPECT_EQ(ParseAmiTree("(Halvex_tx (de 1 2 3 4))", &tree), AmiParseOk);
        EXPECT_EQ(TreeText(tree), "0 branch 1 'Halvex_tx' children 1\n"
                                  "1 leaf 2 'de' kw0 values '1'/1/-1 '2'/1/-1 '4'/1/-1\n");
        ReleaseAmiTree(&tree);
    });
    EXPECT_EQ(written, ReallocationFailed(4 * sizeof(AmiValue)));
}

TEST(AmiMemory, BranchWithoutRecordFailsItsChildrenAndHolderCopyFailureIsNotOk)
{
    // Requests: holder copy, tree, slots, working copy, root record, root name, g record.
    double x = 0.0;
    std::string written = WithFailure(7, [&] {
        AmiParameters params("(r (g (a 1)) (b 2))");
        EXPECT_FALSE(params.Ok);
        EXPECT_FALSE(params.GetDouble(x, "r.b"));
    });
    EXPECT_EQ(written, AllocationFailed(sizeof(AmiBranch)));

    written = WithFailure(1, [&] {
        AmiParameters params("(r (b 2))");
        EXPECT_FALSE(params.Ok);
    });
    EXPECT_TRUE(IsProgramBug(written)) << written;

    // No working copy: the holder is ok, but every slot is empty.
    written = WithFailure(4, [&] {
        AmiParameters params("(r (b 2))");
        EXPECT_TRUE(params.Ok);
        EXPECT_EQ(params.FindLeaf("r.b"), nullptr);
    });
    EXPECT_TRUE(IsProgramBug(written)) << written;

    // A leaf left out stays a child without record; lookups pass it over.
    written = WithFailure(7, [&] {
        AmiParameters params("(r (a 1) (b 2))");
        EXPECT_TRUE(params.Ok);
        EXPECT_EQ(params.FindLeaf("r.a"), nullptr);
        EXPECT_TRUE(params.GetDouble(x, "r.b"));
    });
    EXPECT_EQ(written, AllocationFailed(sizeof(AmiLeaf)));
}

TEST(AmiMemory, AnyFailingRequestOfARealisticParseEndsCleanly)
{
    const char* const text = "(Halvex_tx (Reserved_Parameters (AMI_Version (Usage Info) (Format Value \"7.0\")))"
                             " (Model_Specific (de (Usage In) (Type Integer) (Format Range 15 0 15)"
                             " (Description \"0 (none) to 15\")) (a 1 (dropped 2)) (swing 1.0 0.9 0.8)))";
    long requests = 0;
    for (long n = 1;; ++n) {
        SCOPED_TRACE(n);
        const long before = AmiMemory::ErrorCount();
        bool struck = false;
        const std::string written = WithFailure(n, [&] {
            AmiParameters params(text);
            struck = AmiMemory::PendingFailure() == 0;
            double x = 0.0;
            params.GetDouble(x, "Halvex_tx.Model_Specific.swing");
            params.FindLeaf("Halvex_tx.Model_Specific.de.Format");
        });
        if (!struck) {
            EXPECT_EQ(written, "");
            break;
        }
        EXPECT_EQ(AmiMemory::ErrorCount(), before + 1);
        EXPECT_NE(written, "");
        requests = n;
    }
    EXPECT_GT(requests, 40);
}
