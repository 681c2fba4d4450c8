#include "model/Halvex_tx.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "model/report/StepResponseFigures.h"

using namespace TorvaneModelBuilder;

namespace {

// A model with its three ports attached to storage owned by the fixture.
class ModelFixture : public testing::Test {
protected:
    void Attach()
    {
        model.InputPort.Attach(&ports[0], 1, 1, 0);
        model.OutputPort.Attach(&ports[1], 1, 1, 0);
        model.AuxOutputPort.Attach(&ports[2], 1, 1, 0);
    }
    bool Start(double de)
    {
        Attach();
        model.de = de;
        return model.Setup() && model.Initialize();
    }
    // One firing with input x; returns Run's result.
    bool Fire(double x)
    {
        ports[0] = x;
        return model.Run();
    }
    void TearDown() override { model.Finalize(); }

    Halvex_tx model;
    double ports[3] = {};
};

} // namespace

TEST_F(ModelFixture, EverySettingSelectsItsTableEntry)
{
    // The wiring's own examples: more de-emphasis for a larger setting.
    EXPECT_EQ(Halvex_tx::FilterSelectedBy(0), 0);
    EXPECT_EQ(Halvex_tx::FilterSelectedBy(1), 8);
    EXPECT_EQ(Halvex_tx::FilterSelectedBy(8), 15);
    EXPECT_EQ(Halvex_tx::FilterSelectedBy(9), 1);
    EXPECT_EQ(Halvex_tx::FilterSelectedBy(15), 7);
    EXPECT_EQ(Halvex_tx::FilterSelectedBy(16), -1);
    for (int k = 0; k <= 15; ++k) {
        ASSERT_TRUE(Start(k));
        // Mark every filter by its first tap, so one firing names the filter.
        for (int j = 0; j < Halvex_tx::NumFilters; ++j)
            model.Filters[j].Taps[0] = j + 1;
        ASSERT_TRUE(Fire(1.0));
        EXPECT_EQ(ports[1], (Halvex_tx::FilterSelectedBy(k) + 1) * 1.1) << "de " << k;
    }
}

TEST_F(ModelFixture, FiltersFeedTheSelectorInputsOfTheWiringTable)
{
    ASSERT_TRUE(Start(3));
    for (int j = 0; j < Halvex_tx::NumFilters; ++j) {
        const int input = Halvex_tx::SelectorInputOf[j];
        EXPECT_EQ(model.Filters[j].Output.Data, model.Selector.Inputs.At(input)->Data);
        EXPECT_EQ(model.Filters[j].Output.Data, model.LinkArrays[Halvex_tx::FilterOutputLink(j)]);
        EXPECT_EQ(model.Filters[j].Input.Data, model.LinkArrays[Halvex_tx::FilterInputLink(j)]);
    }
    EXPECT_EQ(model.Selector.Inputs.Count, 16u);
    EXPECT_EQ(model.Splitter.Outputs.Count, 17u);
}

TEST_F(ModelFixture, EveryFilterGetsItsTableEntryAtTheDefaultRate)
{
    ASSERT_TRUE(Start(15));
    for (int j = 0; j < Halvex_tx::NumFilters; ++j) {
        EXPECT_EQ(model.Filters[j].SampleRate, 4.096e11);
        ASSERT_EQ(model.Filters[j].NumTaps, 2047);
        const std::vector<double> taps = TapsOfEntry(j, 4.096e11);
        EXPECT_EQ(std::memcmp(model.Filters[j].Taps, taps.data(), taps.size() * sizeof(double)), 0)
            << "filter " << j;
    }
}

TEST_F(ModelFixture, AuxOutputHoldsTheScaledInputAndZerosGiveZeros)
{
    ASSERT_TRUE(Start(9));
    for (double x : {0.0, 0.0, 0.0}) {
        ASSERT_TRUE(Fire(x));
        EXPECT_EQ(ports[1], 0.0);
    }
    for (double x : {2.0, -0.5, 3.0}) {
        ASSERT_TRUE(Fire(x));
        EXPECT_EQ(ports[2], x * 1.1);
    }
}

TEST_F(ModelFixture, OutOfRangeSettingFailsEveryRunButStillCopiesThePorts)
{
    ASSERT_TRUE(Start(15.5));
    for (int i = 0; i < 2; ++i) {
        testing::internal::CaptureStderr();
        EXPECT_FALSE(Fire(2.0));
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "Control input signal value is equal to 16.  There are 16 inputs connected.  "
                  "The valid control input range is [0,15].\n");
        EXPECT_EQ(ports[1], 0.0); // the zeroed output link, never uninitialised memory
        EXPECT_EQ(ports[2], 2.2);
    }
}

TEST_F(ModelFixture, RepeatedSetupAndInitializeHoldOneSetOfCopiesAndLinks)
{
    ASSERT_TRUE(Start(4));
    ASSERT_TRUE(model.Setup());
    ASSERT_TRUE(model.Initialize());
    ASSERT_TRUE(model.Initialize());
    // A second Setup builds the same taps: the table was never written.
    const std::vector<double> taps = TapsOfEntry(11, 4.096e11);
    EXPECT_EQ(std::memcmp(model.Filters[11].Taps, taps.data(), taps.size() * sizeof(double)), 0);
    ASSERT_TRUE(Fire(1.0)); // LeakSanitizer reports any copy or link left behind
}

TEST_F(ModelFixture, FinalizeReleasesEveryCopyAndLink)
{
    ASSERT_TRUE(Start(4));
    EXPECT_TRUE(model.Finalize());
    for (const TimeResponseFIR& filter : model.Filters) {
        EXPECT_EQ(filter.Response, nullptr);
        EXPECT_EQ(filter.ResponseTimeStamps, nullptr);
    }
    for (void* link : model.LinkArrays)
        EXPECT_EQ(link, nullptr);
    EXPECT_TRUE(model.Finalize());
}

TEST_F(ModelFixture, ZeroSampleRateFailsSetupInEveryFilter)
{
    Attach();
    model.SamplesPerBit = 0.0;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(model.Setup());
    const std::string diagnostics = testing::internal::GetCapturedStderr();
    std::size_t count = 0;
    for (std::size_t at = diagnostics.find("SampleRate must be > 0.0"); at != std::string::npos;
         at = diagnostics.find("SampleRate must be > 0.0", at + 1))
        ++count;
    EXPECT_EQ(count, 16u);
}

TEST(Halvex_tx, DestroyingTheModelLeavesThePortStorage)
{
    double storage[3] = {1.0, 2.0, 3.0};
    {
        Halvex_tx model;
        model.InputPort.Attach(&storage[0], 1, 1, 0);
    }
    EXPECT_EQ(storage[0], 1.0);
}
