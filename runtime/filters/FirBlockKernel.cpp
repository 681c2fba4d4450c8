#include "runtime/filters/FirBlockKernel.h"

#include "runtime/filters/FirBlockKernelLevels.h"

namespace TorvaneModelBuilder {

SimdLevel BestSimdLevel()
{
#if defined(__x86_64__) || defined(_M_X64)
    // The run-time library checks both the processor's feature bits and that
    // the operating system saves the wider registers.
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f"))
        return SimdLevel::Avx512;
    if (__builtin_cpu_supports("avx2"))
        return SimdLevel::Avx2;
    return SimdLevel::Sse2; // part of every x86-64 processor
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
