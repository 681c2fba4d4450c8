#include "runtime/DFModel.h"

#include <gtest/gtest.h>

using TorvaneModelBuilder::DFModel;

namespace {

// Counts the calls of its Validate, which fails.
class ValidatingBlock : public DFModel {
public:
    bool Validate() override { ++ValidateCalls; return false; }
    int ValidateCalls = 0;
};

} // namespace

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
