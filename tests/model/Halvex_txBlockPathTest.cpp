#include "model/Halvex_tx.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "tests/model/TwinState.h"

using namespace TorvaneModelBuilder;

namespace {

// A model with its ports attached to storage of its own, set up and initialised.
struct PortedModel {
    explicit PortedModel(double de)
    {
        model.InputPort.Attach(&ports[0], 1, 1, 0);
        model.OutputPort.Attach(&ports[1], 1, 1, 0);
        model.AuxOutputPort.Attach(&ports[2], 1, 1, 0);
        model.de = de;
        ready = model.Setup() && model.Initialize();
    }
    ~PortedModel() { model.Finalize(); }

    // The reference: one Run per sample, as the entry point fires it.
    void FirePerSample(std::vector<double>& wave)
    {
        for (double& x : wave) {
            model.InputPort.ElementAt(0) = x;
            ASSERT_TRUE(model.Run());
            x = model.OutputPort.ElementAt(0);
        }
    }

    // RunBlock with the kernels of `kernels`, where it applies.
    bool RunBlock(std::vector<double>& wave, const FirBlockKernels& kernels)
    {
        if (!model.BlockPathApplies())
            return false;
        model.RunBlock(wave.data(), wave.size(), kernels.Convolve);
        return true;
    }

    Halvex_tx model;
    double ports[3] = {};
    bool ready = false;
};

// Random waves of several kinds: ordinary levels, runs of zeros, very large
// values, and now and then a NaN or an infinity.
std::vector<double> Wave(std::size_t n, std::mt19937& random)
{
    std::uniform_real_distribution<double> level(-1.0, 1.0);
    const unsigned kind = random() % 8;
    std::vector<double> wave(n);
    for (double& x : wave)
        x = kind == 0 ? 0.0 : kind == 1 ? level(random) * 1e150 : level(random);
    if (kind == 2 && n > 0) {
        const double specials[] = {std::numeric_limits<double>::quiet_NaN(),
                                   std::numeric_limits<double>::infinity(),
                                   -std::numeric_limits<double>::infinity(), -0.0, 5e-324};
        wave[random() % n] = specials[random() % 5];
    }
    return wave;
}

// A block-path twin and a per-sample twin at setting `de`, fed the same
// random waves.
struct Twins {
    Twins(double de, SimdLevel level, unsigned seed)
        : block(de), reference(de), kernels(FirBlockKernelsFor(level)), random(seed),
          selected(Halvex_tx::FilterSelectedBy(TypeConverterRound::Convert(de))),
          name(std::string(kernels != nullptr ? kernels->Name : "none") + " de " + std::to_string(de))
    {
    }

    bool Ready() const { return block.ready && reference.ready && kernels != nullptr; }

    // One call of n samples on both, the block twin per sample when
    // `blockTwinFiresPerSample`; every output must be the same.
    void Call(std::size_t n, bool blockTwinFiresPerSample = false)
    {
        const std::string where = name + " call " + std::to_string(calls++);
        std::vector<double> a = Wave(n, random);
        std::vector<double> b = a;
        if (blockTwinFiresPerSample)
            block.FirePerSample(a);
        else
            ASSERT_TRUE(block.RunBlock(a, *kernels)) << where;
        reference.FirePerSample(b);
        for (std::size_t i = 0; i < n; ++i)
            ASSERT_TRUE(SameValue(a[i], b[i])) << where << " sample " << i;
    }

    // The first difference of state (TwinState.h), "" for none. The 15
    // unselected filters' output links are compared as the values they stand
    // for, and the delay lines catch up first: RunBlock leaves both behind.
    std::string StateDifference() { return FirstDifference(block.model, reference.model, selected); }

    PortedModel block, reference;
    const FirBlockKernels* kernels;
    std::mt19937 random;
    int selected;
    std::string name;
    std::size_t calls = 0;
};

// Drives the twins through the same calls and compares outputs and state
// after each.
void DriveTwins(double de, SimdLevel level, const std::vector<std::size_t>& sizes, unsigned seed)
{
    Twins twins(de, level, seed);
    ASSERT_TRUE(twins.Ready());
    for (std::size_t n : sizes) {
        twins.Call(n);
        ASSERT_EQ(twins.StateDifference(), "") << twins.name << " after call " << twins.calls;
    }
}

std::vector<std::size_t> RandomSizes(std::size_t total, std::size_t largest, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<std::size_t> sizes;
    while (total > 0) {
        std::size_t size = std::min<std::size_t>(total, 1 + random() % largest);
        if (random() % 3 == 0)
            size = std::min<std::size_t>(total, 1 + random() % 4);
        sizes.push_back(size);
        total -= size;
    }
    return sizes;
}

} // namespace

TEST(Halvex_txBlockPath, AgreesWithPerSampleFiringForEverySetting)
{
    for (int de = 0; de <= 15; ++de)
        DriveTwins(de, BestSimdLevel(), RandomSizes(2600, 700, de), 100 + de);
}

TEST(Halvex_txBlockPath, AgreesOnCallsLongerThanItsChunks)
{
    // 70,000 samples cross many chunks; the 1-sample calls around them test
    // the state hand-over at both ends.
    DriveTwins(12.4, BestSimdLevel(), {1, 70000, 1, 4097, 3}, 7);
}

TEST(Halvex_txBlockPath, EveryInstructionSetOfThisProcessorAgrees)
{
    for (SimdLevel level : {SimdLevel::Portable, SimdLevel::Sse2, SimdLevel::Avx2, SimdLevel::Avx512}) {
        if (FirBlockKernelsFor(level) == nullptr)
            continue;
        DriveTwins(9, level, {1, 37, 700, 2, 1500}, 11);
        DriveTwins(0, level, {4200}, 12);
    }
}

TEST(Halvex_txBlockPath, StepsAsideOutsideTheNormalState)
{
    PortedModel model(3);
    ASSERT_TRUE(model.ready);
    Halvex_tx& m = model.model;
    EXPECT_TRUE(m.BlockPathApplies());

    m.DeSource.Value = 15.5; // rounds to 16: the selector would fail
    EXPECT_FALSE(m.BlockPathApplies());
    m.DeSource.Value = -0.4; // rounds to 0
    EXPECT_TRUE(m.BlockPathApplies());

    m.Filters[4].Decimation = 2;
    EXPECT_FALSE(m.BlockPathApplies());
    m.Filters[4].Decimation = 1;

    m.SamplesPerBit = 33.0; // more taps: the window is too short until Initialize
    ASSERT_TRUE(m.Setup());
    EXPECT_FALSE(m.BlockPathApplies());
    ASSERT_TRUE(m.Initialize());
    EXPECT_TRUE(m.BlockPathApplies());

    m.Finalize(); // no links, no delay lines, no window
    EXPECT_FALSE(m.BlockPathApplies());
}

// The block path keeps its own copy of the history between calls; firings
// per sample, a restart and many short calls (whose history must move back
// to the window's start now and then) come between blocks here, and the
// block twin must still match a twin fired per sample all along.
TEST(Halvex_txBlockPath, AgreesWhenPerSampleFiringsAndRestartsComeBetweenBlocks)
{
    Twins twins(6, BestSimdLevel(), 21);
    ASSERT_TRUE(twins.Ready());
    auto both = [&](std::size_t n, bool blockTwinFiresPerSample) {
        twins.Call(n, blockTwinFiresPerSample);
        ASSERT_EQ(twins.StateDifference(), "") << "after call " << twins.calls;
    };
    both(500, false);
    both(37, true);
    both(9000, false);
    both(1, true);
    both(3, false);
    ASSERT_TRUE(twins.block.model.Initialize());
    ASSERT_TRUE(twins.reference.model.Initialize());
    both(100, false);
    for (int call = 0; call < 300; ++call)
        both(37, false);
}

// The block path brings its delay lines up to date only when something reads
// them. Here they lag behind over many calls, across window moves and by far
// more than a delay line holds, and a per-sample firing (which reads them)
// or a new Setup (after which the window is read back from a delay line)
// must find them as the per-sample twin left its own; no state is compared
// before the end, since comparing catches them up.
TEST(Halvex_txBlockPath, DelayLinesLaggingOverManyCallsCatchUpWhenSomethingReadsThem)
{
    Twins twins(11, BestSimdLevel(), 31);
    ASSERT_TRUE(twins.Ready());
    for (std::size_t n : {37, 5000, 1, 2, 9000})
        twins.Call(n);
    for (int i = 0; i < 300; ++i)
        twins.Call(37);
    twins.Call(64, true); // Run catches the lines up from the window
    twins.Call(3);
    twins.Call(12000);
    ASSERT_TRUE(twins.block.model.Setup());
    ASSERT_TRUE(twins.reference.model.Setup());
    twins.Call(500); // the window read back from a caught-up line
    twins.Call(1, true);
    ASSERT_EQ(twins.StateDifference(), "");
}
