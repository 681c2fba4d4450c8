#pragma once

// Operations over x86 vector registers of one instruction set, chosen by the
// including translation unit through its compiler flags. Explicit multiply
// and add intrinsics, never a fused one.

#include <immintrin.h>

#include <cstddef>

namespace TorvaneModelBuilder {
namespace {

struct Sse2Ops {
    using V = __m128d;
    static constexpr std::size_t Width = 2;
    static V Zero() { return _mm_setzero_pd(); }
    static V Broadcast(double s) { return _mm_set1_pd(s); }
    static V Load(const double* p) { return _mm_loadu_pd(p); }
    static void Store(double* p, V v) { _mm_storeu_pd(p, v); }
    static V Mul(V a, V b) { return _mm_mul_pd(a, b); }
    static V Add(V a, V b) { return _mm_add_pd(a, b); }
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
};
#endif

} // namespace
} // namespace TorvaneModelBuilder
