#pragma once

// Operations over x86 vector registers of one instruction set, chosen by the
// including translation unit through its compiler flags. Explicit multiply
// and add intrinsics, never a fused one. A Mask is a vector of all-ones and
// all-zeros lanes below AVX-512 and an opmask with it.

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

namespace TorvaneModelBuilder {
namespace {

// Vector masks of lanes lo .. hi-1 (every bit set) cut from two ramps: the
// eight doubles from RampUp + 8 - lo have lanes lo and up set, those from
// RampDown + 8 - hi lanes below hi.
alignas(64) constexpr std::int64_t RampUp[16] = {0, 0, 0, 0, 0, 0, 0, 0,
                                                 -1, -1, -1, -1, -1, -1, -1, -1};
alignas(64) constexpr std::int64_t RampDown[16] = {-1, -1, -1, -1, -1, -1, -1, -1,
                                                   0, 0, 0, 0, 0, 0, 0, 0};

// p + s as an address, without forming a pointer outside p's array in the
// language's sense (s may be negative; only lanes at p[0] and up are read).
inline const double* Shifted(const double* p, std::ptrdiff_t s)
{
    return reinterpret_cast<const double*>(reinterpret_cast<std::uintptr_t>(p) +
                                           static_cast<std::uintptr_t>(s) * sizeof(double));
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
        const __m128i up = _mm_loadu_si128(reinterpret_cast<const __m128i*>(RampUp + 8 - lo));
        const __m128i down = _mm_loadu_si128(reinterpret_cast<const __m128i*>(RampDown + 8 - hi));
        return _mm_castsi128_pd(_mm_and_si128(up, down));
    }
    static V Select(Mask m, V keep, V take)
    {
        return _mm_or_pd(_mm_and_pd(m, take), _mm_andnot_pd(m, keep));
    }
    static V LoadLanes(const double* p, std::ptrdiff_t s, int lo, int hi)
    {
        return _mm_set_pd(lo <= 1 && 1 < hi ? p[s + 1] : 0.0, lo <= 0 && 0 < hi ? p[s] : 0.0);
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
        const __m256i up = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(RampUp + 8 - lo));
        const __m256i down =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(RampDown + 8 - hi));
        return _mm256_castsi256_pd(_mm256_and_si256(up, down));
    }
    static V Select(Mask m, V keep, V take) { return _mm256_blendv_pd(keep, take, m); }
    static V LoadLanes(const double* p, std::ptrdiff_t s, int lo, int hi)
    {
        return _mm256_maskload_pd(Shifted(p, s), _mm256_castpd_si256(Lanes(lo, hi)));
    }
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
    static V LoadLanes(const double* p, std::ptrdiff_t s, int lo, int hi)
    {
        return _mm512_maskz_loadu_pd(Lanes(lo, hi), Shifted(p, s));
    }
};
#endif

} // namespace
} // namespace TorvaneModelBuilder
