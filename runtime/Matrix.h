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
    Matrix() : dimensions_{0, 0} {}

    // A zero-filled matrix of the given dimension sizes.
    explicit Matrix(std::vector<std::size_t> dimensions) { Reshape(std::move(dimensions)); }

    Matrix(const Matrix& other) : dimensions_(other.dimensions_), count_(other.count_)
    {
        if (count_ > 0) {
            elements_.reset(new T[count_]);
            std::copy(other.elements_.get(), other.elements_.get() + count_, elements_.get());
        }
    }
    Matrix(Matrix&&) noexcept = default;
    Matrix& operator=(Matrix&&) noexcept = default;

    Matrix& operator=(const Matrix& other)
    {
        if (this != &other) {
            if (count_ != other.count_)
                elements_.reset(other.count_ > 0 ? new T[other.count_] : nullptr);
            dimensions_ = other.dimensions_;
            count_ = other.count_;
            std::copy(other.elements_.get(), other.elements_.get() + count_, elements_.get());
        }
        return *this;
    }

    // Gives the matrix the dimension sizes `dimensions`, every element zero.
    void Reshape(std::vector<std::size_t> dimensions)
    {
        std::size_t count = dimensions.empty() ? 0 : 1;
        for (std::size_t d : dimensions)
            count *= d;
        if (count != count_)
            elements_.reset(count > 0 ? new T[count] : nullptr);
        dimensions_ = std::move(dimensions);
        count_ = count;
        std::fill(elements_.get(), elements_.get() + count_, T());
    }

    // Releases the elements: two dimensions of size 0, no elements.
    void Empty()
    {
        elements_.reset();
        dimensions_.assign(2, 0);
        count_ = 0;
    }

    std::size_t DimensionCount() const { return dimensions_.size(); }
    const std::vector<std::size_t>& Dimensions() const { return dimensions_; }
    std::size_t Count() const { return count_; }
    T* Data() { return elements_.get(); }
    const T* Data() const { return elements_.get(); }
    T& operator[](std::size_t i) { return elements_[i]; }
    const T& operator[](std::size_t i) const { return elements_[i]; }

    friend bool operator==(const Matrix& a, const Matrix& b)
    {
        return a.dimensions_ == b.dimensions_ &&
               std::equal(a.elements_.get(), a.elements_.get() + a.count_, b.elements_.get());
    }

private:
    std::vector<std::size_t> dimensions_; // size of each dimension
    std::size_t count_ = 0;               // product of the dimension sizes
    std::unique_ptr<T[]> elements_;       // count_ elements, owned
};

} // namespace TorvaneModelBuilder
