// AVX-512 kernels; this file is compiled with the flags of that instruction set
// and runs only where the dispatcher has found it supported.
#if defined(__x86_64__) || defined(_M_X64)
#include "runtime/filters/FirBlockKernelBody.h"
#include "runtime/filters/FirBlockKernelLevels.h"
#include "runtime/filters/FirBlockKernelX86.h"

namespace TorvaneModelBuilder {

const FirBlockKernels Avx512Kernels = {SimdLevel::Avx512, "AVX-512",
                                     FirBlockBody::Convolve<Avx512Ops, 16>};

} // namespace TorvaneModelBuilder
#endif
