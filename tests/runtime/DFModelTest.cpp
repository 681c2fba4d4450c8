#include "runtime/DFModel.h"

#include <gtest/gtest.h>

#include <vector>

using TorvaneModelBuilder::DFModel;

namespace {

class PlainBlock : public DFModel {};

// Records each Setup call and answers with a preset result.
class ScriptedBlock : public DFModel {
public:
    ScriptedBlock(bool result, std::vector<int>& calls, int id)
        : Result(result), Calls(calls), Id(id) {}
    bool Setup() override { Calls.push_back(Id); return Result; }
    bool Validate() override { ++ValidateCalls; return false; }
    bool Result;
    std::vector<int>& Calls;
    int Id;
    int ValidateCalls = 0;
};

// A composite of the kind the generated model is: every child runs, results ANDed.
class Composite : public DFModel {
public:
    explicit Composite(std::vector<ScriptedBlock>& children) : Children(children) {}
    bool Setup() override
    {
        bool ok = true;
        for (ScriptedBlock& child : Children)
            ok = child.Setup() && ok;
        return ok;
    }
    std::vector<ScriptedBlock>& Children;
};

} // namespace

TEST(DFModel, DefaultOperationsSucceedAndWriteNothing)
{
    PlainBlock block;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(block.Setup());
    EXPECT_TRUE(block.Initialize());
    EXPECT_TRUE(block.Run());
    EXPECT_TRUE(block.Finalize());
    EXPECT_TRUE(block.Finalize());
    EXPECT_TRUE(block.Validate());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(DFModel, DefaultInitializeDoesNotCallValidate)
{
    std::vector<int> calls;
    ScriptedBlock block(true, calls, 0);
    EXPECT_TRUE(block.Initialize());
    EXPECT_EQ(block.ValidateCalls, 0);
}

TEST(DFModel, ReportErrorWritesOneLineAndAnEmptyMessageJustTheLineEnd)
{
    testing::internal::CaptureStderr();
    DFModel::ReportError("BlockSize must be >= 1");
    DFModel::ReportError("");
    DFModel::ReportError(nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "BlockSize must be >= 1\n\n\n");
}

TEST(DFModel, CompositeCallsEveryChildAfterAFailureAndReturnsTheAnd)
{
    std::vector<int> calls;
    std::vector<ScriptedBlock> children;
    children.emplace_back(false, calls, 0);
    children.emplace_back(true, calls, 1);
    children.emplace_back(false, calls, 2);
    children.emplace_back(true, calls, 3);
    Composite composite(children);
    EXPECT_FALSE(composite.Setup());
    EXPECT_EQ(calls, (std::vector<int>{0, 1, 2, 3}));

    for (ScriptedBlock& child : children)
        child.Result = true;
    calls.clear();
    EXPECT_TRUE(composite.Setup());
    EXPECT_EQ(calls.size(), 4u);
}
