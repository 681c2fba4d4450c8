#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

namespace TorvaneModelBuilder {

// Dense array of T that owns its elements, stored in row-major order.
// A default-constructed matrix has two dimensions of size 0 and no elements.
// Copies are deep; assignment reshapes the target to the source's dimensions.
template <typename T>
class Matrix {
public:
    Matrix() : Dimensions_{0, 0} {}

    // A zero-filled matrix of the given dimension sizes.
    explicit Matrix(std::vector<std::size_t> dimensions) { Reshape(std::move(dimensions)); }

    Matrix(const Matrix& other) : Dimensions_(other.Dimensions_), Count_(other.Count_)
    {
        if (Count_ > 0) {
            Elements_.reset(new T[Count_]);
            std::copy(other.Elements_.get(), other.Elements_.get() + Count_, Elements_.get());
        }
    }
    Matrix(Matrix&&) noexcept = default;
    Matrix& operator=(Matrix&&) noexcept = default;

    Matrix& operator=(const Matrix& other)
    {
        if (this != &other) {
            if (Count_ != other.Count_)
                Elements_.reset(other.Count_ > 0 ? new T[other.Count_] : nullptr);
            Dimensions_ = other.Dimensions_;
            Count_ = other.Count_;
            std::copy(other.Elements_.get(), other.Elements_.get() + Count_, Elements_.get());
        }
        return *this;
    }

    // Gives the matrix the dimension sizes `dimensions`, every element zero.
    void Reshape(std::vector<std::size_t> dimensions)
    {
        std::size_t count = dimensions.empty() ? 0 : 1;
        for (std::size_t d : dimensions)
            count *= d;
        if (count != Count_)
            Elements_.reset(count > 0 ? new T[count] : nullptr);
        Dimensions_ = std::move(dimensions);
        Count_ = count;
        std::fill(Elements_.get(), Elements_.get() + Count_, T());
    }

    // Releases the elements: two dimensions of size 0, no elements.
    void Empty()
    {
        Elements_.reset();
        Dimensions_.assign(2, 0);
        Count_ = 0;
    }

    std::size_t DimensionCount() const { return Dimensions_.size(); }
    const std::vector<std::size_t>& Dimensions() const { return Dimensions_; }
    std::size_t Count() const { return Count_; }
    T* Data() { return Elements_.get(); }
    const T* Data() const { return Elements_.get(); }
    T& operator[](std::size_t i) { return Elements_[i]; }
    const T& operator[](std::size_t i) const { return Elements_[i]; }

    friend bool operator==(const Matrix& a, const Matrix& b)
    {
        return a.Dimensions_ == b.Dimensions_ &&
               std::equal(a.Elements_.get(), a.Elements_.get() + a.Count_, b.Elements_.get());
    }

private:
    std::vector<std::size_t> Dimensions_; // size of each dimension
    std::size_t Count_ = 0;               // product of the dimension sizes
    std::unique_ptr<T[]> Elements_;       // Count_ elements, owned
};

} // namespace TorvaneModelBuilder
