#include "runtime/filters/FirBlockKernel.h"

#include "runtime/filters/FirBlockKernelLevels.h"

#if defined(__x86_64__) || defined(_M_X64)
#include <cpuid.h>
#endif

namespace TorvaneModelBuilder {

#if defined(__x86_64__) || defined(_M_X64)
namespace {

// XCR0 state bits: SSE and AVX (bits 1, 2); for AVX-512 also the opmask and
// both halves of the 512-bit registers (bits 5, 6, 7).
constexpr unsigned long long XcrSseAvx = 0x6;
constexpr unsigned long long XcrAvx512 = 0xe6;

// XCR0, the register states the operating system saves; call only when
// cpuid reports OSXSAVE. Written as the instruction itself so that no file
// needs the XSAVE compiler flag.
unsigned long long ReadXcr0()
{
    unsigned lo = 0, hi = 0;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    return (static_cast<unsigned long long>(hi) << 32) | lo;
}

} // namespace
#endif

SimdLevel BestSimdLevel()
{
#if defined(__x86_64__) || defined(_M_X64)
    // A level needs both the processor's feature bit and the operating
    // system's promise (XCR0) to save the wider registers on a task switch.
    // Read straight from cpuid and xgetbv: the compilers' own feature query
    // needs a run-time library that not every toolchain links.
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx))
        return SimdLevel::Sse2;
    const bool osSavesYmm = (ecx & bit_OSXSAVE) && (ecx & bit_AVX) &&
                            (ReadXcr0() & XcrSseAvx) == XcrSseAvx;
    if (!osSavesYmm || __get_cpuid_max(0, nullptr) < 7)
        return SimdLevel::Sse2; // part of every x86-64 processor
    __cpuid_count(7, 0, eax, ebx, ecx, edx);
    if ((ebx & bit_AVX512F) && (ReadXcr0() & XcrAvx512) == XcrAvx512)
        return SimdLevel::Avx512;
    if (ebx & bit_AVX2)
        return SimdLevel::Avx2;
    return SimdLevel::Sse2;
#else
    return SimdLevel::Portable;
#endif
}

const FirBlockKernels* FirBlockKernelsFor(SimdLevel level)
{
    if (level > BestSimdLevel())
        return nullptr;
    switch (level) {
    case SimdLevel::Portable:
        return &PortableKernels;
#if defined(__x86_64__) || defined(_M_X64)
    case SimdLevel::Sse2:
        return &Sse2Kernels;
    case SimdLevel::Avx2:
        return &Avx2Kernels;
    case SimdLevel::Avx512:
        return &Avx512Kernels;
#else
    default:
        break;
#endif
    }
    return nullptr;
}

} // namespace TorvaneModelBuilder
