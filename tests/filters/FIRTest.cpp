#include "runtime/filters/FIR.h"

#include <gtest/gtest.h>

#include <complex>
#include <random>
#include <string>
#include <vector>

#include "runtime/filters/FirBlockKernel.h"
#include "runtime/filters/FirKernel.h"

using TorvaneModelBuilder::FIR;

namespace {

using Complex = std::complex<double>;

// Owns the port storage of one filter, as the owner of a graph does: D input
// and I output elements at position 0.
template <typename T, int mode = 0>
struct Harness {
    FIR<T, mode> Filter;
    std::vector<T> Taps;
    std::vector<T> In, Out;

    Harness(std::vector<T> taps, int decimation, int phase, int interpolation)
        : Taps(std::move(taps)), In(decimation), Out(interpolation)
    {
        Filter.Taps = Taps.data();
        Filter.NumTaps = static_cast<int>(Taps.size());
        Filter.Decimation = decimation;
        Filter.DecimationPhase = phase;
        Filter.Interpolation = interpolation;
        EXPECT_TRUE(Filter.Setup());
        Filter.Input.Attach(In.data(), In.size(), In.size(), 0);
        Filter.Output.Attach(Out.data(), Out.size(), Out.size(), 0);
        EXPECT_TRUE(Filter.Initialize());
    }

    // Feeds x (a whole number of firings) and returns every output in order.
    std::vector<T> Feed(const std::vector<T>& x)
    {
        std::vector<T> y;
        for (std::size_t n = 0; n + In.size() <= x.size(); n += In.size()) {
            std::copy(x.begin() + n, x.begin() + n + In.size(), In.begin());
            EXPECT_TRUE(Filter.Run());
            y.insert(y.end(), Out.begin(), Out.end());
        }
        return y;
    }
};

// The defining stream: x with I-1 zeros after each sample, convolved with h
// (zero terms skipped, newest first), every D-th sample from the phase on.
template <typename T>
std::vector<T> Reference(const std::vector<T>& h, const std::vector<T>& x, int d, int phase, int i)
{
    std::vector<T> y;
    for (std::size_t m = phase; m < x.size() * i; m += d) {
        T acc{};
        for (std::size_t t = 0; t < h.size() && t <= m; ++t)
            if ((m - t) % i == 0)
                acc = h[t] * x[(m - t) / i] + acc;
        y.push_back(acc);
    }
    return y;
}

template <typename T, typename Draw>
void ExpectSweepMatchesReference(Draw draw)
{
    std::mt19937 gen(11);
    for (int numTaps : {1, 2, 3, 7, 64})
        for (int d = 1; d <= 3; ++d)
            for (int phase = 0; phase < d; ++phase)
                for (int i = 1; i <= 3; ++i)
                    for (int firings : {0, 1, 2, 5, 150}) {
                        std::vector<T> h(numTaps), x(static_cast<std::size_t>(firings * d));
                        for (T& v : h)
                            v = draw(gen);
                        for (T& v : x)
                            v = draw(gen);
                        Harness<T> run(h, d, phase, i);
                        EXPECT_EQ(run.Feed(x), Reference(h, x, d, phase, i))
                            << "taps " << numTaps << " D " << d << " phase " << phase << " I "
                            << i << " firings " << firings;
                    }
}

// A block convolution for any T, written plainly: what the SIMD kernels
// must equal, and the only one there is for complex samples.
template <typename T>
void SerialConvolve(const T* taps, std::size_t numTaps, const T* x, T* y, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        y[i] = TorvaneModelBuilder::FirAccumulateRun(T(), taps, 1, x + i, numTaps);
}

// Feeds `x` to a fired twin and, in blocks of the given sizes (cycled), to a
// block twin through FilterBlock, PushBlock or PushNewest in turn (PushNewest
// given only the samples it may read, so that a read before them is caught);
// outputs, NewestOutput and the delay line must match after each.
template <typename T>
void ExpectBlocksMatchFirings(const std::vector<T>& h, const std::vector<T>& x,
                              const std::vector<std::size_t>& sizes,
                              typename FIR<T, 0>::BlockConvolveFn convolve, const char* name)
{
    Harness<T> fired(h, 1, 0, 1), block(h, 1, 0, 1);
    ASSERT_TRUE(block.Filter.IsPlainConvolution());
    std::vector<T> scratch;
    std::size_t at = 0;
    for (std::size_t call = 0; at < x.size(); ++call) {
        const std::size_t n = std::min(sizes[call % sizes.size()], x.size() - at);
        const std::vector<T> in(x.begin() + at, x.begin() + at + n);
        const std::vector<T> expected = fired.Feed(in);
        std::vector<T> out(n, T(-7.0));
        if (call % 3 == 0) {
            scratch.assign(block.Filter.BlockScratchSize(n), T(-7.0));
            block.Filter.FilterBlock(in.data(), out.data(), n, convolve, scratch.data());
            ASSERT_EQ(out, expected) << name << " taps " << h.size() << " at " << at;
        } else if (call % 3 == 1) {
            block.Filter.PushBlock(in.data(), n);
        } else {
            const std::size_t kept = std::min(n, block.Filter.DelayLine.Capacity);
            const std::vector<T> newest(in.end() - static_cast<std::ptrdiff_t>(kept), in.end());
            block.Filter.PushNewest(newest.data() + kept, n);
        }
        at += n;
        if (at > 0) {
            ASSERT_EQ(block.Filter.NewestOutput(), fired.Out[0]) << name << " at " << at;
        }
        const std::size_t length = fired.Filter.DelayLine.Capacity;
        for (std::size_t offset = 0; offset < length; ++offset)
            ASSERT_EQ(block.Filter.DelayLine.ElementAt(offset), fired.Filter.DelayLine.ElementAt(offset))
                << name << " taps " << h.size() << " at " << at << " offset " << offset;
    }
}

std::string SetupMessages(FIR<double, 0>& filter, bool& result)
{
    testing::internal::CaptureStderr();
    result = filter.Setup();
    return testing::internal::GetCapturedStderr();
}

} // namespace

TEST(Fir, RealOutputsEqualTheZeroStuffedConvolutionBitForBit)
{
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    ExpectSweepMatchesReference<double>([&](std::mt19937& g) { return value(g); });
}

TEST(Fir, ComplexOutputsEqualTheZeroStuffedConvolutionBitForBit)
{
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    ExpectSweepMatchesReference<Complex>(
        [&](std::mt19937& g) { return Complex(value(g), value(g)); });
}

TEST(Fir, UnitImpulseYieldsTapsInOrderThenZeros)
{
    Harness<double, 1> plain({0.5, -2.0, 3.0}, 1, 0, 1);
    EXPECT_EQ(plain.Feed({1, 0, 0, 0, 0}), (std::vector<double>{0.5, -2.0, 3.0, 0, 0}));

    // I = 2 with 3 taps: the first output of a firing takes h[0], h[2], the
    // second h[1] and a missing h[3] that counts as zero.
    Harness<double> up({1.0, 2.0, 3.0}, 1, 0, 2);
    EXPECT_EQ(up.Filter.TapsPerPhase, 2);
    EXPECT_EQ(up.Feed({1, 0, 0}), (std::vector<double>{1, 2, 3, 0, 0, 0}));

    // D = 2: phase 0 takes the older of the two new samples as its newest
    // term, phase 1 the newer one.
    Harness<double> older({1.0, 10.0}, 2, 0, 1), newer({1.0, 10.0}, 2, 1, 1);
    EXPECT_EQ(older.Feed({1, 2, 3, 4}), (std::vector<double>{1, 3 + 20}));
    EXPECT_EQ(newer.Feed({1, 2, 3, 4}), (std::vector<double>{2 + 10, 4 + 30}));

    Harness<Complex> rotate({Complex(0, 1)}, 1, 0, 1);
    EXPECT_EQ(rotate.Feed({Complex(1, 0)}), (std::vector<Complex>{Complex(0, 1)}));
}

TEST(Fir, InitializeAgainRestartsFromZeroHistoryAndFinalizeReleases)
{
    const std::vector<double> h{0.3, -0.1, 0.7, 0.2}, x{1.5, -2.5, 0.25, 4.0, 1.0, -3.0, 2.0};
    Harness<double> fresh(h, 1, 0, 1), reused(h, 1, 0, 1);
    reused.Feed({9.0, 8.0, 7.0});
    EXPECT_TRUE(reused.Filter.Initialize());
    EXPECT_EQ(reused.Feed(x), fresh.Feed(x));

    EXPECT_TRUE(reused.Filter.Finalize());
    EXPECT_EQ(reused.Filter.DelayStorage, nullptr);
    EXPECT_EQ(reused.Filter.DelayLine.Data, nullptr);
    EXPECT_TRUE(reused.Filter.Initialize());
    Harness<double> again(h, 1, 0, 1);
    EXPECT_EQ(reused.Feed(x), again.Feed(x));
}

TEST(Fir, SetupSizesPortsAndDelayLineAndTheNewestSampleLandsAtLMinusTwo)
{
    Harness<double> multirate({1, 2, 3, 4, 5, 6, 7}, 3, 1, 2);
    EXPECT_EQ(multirate.Filter.Input.Size, 3u);
    EXPECT_EQ(multirate.Filter.Output.Size, 2u);
    EXPECT_EQ(multirate.Filter.DelayLine.MaxSize, 7u / 2 + 3 + 1);
    EXPECT_EQ(multirate.Filter.DelayLine.Size, 3u);
    EXPECT_EQ(multirate.Filter.TapsPerPhase, 4);

    // The layout a block path may rely on: after each Run with D = I = 1 the
    // newest sample is at logical offset L-2 and older ones below it.
    Harness<double> plain({1, 1, 1}, 1, 0, 1);
    const std::size_t l = plain.Filter.DelayLine.MaxSize;
    EXPECT_EQ(l, 5u);
    double previous = 0.0;
    for (double v : {4.0, 5.0, 6.0, 7.0, 8.0, 9.0}) {
        plain.Feed({v});
        EXPECT_EQ(plain.Filter.DelayLine.ElementAt(l - 2), v);
        EXPECT_EQ(plain.Filter.DelayLine.ElementAt(l - 3), previous);
        previous = v;
    }
}

TEST(Fir, SetupWritesEveryFailedCheckInOrderAndChangesNothing)
{
    FIR<double, 0> filter;
    bool ok = true;
    filter.NumTaps = 0;
    filter.Decimation = 0;
    EXPECT_EQ(SetupMessages(filter, ok), "There must be at least one Tap\n"
                                         "Decimation must be > 0\n"
                                         "DecimationPhase must be < Decimation ratio\n");
    EXPECT_FALSE(ok);

    filter.Decimation = 2;
    filter.DecimationPhase = -1;
    EXPECT_EQ(SetupMessages(filter, ok),
              "There must be at least one Tap\nDecimationPhase must be >= 0\n");
    EXPECT_FALSE(ok);

    filter.DecimationPhase = 0;
    filter.Interpolation = 0;
    EXPECT_EQ(SetupMessages(filter, ok),
              "There must be at least one Tap\nInterpolation must be > 0\n");
    EXPECT_FALSE(ok);

    filter.NumTaps = 4;
    EXPECT_EQ(SetupMessages(filter, ok), "Interpolation must be > 0\n");
    EXPECT_FALSE(ok);

    EXPECT_EQ(filter.Input.Size, 1u);
    EXPECT_EQ(filter.Output.Size, 1u);
    EXPECT_EQ(filter.DelayLine.MaxSize, 1u);
    EXPECT_EQ(filter.TapsPerPhase, 0);

    filter.Interpolation = 1;
    EXPECT_EQ(SetupMessages(filter, ok), "");
    EXPECT_TRUE(ok);
}

TEST(Fir, BlockOperationsEqualFiringsForEveryLengthAndSplit)
{
    using namespace TorvaneModelBuilder;
    std::mt19937 gen(13);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    const std::vector<std::size_t> splits[] = {{1}, {0, 2, 1, 5}, {3, 70, 1, 9}, {150}};
    for (int numTaps : {1, 2, 3, 7, 64}) {
        std::vector<double> h(numTaps), x(300);
        for (double& v : h)
            v = value(gen);
        for (double& v : x)
            v = value(gen);
        for (const std::vector<std::size_t>& sizes : splits) {
            ExpectBlocksMatchFirings<double>(h, x, sizes, SerialConvolve<double>, "serial");
            for (SimdLevel level : {SimdLevel::Portable, SimdLevel::Sse2, SimdLevel::Avx2,
                                    SimdLevel::Avx512})
                if (const FirBlockKernels* kernels = FirBlockKernelsFor(level))
                    ExpectBlocksMatchFirings<double>(h, x, sizes, kernels->Convolve, kernels->Name);
        }
        std::vector<Complex> hc(h.size()), xc(x.size());
        for (std::size_t k = 0; k < h.size(); ++k)
            hc[k] = Complex(h[k], value(gen));
        for (std::size_t k = 0; k < x.size(); ++k)
            xc[k] = Complex(x[k], value(gen));
        ExpectBlocksMatchFirings<Complex>(hc, xc, {4, 1, 33}, SerialConvolve<Complex>, "complex");
    }
}

TEST(Fir, BlockOperationsApplyOnlyToAnInitialisedPlainConvolution)
{
    Harness<double> multirate({1, 2, 3}, 2, 0, 1);
    EXPECT_FALSE(multirate.Filter.IsPlainConvolution());
    Harness<double> plain({1, 2, 3}, 1, 0, 1);
    EXPECT_TRUE(plain.Filter.IsPlainConvolution());
    plain.Filter.Finalize();
    EXPECT_FALSE(plain.Filter.IsPlainConvolution());
    FIR<double, 0> fresh;
    EXPECT_FALSE(fresh.IsPlainConvolution());
}
