#pragma once

// Operations over x86 vector registers of one instruction set, chosen by the
// including translation unit through its compiler flags. Explicit multiply
// and add intrinsics, never a fused one. A Mask is a vector of all-ones and
// all-zeros lanes below AVX-512 and an opmask with it.

#include <immintrin.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace TorvaneModelBuilder {
namespace {

// Lanes lo .. hi-1 of a vector mask set (every bit), the others clear, read
// by `load` from doubles that carry those bit patterns.
template <typename Mask, typename LoadFn>
Mask LaneMask(int lo, int hi, LoadFn load)
{
    constexpr std::size_t Width = sizeof(Mask) / sizeof(double);
    double lanes[Width];
    for (std::size_t l = 0; l < Width; ++l) {
        const int lane = static_cast<int>(l);
        const std::uint64_t bits = lane >= lo && lane < hi ? ~std::uint64_t{0} : 0;
        std::memcpy(&lanes[l], &bits, sizeof(double));
    }
    return load(lanes);
}

struct Sse2Ops {
    using V = __m128d;
    static constexpr std::size_t Width = 2;
    static V Zero() { return _mm_setzero_pd(); }
    static V Broadcast(double s) { return _mm_set1_pd(s); }
    static V Load(const double* p) { return _mm_loadu_pd(p); }
    static void Store(double* p, V v) { _mm_storeu_pd(p, v); }
    static V Mul(V a, V b) { return _mm_mul_pd(a, b); }
    static V Add(V a, V b) { return _mm_add_pd(a, b); }
    using Mask = __m128d;
    static Mask Lanes(int lo, int hi)
    {
        return LaneMask<Mask>(lo, hi, [](const double* p) { return Load(p); });
    }
    static V Select(Mask m, V keep, V take)
    {
        return _mm_or_pd(_mm_and_pd(m, take), _mm_andnot_pd(m, keep));
    }
};

#if defined(__AVX2__)
struct Avx2Ops {
    using V = __m256d;
    static constexpr std::size_t Width = 4;
    static V Zero() { return _mm256_setzero_pd(); }
    static V Broadcast(double s) { return _mm256_set1_pd(s); }
    static V Load(const double* p) { return _mm256_loadu_pd(p); }
    static void Store(double* p, V v) { _mm256_storeu_pd(p, v); }
    static V Mul(V a, V b) { return _mm256_mul_pd(a, b); }
    static V Add(V a, V b) { return _mm256_add_pd(a, b); }
    using Mask = __m256d;
    static Mask Lanes(int lo, int hi)
    {
        return LaneMask<Mask>(lo, hi, [](const double* p) { return Load(p); });
    }
    static V Select(Mask m, V keep, V take) { return _mm256_blendv_pd(keep, take, m); }
};
#endif

#if defined(__AVX512F__)
struct Avx512Ops {
    using V = __m512d;
    static constexpr std::size_t Width = 8;
    static V Zero() { return _mm512_setzero_pd(); }
    static V Broadcast(double s) { return _mm512_set1_pd(s); }
    static V Load(const double* p) { return _mm512_loadu_pd(p); }
    static void Store(double* p, V v) { _mm512_storeu_pd(p, v); }
    static V Mul(V a, V b) { return _mm512_mul_pd(a, b); }
    static V Add(V a, V b) { return _mm512_add_pd(a, b); }
    using Mask = __mmask8;
    static Mask Lanes(int lo, int hi)
    {
        return static_cast<Mask>(((1u << hi) - 1u) & ~((1u << lo) - 1u));
    }
    static V Select(Mask m, V keep, V take) { return _mm512_mask_blend_pd(m, keep, take); }
};
#endif

} // namespace
} // namespace TorvaneModelBuilder
