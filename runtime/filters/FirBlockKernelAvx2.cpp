// AVX2 kernels; this file is compiled with the flags of that instruction set
// and runs only where the dispatcher has found it supported.
#if defined(__x86_64__) || defined(_M_X64)
#include "runtime/filters/FirBlockKernelBody.h"
#include "runtime/filters/FirBlockKernelLevels.h"
#include "runtime/filters/FirBlockKernelX86.h"

namespace TorvaneModelBuilder {

const FirBlockKernels Avx2Kernels = {SimdLevel::Avx2, "AVX2",
                                     FirBlockBody::Convolve<Avx2Ops, 12>};

} // namespace TorvaneModelBuilder
#endif
