#include "runtime/CircularBuffer.h"

#include <gtest/gtest.h>

#include <complex>
#include <numeric>
#include <vector>

using namespace TorvaneModelBuilder;

namespace {

// A double buffer over `storage` with the given position.
CircularBuffer<double> Over(std::vector<double>& storage, std::size_t position)
{
    CircularBuffer<double> buffer;
    buffer.Attach(storage.data(), storage.size(), 1, position);
    return buffer;
}

std::vector<double> Iota(std::size_t n, double first)
{
    std::vector<double> v(n);
    std::iota(v.begin(), v.end(), first);
    return v;
}

} // namespace

TEST(CircularBuffer, SetSizeOnlyRaisesMaxSize)
{
    CircularBuffer<double> buffer;
    buffer.SetSize(3);
    buffer.SetSize(2);
    EXPECT_EQ(buffer.Size, 2u);
    EXPECT_EQ(buffer.MaxSize, 3u);
}

TEST(CircularBuffer, LogicalOffsetsWrapExactlyOnceAtCapacity)
{
    std::vector<double> storage = Iota(4, 0.0);
    CircularBuffer<double> buffer = Over(storage, 3);
    EXPECT_EQ(buffer.IndexAt(0), 3u);
    EXPECT_EQ(buffer.IndexAt(1), 0u);
    EXPECT_EQ(buffer.IndexAt(3), 2u);
    EXPECT_EQ(buffer.ElementAt(2), 1.0);
    EXPECT_EQ(buffer.Data, storage.data());

    buffer.Size = 3;
    buffer.Advance();
    EXPECT_EQ(buffer.Position, 2u);
}

TEST(CircularBuffer, CopyToSplitsIntoThreeRunsWhenBothSidesWrap)
{
    std::vector<double> from = Iota(4, 10.0); // 10 11 12 13
    std::vector<double> to(8, -1.0);
    CircularBuffer<double> source = Over(from, 2);
    CircularBuffer<double> target = Over(to, 7);
    source.CopyTo(0, target, 0, 3);
    // Source indices 2, 3, 0 land on target indices 7, 0, 1.
    EXPECT_EQ(to, (std::vector<double>{13, 10, -1, -1, -1, -1, -1, 12}));

    std::vector<double> again(8, -1.0);
    CircularBuffer<double> wide = Over(again, 5);
    source.CopyTo(1, wide, 0, 0); // a count of 0 copies nothing
    EXPECT_EQ(again, std::vector<double>(8, -1.0));
}

TEST(CircularBuffer, SingleElementCopyMapsBothOffsets)
{
    std::vector<double> from = Iota(4, 10.0);
    std::vector<double> to(4, -1.0);
    CircularBuffer<double> source = Over(from, 3);
    CircularBuffer<double> target = Over(to, 0);
    source.CopyTo(1, target, 2, 1); // source index 0 -> target index 2
    EXPECT_EQ(to, (std::vector<double>{-1, -1, 10, -1}));
}

TEST(CircularBuffer, BlockReadAndWriteFollowTheRing)
{
    std::vector<double> storage = Iota(5, 0.0);
    CircularBuffer<double> buffer = Over(storage, 3);
    double out[5];
    buffer.ReadBlock(1, out, 4); // indices 4 0 1 2
    EXPECT_EQ(std::vector<double>(out, out + 4), (std::vector<double>{4, 0, 1, 2}));

    const double in[3] = {7, 8, 9};
    buffer.WriteBlock(0, in, 3); // indices 3 4 0
    EXPECT_EQ(storage, (std::vector<double>{9, 1, 2, 7, 8}));
}

TEST(CircularBuffer, ClearWritesTheZeroValueOfEachPlainType)
{
    std::vector<double> storage = Iota(4, 1.0);
    CircularBuffer<double> buffer = Over(storage, 2);
    EXPECT_TRUE(buffer.Clear(0, 0, nullptr));
    EXPECT_EQ(storage, (std::vector<double>{1, 2, 3, 4}));
    EXPECT_TRUE(buffer.Clear(1, 2, nullptr)); // indices 3 and 0
    EXPECT_EQ(storage, (std::vector<double>{0, 2, 3, 0}));

    CircularBuffer<EnvelopeSignal> envelopes;
    EnvelopeSignal ring[2] = {{1, 2}, {3, 4}};
    envelopes.Attach(ring, 2, 1, 1);
    envelopes.Clear(0, 2, nullptr);
    EXPECT_EQ(ring[0], EnvelopeSignal{});
    EXPECT_EQ(ring[1], EnvelopeSignal{});

    CircularBuffer<bool> flags;
    bool bits[3] = {true, true, true};
    flags.Attach(bits, 3, 1, 2);
    flags.Clear(0, 2, nullptr);
    EXPECT_FALSE(bits[2]);
    EXPECT_FALSE(bits[0]);
    EXPECT_TRUE(bits[1]);
}

TEST(CircularBuffer, AllocatedComplexAndEnvelopeElementsStartAtZero)
{
    CircularBuffer<std::complex<float>> complexes;
    auto* c = static_cast<std::complex<float>*>(complexes.AllocateStorage(3));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(c[i], std::complex<float>(0, 0));
    complexes.FreeStorage(c);
    EXPECT_EQ(complexes.Data, nullptr); // freeing a given array leaves the buffer alone

    CircularBuffer<EnvelopeSignal> envelopes;
    auto* e = static_cast<EnvelopeSignal*>(envelopes.AllocateStorage(2));
    EXPECT_EQ(e[1], EnvelopeSignal{});
    envelopes.FreeStorage(e);
}

TEST(CircularBuffer, FreeStorageOfNullReleasesOwnDataAndDetaches)
{
    CircularBuffer<int> buffer;
    int* data = static_cast<int*>(buffer.AllocateStorage(4));
    buffer.Attach(data, 4, 2, 3);
    buffer.FreeStorage(nullptr); // LeakSanitizer checks the release
    EXPECT_EQ(buffer.Data, nullptr);
    EXPECT_EQ(buffer.Capacity, 0u);
    EXPECT_EQ(buffer.Position, 0u);
    EXPECT_EQ(buffer.Size, 2u);
}

TEST(CircularBuffer, DestroyingABufferLeavesItsStorage)
{
    std::vector<double> storage = Iota(2, 5.0);
    {
        CircularBuffer<double> buffer = Over(storage, 0);
        buffer.ElementAt(1) = 9.0;
    }
    EXPECT_EQ(storage, (std::vector<double>{5, 9}));
}

TEST(MatrixBuffer, CopiesAreDeepAndReshapeTheTarget)
{
    using M = Matrix<double>;
    CircularBuffer<M> source;
    CircularBuffer<M> target;
    M* from = static_cast<M*>(source.AllocateStorage(3));
    M* to = static_cast<M*>(target.AllocateStorage(2));
    EXPECT_EQ(from[0].Count(), 0u); // allocated matrices are empty
    EXPECT_EQ(from[0].DimensionCount(), 2u);
    source.Attach(from, 3, 1, 2);
    target.Attach(to, 2, 1, 1);

    from[2] = M({2, 3});
    from[2][5] = 4.5;
    from[0] = M({1});
    from[0][0] = -1.0;
    source.CopyTo(0, target, 0, 2); // source 2, 0 -> target 1, 0
    EXPECT_EQ(to[1].Dimensions(), (std::vector<std::size_t>{2, 3}));
    EXPECT_EQ(to[1][5], 4.5);
    EXPECT_EQ(to[0][0], -1.0);
    from[2][5] = 0.0;
    EXPECT_EQ(to[1][5], 4.5); // the copy owns its elements

    M raw[2];
    source.CopyElements(from, raw, 1);
    EXPECT_EQ(raw[0], from[0]);

    M block[2];
    source.ReadBlock(0, block, 2);
    EXPECT_EQ(block[1], from[0]);
    target.WriteBlock(1, block, 1);
    EXPECT_EQ(to[0], from[2]);

    source.FreeStorage(nullptr);
    EXPECT_EQ(source.Data, nullptr);
    target.FreeStorage(to);
}

TEST(MatrixBuffer, ClearReshapesToThePrototypeOrEmpties)
{
    using M = Matrix<std::complex<double>>;
    CircularBuffer<M> buffer;
    M* ring = static_cast<M*>(buffer.AllocateStorage(2));
    buffer.Attach(ring, 2, 1, 0);
    ring[0] = M({3});
    ring[0][1] = {1.0, 2.0};
    ring[1] = M({4});

    const M prototype({2, 2});
    EXPECT_TRUE(buffer.Clear(0, 1, &prototype));
    EXPECT_EQ(ring[0].Dimensions(), prototype.Dimensions());
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(ring[0][i], std::complex<double>(0, 0));

    EXPECT_TRUE(buffer.Clear(1, 1, nullptr));
    EXPECT_EQ(ring[1].Count(), 0u);
    buffer.FreeStorage(nullptr);
}

TEST(TimedCircularBuffer, RateSetsTheTimeStepAndRefusesNegativeOrNaN)
{
    TimedCircularBuffer<double> buffer;
    EXPECT_EQ(buffer.Rate, 0.0);
    EXPECT_TRUE(buffer.SetRate(4.0));
    EXPECT_EQ(buffer.GetTimeStep(), 0.25);
    EXPECT_FALSE(buffer.SetRate(-1.0));
    EXPECT_FALSE(buffer.SetRate(std::nan("")));
    EXPECT_EQ(buffer.Rate, 4.0);
    EXPECT_TRUE(buffer.SetRate(0.0));
    EXPECT_EQ(buffer.GetTimeStep(), 0.0);

    TimedCircularBuffer<Matrix<int>> matrices;
    EXPECT_TRUE(matrices.SetRate(2.0));
    EXPECT_EQ(matrices.TimeStep, 0.5);
}

TEST(TimedCircularBuffer, TimeAtCountsSamplesOfPastFirings)
{
    TimedCircularBuffer<float> buffer;
    buffer.SetRate(10.0);
    buffer.SetStartTime(1.0);
    EXPECT_EQ(buffer.GetStartTime(), 1.0);
    buffer.SetSize(4);
    // k = (2 + 1) * 4 - 4 + 1 = 9
    EXPECT_DOUBLE_EQ(buffer.TimeAt(1, 2), 1.0 + 9 * 0.1);

    // k wraps in unsigned 64-bit arithmetic and converts as unsigned.
    buffer.SetSize(1);
    buffer.MaxSize = 4;
    EXPECT_EQ(buffer.TimeAt(0, 0), 1.0 + static_cast<double>(UINT64_MAX - 2) * 0.1);
}
