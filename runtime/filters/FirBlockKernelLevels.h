#pragma once

// The kernel tables of the instruction-set translation units; only the
// dispatcher and those units see them.

#include "runtime/filters/FirBlockKernel.h"

namespace TorvaneModelBuilder {

extern const FirBlockKernels PortableKernels;
#if defined(__x86_64__) || defined(_M_X64)
extern const FirBlockKernels Sse2Kernels;
extern const FirBlockKernels Avx2Kernels;
extern const FirBlockKernels Avx512Kernels;
#endif

} // namespace TorvaneModelBuilder
