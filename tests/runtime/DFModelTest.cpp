#include "runtime/DFModel.h"

#include <gtest/gtest.h>

using TorvaneModelBuilder::DFModel;

namespace {

class PlainBlock : public DFModel {};

// Counts the calls of its Validate, which fails.
class ValidatingBlock : public DFModel {
public:
    bool Validate() override { ++ValidateCalls; return false; }
    int ValidateCalls = 0;
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
    ValidatingBlock block;
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
