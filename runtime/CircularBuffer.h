#pragma once

#include <algorithm>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

#include "runtime/EnvelopeSignal.h"
#include "runtime/Matrix.h"

namespace TorvaneModelBuilder {

// A block port: a view of a ring of elements that the buffer does not own.
//
// Element access is by logical offset from Position; offset k maps to storage
// index Position + k, minus Capacity once if that reaches Capacity. Exactly one
// wrap is applied, so offsets must stay below Capacity (caller's obligation;
// nothing is bounds-checked). Invariant: Position < Capacity when Capacity > 0.
//
// Ownership: Data belongs to whoever attached it; destroying a buffer never
// frees it. FreeStorage releases arrays that AllocateStorage returned.
class CircularBufferBase {
public:
    std::size_t Size = 1;        // elements the owning port handles per firing
    std::size_t MaxSize = 1;     // largest Size ever requested; storage must hold this many
    bool IsShared = false;       // reserved flag; no operation reads it
    std::size_t ElementSize;     // bytes per element, set by the typed buffer
    std::size_t Position = 0;    // storage index of logical offset 0
    void* Data = nullptr;        // attached element array, not owned; null when detached
    std::size_t Capacity = 0;    // elements in Data; indices wrap at it
    bool IsEnabled = true;       // reserved flag; no operation reads it

    explicit CircularBufferBase(std::size_t elementSize) : ElementSize(elementSize) {}
    virtual ~CircularBufferBase() = default;

    // Copies `count` elements from logical offset srcOffset of this buffer to
    // logical offset dstOffset of `dst`, which has the same element type.
    virtual void CopyTo(std::size_t srcOffset, CircularBufferBase& dst, std::size_t dstOffset,
                        std::size_t count) = 0;
    // Copies n elements between two plain arrays of this buffer's element type.
    virtual void CopyElements(const void* src, void* dst, std::size_t n) = 0;
    // Sets `count` elements from logical offset `offset` to the zero value.
    // `prototype` (matrix buffers only) gives the shape of the zero matrix.
    virtual bool Clear(std::size_t offset, std::size_t count, const void* prototype) = 0;
    // A new array of n elements; release it with FreeStorage.
    virtual void* AllocateStorage(std::size_t n) = 0;
    // Releases p; with p null releases Data and detaches the buffer.
    virtual void FreeStorage(void* p) = 0;

    std::size_t IndexAt(std::size_t offset) const
    {
        if (offset == 0)
            return Position;
        std::size_t j = Position + offset;
        return j < Capacity ? j : j - Capacity;
    }

    void SetSize(std::size_t n)
    {
        Size = n;
        if (MaxSize < n)
            MaxSize = n;
    }

    void Advance() { Position = IndexAt(Size); }

protected:
    // Splits `count` elements starting at this buffer's logical `offset` and at
    // storage index `otherIndex` of a second ring of `otherCapacity` elements
    // into runs that are contiguous on both sides; calls fn(thisIndex,
    // otherIndex, n) for each run. A plain array is a ring that never wraps.
    template <typename Fn>
    void ForEachRun(std::size_t offset, std::size_t count, std::size_t otherIndex,
                    std::size_t otherCapacity, Fn fn) const
    {
        std::size_t s = IndexAt(offset);
        std::size_t d = otherIndex;
        while (count > 0) {
            std::size_t n = std::min({count, Capacity - s, otherCapacity - d});
            fn(s, d, n);
            s += n;
            d += n;
            if (s == Capacity)
                s = 0;
            if (d == otherCapacity)
                d = 0;
            count -= n;
        }
    }

    static constexpr std::size_t NoWrap = std::numeric_limits<std::size_t>::max();
};

// Typed access and storage management shared by every element type.
template <typename T>
class CircularBufferView : public CircularBufferBase {
public:
    using ElementType = T;

    CircularBufferView() : CircularBufferBase(sizeof(T)) {}

    T* Elements() const { return static_cast<T*>(Data); }
    T& ElementAt(std::size_t offset) { return Elements()[IndexAt(offset)]; }

    void Attach(T* data, std::size_t capacity, std::size_t size, std::size_t position)
    {
        Data = data;
        Capacity = capacity;
        Size = size;
        Position = position;
    }

    // new T[n]: plain scalars stay uninitialised, complex and envelope values
    // are zero, matrices are empty. An n whose byte size overflows throws
    // std::bad_array_new_length like any allocation that cannot be satisfied.
    void* AllocateStorage(std::size_t n) override { return new T[n]; }

    void FreeStorage(void* p) override
    {
        if (p != nullptr) {
            delete[] static_cast<T*>(p);
            return;
        }
        delete[] Elements();
        Data = nullptr;
        Position = 0;
        Capacity = 0;
    }
};

// Buffer of elements that are copied as plain bytes (scalars, complex values,
// envelope samples). Contiguous runs move with one block copy each.
template <typename T>
class CircularBuffer : public CircularBufferView<T> {
public:
    using CircularBufferView<T>::Elements;

    void CopyTo(std::size_t srcOffset, CircularBufferBase& dst, std::size_t dstOffset,
                std::size_t count) override
    {
        T* out = static_cast<T*>(dst.Data);
        if (count == 1) {
            out[dst.IndexAt(dstOffset)] = Elements()[this->IndexAt(srcOffset)];
            return;
        }
        const T* in = Elements();
        this->ForEachRun(srcOffset, count, dst.IndexAt(dstOffset), dst.Capacity,
                         [in, out](std::size_t s, std::size_t d, std::size_t n) {
                             std::memmove(out + d, in + s, n * sizeof(T));
                         });
    }

    void CopyElements(const void* src, void* dst, std::size_t n) override
    {
        if (n > 0)
            std::memmove(dst, src, n * sizeof(T));
    }

    bool Clear(std::size_t offset, std::size_t count, const void*) override
    {
        T* data = Elements();
        this->ForEachRun(offset, count, 0, this->NoWrap,
                         [data](std::size_t s, std::size_t, std::size_t n) {
                             std::fill(data + s, data + s + n, T());
                         });
        return true;
    }

    void ReadBlock(std::size_t offset, T* out, std::size_t count)
    {
        const T* in = Elements();
        this->ForEachRun(offset, count, 0, this->NoWrap,
                         [in, out](std::size_t s, std::size_t d, std::size_t n) {
                             std::memcpy(out + d, in + s, n * sizeof(T));
                         });
    }

    void WriteBlock(std::size_t offset, const T* in, std::size_t count)
    {
        T* out = Elements();
        this->ForEachRun(offset, count, 0, this->NoWrap,
                         [in, out](std::size_t s, std::size_t d, std::size_t n) {
                             std::memcpy(out + s, in + d, n * sizeof(T));
                         });
    }
};

// Buffer of elements that own memory (matrices): every copy is an element-wise
// assignment, which reshapes the target and copies deeply.
template <typename M>
class CircularBufferE : public CircularBufferView<M> {
public:
    using CircularBufferView<M>::Elements;
    using CircularBufferView<M>::ElementAt;

    void CopyTo(std::size_t srcOffset, CircularBufferBase& dst, std::size_t dstOffset,
                std::size_t count) override
    {
        M* out = static_cast<M*>(dst.Data);
        for (std::size_t i = 0; i < count; ++i)
            out[dst.IndexAt(dstOffset + i)] = ElementAt(srcOffset + i);
    }

    void CopyElements(const void* src, void* dst, std::size_t n) override
    {
        const M* in = static_cast<const M*>(src);
        M* out = static_cast<M*>(dst);
        for (std::size_t i = 0; i < n; ++i)
            out[i] = in[i];
    }

    bool Clear(std::size_t offset, std::size_t count, const void* prototype) override
    {
        const M* shape = static_cast<const M*>(prototype);
        for (std::size_t i = 0; i < count; ++i) {
            M& element = ElementAt(offset + i);
            if (shape != nullptr)
                element.Reshape(shape->Dimensions());
            else
                element.Empty();
        }
        return true;
    }

    void ReadBlock(std::size_t offset, M* out, std::size_t count)
    {
        for (std::size_t i = 0; i < count; ++i)
            out[i] = ElementAt(offset + i);
    }

    void WriteBlock(std::size_t offset, const M* in, std::size_t count)
    {
        for (std::size_t i = 0; i < count; ++i)
            ElementAt(offset + i) = in[i];
    }
};

template <typename T>
class CircularBuffer<Matrix<T>> : public CircularBufferE<Matrix<T>> {};

// A buffer that also knows the time of its samples. No block of the model uses
// one; the arithmetic is kept for blocks that do.
template <typename T>
class TimedCircularBuffer : public CircularBuffer<T> {
public:
    double StartTime = 0.0; // time of the reference sample, seconds
    double TimeStep = 0.0;  // time between samples, seconds (0 when Rate is 0)
    double Rate = 0.0;      // samples per second

    // Refuses a negative or NaN rate and changes nothing then.
    bool SetRate(double rate)
    {
        if (!(rate >= 0.0))
            return false;
        Rate = rate;
        TimeStep = rate == 0.0 ? 0.0 : 1.0 / rate;
        return true;
    }

    void SetStartTime(double t) { StartTime = t; }
    double GetStartTime() const { return StartTime; }
    double GetTimeStep() const { return TimeStep; }

    // StartTime + k * TimeStep, k = (firing + 1) * Size - MaxSize + offset in
    // unsigned 64-bit arithmetic (wrapping), converted to double as unsigned.
    double TimeAt(std::size_t offset, std::uint64_t firing) const
    {
        std::uint64_t k = (firing + 1) * static_cast<std::uint64_t>(this->Size) -
                          static_cast<std::uint64_t>(this->MaxSize) +
                          static_cast<std::uint64_t>(offset);
        return StartTime + static_cast<double>(k) * TimeStep;
    }
};

} // namespace TorvaneModelBuilder
