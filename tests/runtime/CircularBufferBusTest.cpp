#include "runtime/CircularBufferBus.h"

#include <gtest/gtest.h>

using namespace TorvaneModelBuilder;

TEST(CircularBufferBus, ResizeToTheSameCountKeepsBuffersAndAttachments)
{
    CircularBufferBusT<CircularBuffer<double>> bus;
    EXPECT_EQ(bus.Count, 0u);
    EXPECT_EQ(bus.Buffers, nullptr);

    double storage = 3.0;
    bus.Resize(16);
    bus.At(15)->Attach(&storage, 1, 1, 0);
    CircularBuffer<double>* first = bus.Buffers;
    bus.Resize(16);
    EXPECT_EQ(bus.Buffers, first);
    EXPECT_EQ(bus.At(15)->Data, &storage);

    bus.Resize(17);
    EXPECT_EQ(bus.Count, 17u);
    for (std::size_t i = 0; i < bus.Count; ++i)
        EXPECT_EQ(bus.At(i)->Data, nullptr);
    EXPECT_EQ(storage, 3.0); // never touches attached storage

    bus.Resize(0);
    EXPECT_EQ(bus.Buffers, nullptr);
    EXPECT_EQ(bus.Count, 0u);
}

TEST(CircularBufferBus, BaseAccessReachesTheTypedBuffers)
{
    CircularBufferBusT<TimedCircularBuffer<Matrix<bool>>> bus;
    CircularBufferBus& base = bus;
    base.Resize(2);
    EXPECT_EQ(base.At(1), bus.Buffers + 1);
    EXPECT_EQ(base.At(1)->ElementSize, sizeof(Matrix<bool>));
}
